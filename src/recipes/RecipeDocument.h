#pragma once

#include <QByteArray>
#include <QString>
#include <optional>
#include <vector>

class Database;

// What a recipe document shows, read from the database.
struct RecipeContent {
    struct Line {
        QString product;
        float quantity = 0;
        QString unit;
        // The amount and unit as shown instead of the stored ones (a scaled recipe, grams
        // beside it); empty for the stored ones.
        QString shown;
    };
    QString name;
    std::vector<Line> lines;
    QString text; // lines separated by CR LF
};

// The recipe with that identifier, or nothing when there is none.
std::optional<RecipeContent> loadRecipeContent(Database& db, int recipeId);

// The recipe's RTF document in code page 1251: title, products, method.
QByteArray recipeRtf(const RecipeContent& recipe);

// The same for a recipe in the database; empty when the recipe does not exist.
QByteArray recipeRtf(Database& db, int recipeId);
