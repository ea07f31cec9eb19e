#pragma once

#include <QString>
#include <optional>
#include <vector>

class Database;

namespace search {

struct Found {
    QString name;
    int recipe = 0;
};

// Recipes whose name contains the text, in alphabetical order. The text is a LIKE
// pattern as typed: "%" any run of characters, "_" any one; letter case is ignored.
std::vector<Found> findByName(Database& db, const QString& text);
// The same, with the text as typed: "%" and "_" are themselves; ё is read as е. Nothing
// for an empty text.
std::vector<Found> findByNameAsTyped(Database& db, const QString& text);

// Brings the in-memory list of recipe names up to date with the collection, if it was
// ever read; cheap when nothing changed.
void catchUpNames(Database& db);

// Recipes that use a product, one row per line that uses it, in alphabetical order.
std::vector<Found> findByProduct(Database& db, int productId);

// The sections that hold a recipe, its own first and the top-level one last; empty for a
// recipe at the root. Nothing when the recipe or one of the sections is gone, or when the
// sections loop.
std::optional<std::vector<int>> sectionChain(Database& db, int recipeId);

} // namespace search
