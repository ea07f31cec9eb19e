#pragma once

#include "recipes/Servings.h"

#include <QString>
#include <optional>
#include <vector>

class Database;

// A recipe made for another number of servings, shown the way a cook reads it. Nothing
// here writes: the stored recipe stays as it is, whatever the scale.
namespace cooking {

inline constexpr double kMaxFactor = 100;

// How the recipe is shown: times the recipe as stored, and weights beside the lines.
struct View {
    double factor = 1;
    bool grams = false;
    bool scaled() const { return factor != 1; }
};

// Why a factor or a number of servings cannot be taken, in Russian; empty when it can.
QString factorProblem(double factor);
QString servingsProblem(double servings);
// A factor as typed: "2", "1,5", "1.5", "½", "1½", "3/4", "×2", "x2".
std::optional<double> readFactor(const QString& text);

// A number as a cook writes it: "4,5", "12"; at most two decimals.
QString numberText(double value);
// A number in whole, quarters and thirds: "1½", "⅓", "2¾".
QString fractionText(double value);
// The unit as the number wants it, where the unit is a whole word the program knows
// ("стакан": "1 стакан", "⅓ стакана", "5 стаканов"); any other unit as written.
QString unitFor(double value, const QString& unit);

// One stored amount at the factor, rounded by its unit: grams and millilitres to 5 below
// 100 and to 10 from 100 up (to a gram below 10); spoons and glasses to quarters and thirds;
// pieces to a whole one, at least 1, the exact figure in brackets when they differ by more
// than a tenth ("5 шт (4,5)"). Empty for an amount of 0.
QString amountText(float amount, const QString& unit, double factor);
// Grams as the same rounding writes them: "300 г", "1,25 кг".
QString gramsText(double grams);

struct ShownLine {
    QString product;
    QString amount; // amount and unit with the grams after it; empty when the line has none
};
struct Shown {
    int id = 0;
    QString name;
    recipes::Servings servings; // as stored
    double factor = 1;
    std::vector<ShownLine> lines;
    QString text; // the method as stored, line breaks as CR LF
    // The servings the scaled recipe makes; 0 when the recipe does not say.
    double servingsNow() const { return servings.known() ? servings.count * factor : 0; }
};

// The recipe at the view; nothing when there is no such recipe.
std::optional<Shown> present(Database& db, int recipe, const View& view);

// What the recipe says of its servings under its title: "Порций: 4", or "Пересчитано на 6
// порций, в рецепте 4", or "Пересчитано: ×1½"; empty when there is nothing to say.
QString servingsNote(const recipes::Servings& servings, double factor);

// The recipe as plain text: the title, "Порций: N" when known, a line a product
// ("Продукт — количество единица"), an empty line, the method.
QString plainText(const Shown& shown);

} // namespace cooking
