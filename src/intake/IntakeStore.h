#pragma once

#include "IngredientLine.h"

#include <QString>
#include <vector>

class Database;

// A read recipe's lines matched to the collection's products and units, and stored.
namespace photos {
struct Photo;
}

namespace intake {

struct MatchedLine {
    QString product;   // the collection's name, or the name a new product will have
    int productId = 0; // 0: a new product
    float amount = 0;
    QString unit;    // the collection's spelling, or a new unit's; empty for none
    int unitId = 0;  // 0: a new unit, or none when unit is empty
    QString written; // the line as the recipe wrote it
    // The product's own words, when its line names several ("Капуста — 300 г, картофель —
    // 200 г, ..."): what the user is shown of where it came from.
    QString piece;
    const QString& source() const { return piece.isEmpty() ? written : piece; }
    QString note; // what the line says beside its product and amount
    // Matched to the usual product of a general name ("мука" to "Мука пшеничная"): the
    // names differ, so the user is shown it to check.
    bool usual = false;
};

// The usual product a general name stands for, by the food table's forms ("мука" is "Мука
// пшеничная", "лук" is "Лук репчатый"); empty when the name is none.
QString usualProductFor(const QString& name);

// The most a name may hold, and a recipe's method, as the collection stores them.
inline constexpr int kMaxName = 255;
inline constexpr int kMaxMethod = 65535;
// A name cut to the limit at a word's end; unchanged when it fits.
QString cutAtWord(const QString& text, int limit);

// The products and units that storing a recipe made, by ID and name.
struct Made {
    std::vector<std::pair<int, QString>> products;
    std::vector<std::pair<int, QString>> units;
};

// Matches against the dictionaries as they stand when it is made.
class Matcher {
public:
    explicit Matcher(Database& db);
    MatchedLine match(const ParsedLine& line) const;
    // Every product of every line as written, parsed and matched; lines that name no
    // product are left out, a line that names two ("соль, перец — по вкусу") gives two.
    std::vector<MatchedLine> matchLines(const QStringList& written) const;
    // A line as the user left it in the dialog: names as typed, matched the same way, a
    // unit by its exact name first.
    MatchedLine matchEdited(const QString& product, float amount, const QString& unit) const;
    // A product by the forms of its words, in any order: the one whose words have the same
    // stems; else the collection's usual product for the name (usual then set); else
    // nothing (0). A general name never lands on a product with more words than its own
    // otherwise: "Свинина" is not "Мякоть свинины одним куском".
    int productFor(const QString& name, bool* usual = nullptr) const;
    // A unit by its spellings: the collection's own for the same unit; 0 when it has none.
    int unitFor(const QString& usual) const;
    // A window must never wait for the dictionary to load: until it has, new names keep
    // the words as written.
    void setMayWaitForDictionary(bool may) { m_mayWait = may; }
    // Every product's name, for completing a typed one.
    QStringList productNames() const;
    // Products and units stored since the matcher was made, so that later recipes of the
    // same batch find them instead of making them again.
    void learn(const Made& made);

private:
    struct Product {
        int id;
        QString name;
        QStringList keys; // sorted
    };
    std::vector<Product> m_products;
    std::vector<std::pair<int, QString>> m_units;
    bool m_mayWait = true;
};

// The method as stored: the recipe's own steps, then what the lines noted beside their
// products ("Яйцо куриное: комнатной температуры"), which a line has no place for.
QStringList methodWithNotes(const QStringList& method, const std::vector<MatchedLine>& lines);

// Stores the recipe in the section in one transaction: new products and units first (a
// name met twice, in any form or order, makes one), then the recipe with exactly these
// lines, each marked available as the kitchen's lists say. Names past the limit are cut at
// a word; a method past its limit is refused with IntakeError. The photo, when given, is
// stored in the same transaction, and so is the yield ("4 порции"), read as servings or kept
// as their note. Returns the new recipe's ID; what it made new goes to made when given.
int storeRecipe(Database& db, int section, const QString& title,
                const std::vector<MatchedLine>& lines, const QStringList& method,
                const photos::Photo* photo = nullptr, Made* made = nullptr,
                const QString& yield = {});

} // namespace intake
