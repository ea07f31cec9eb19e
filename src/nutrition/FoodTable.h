#pragma once

#include <QString>
#include <QStringList>
#include <optional>
#include <utility>
#include <vector>

// What products weigh and give, as the program ships it: a table of the products of Russian
// home cooking with their food value per 100 g and the weight of their units, each row with
// the public table its figures come from.
namespace nutrition {

struct FoodValue {
    double kcal = 0;
    double protein = 0;
    double fat = 0;
    double carbs = 0;
};

struct Figures {
    std::optional<FoodValue> per100; // nothing when not known
    std::optional<double> density;   // grams in one millilitre
    bool counted = false;            // bought and counted in pieces ("шт")
    // Grams in one of a unit by its usual spelling ("шт", "пучок", "ст.л."); a unit here
    // weighs this even when it is a measure of volume (a heaped spoon of flour).
    std::vector<std::pair<QString, double>> weights;
    QString source;

    std::optional<double> weightOf(const QString& usualUnit) const;
    bool known() const { return per100 || density || !weights.empty(); }
};

struct TableRow {
    QString name;
    QStringList forms; // the name first
    Figures figures;
};

// The shipped table, read once.
const std::vector<TableRow>& foodTable();
// Reads a table in the shipped form; rows that cannot be read are left out and counted.
std::vector<TableRow> readFoodTable(const QByteArray& text, int* unread = nullptr);

// The row for a product's name: one of whose forms has the same word stems in any order;
// else the one with the most words whose every word the name holds, its first word among
// them ("Мука пшеничная высшего сорта" is "Мука пшеничная", but "Сок лимона" is no
// "Лимон"); else nothing.
const TableRow* tableRowFor(const QString& productName);

// A row's source as a reader meets it: in Russian, with the licence, the public record's own
// name in quotes ("таблица USDA FoodData Central … запись «Egg, whole, raw, fresh»").
QString sourceText(const QString& stored);

} // namespace nutrition
