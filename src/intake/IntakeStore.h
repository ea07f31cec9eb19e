#pragma once

#include "IngredientLine.h"

#include <QString>
#include <unordered_map>
#include <vector>

class Database;

// A read recipe's lines matched to the collection's products and units, and stored.
namespace intake {

struct MatchedLine {
    QString product;   // the collection's name, or the name a new product will have
    int productId = 0; // 0: a new product
    float amount = 0;
    QString unit;    // the collection's spelling, or a new unit's; empty for none
    int unitId = 0;  // 0: a new unit, or none when unit is empty
    QString written; // the line as the recipe wrote it
};

// Matches against the dictionaries as they stand when it is made.
class Matcher {
public:
    explicit Matcher(Database& db);
    MatchedLine match(const ParsedLine& line) const;
    // Every line of a recipe as written, parsed and matched; lines that name no product
    // are left out.
    std::vector<MatchedLine> matchLines(const QStringList& written) const;
    // A line as the user left it in the dialog: names as typed, matched the same way, a
    // unit by its exact name first.
    MatchedLine matchEdited(const QString& product, float amount, const QString& unit) const;
    // A product by the Russian forms of its words: the one whose words have the same
    // stems; else the only one that holds them all; else nothing (0).
    int productFor(const QString& name) const;
    // A unit by its spellings: the collection's own for the same unit; 0 when it has none.
    int unitFor(const QString& usual) const;
    // The name a new product gets: as written, with a capital first letter.
    static QString newProductName(const QString& written);

private:
    struct Product {
        int id;
        QString name;
        QStringList stems; // sorted
    };
    std::vector<Product> m_products;
    std::vector<std::pair<int, QString>> m_units;
};

// Stores the recipe in the section in one transaction: new products and units first (a
// name met twice makes one), then the recipe and its lines, each line marked available as
// the kitchen's lists say. Returns the new recipe's ID.
int storeRecipe(Database& db, int section, const QString& title,
                const std::vector<MatchedLine>& lines, const QStringList& method);

// The Russian stems of a name's words, sorted.
QStringList stemsOf(const QString& name);

} // namespace intake
