#pragma once

#include "FoodTable.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <unordered_map>
#include <vector>

class Database;

// A collection's own knowledge of its products' weights and food value, filled from the
// shipped table by name and edited by the user, and what it tells about recipes and the
// menu's sums.
namespace nutrition {

// The product's figures in the collection; empty when none are stored.
Figures productFigures(Database& db, int product);
// Several products' figures at once; products with none are left out.
std::unordered_map<int, Figures> productFigures(Database& db, const std::vector<int>& products);
// True when the user wrote the product's figures: the shipped table leaves them alone.
bool ownFigures(Database& db, int product);
// Stores the user's figures for the product, in one transaction.
void setOwnFigures(Database& db, int product, const Figures& figures);

// Gives every product that has no figures yet the shipped table's, by its name; a product
// the table does not know is remembered as asked, so that it is not asked again. Progress
// gets (done, total). Returns how many products got figures.
struct FillResult {
    int asked = 0;
    int filled = 0;
};
FillResult fillFromTable(Database& db, const std::function<void(int, int)>& progress = {});

// The grams in an amount of the product written in that unit; nothing when the figures
// cannot tell.
std::optional<double> gramsOf(const Figures& figures, double amount, const QString& unit);

// A recipe's food value: what its weighed lines give in total, their weight, and the
// products of the lines it could not weigh or value (an amount of 0 weighs nothing and
// is none of them).
struct RecipeFood {
    double grams = 0;
    FoodValue total;
    QStringList unweighed;
    bool anyAmount = false; // some line has an amount
};
RecipeFood recipeFood(Database& db, int recipe);
// "Пищевая ценность: всего 1 830 ккал; на 100 г — 145 ккал, белки 5 г, жиры 6 г, углеводы
// 19 г", then "без учёта: Соль, Перец" on a line of its own; the totals times servings.
// Empty when the recipe has no amount at all.
QString foodText(const RecipeFood& food, int servings = 1);
// A number as the program shows food figures: Russian digit groups and decimal comma,
// whole from 10 up, one decimal below.
QString figureText(double value);

// Amounts of one product, in one unit or several, added up where its figures allow: in
// pieces when it is counted in them; in millilitres when every amount is a volume and it
// is poured in мл or л, or nothing can weigh it; else in grams. One unit that is already
// the sum's (grams, kilograms, pieces of a counted product) stays as written. Units
// written differently ("ст. л.", "столовая ложка") are one unit first. What cannot be
// converted stays apart, and `apart` says so.
struct UnitAmount {
    QString unit; // as written in the collection
    double amount = 0;
};
struct Summed {
    std::vector<UnitAmount> amounts; // the sum first, then what stayed apart
    bool apart = false;
    std::vector<UnitAmount> from; // the amounts the sum was made of, as written
};
Summed sumAmounts(const Figures& figures, const std::vector<UnitAmount>& amounts);

} // namespace nutrition
