#pragma once

#include "SearchStore.h"

#include <QString>
#include <vector>

class Database;
class Progress;

// The full-text search of the recipes: names, products and methods, every Russian word
// form. The index lives in the collection (RecipeText); triggers note which recipes
// changed (RecipeTextDirty) in the same transaction as the change, and the index is brought
// up to date from that list before every search.
namespace search {

// Recipes waiting to be indexed again.
qint64 textIndexBacklog(Database& db);
// Indexes again every recipe noted as changed, in one transaction; progress counts
// recipes. Nothing to do (and nothing written) when the list is empty.
void refreshTextIndex(Database& db, Progress& progress);
// The same for the first count of them (the lowest IDs), in a transaction of their own:
// a large backlog is worked off a piece at a time beside the window. Returns how many.
qint64 indexSomeRecipes(Database& db, qint64 count);

// Recipes whose name, products or method hold every typed word in some form, in the name
// search's order. Words are letters and digits; everything else separates them. As the
// user types, the last word may be unfinished: it then matches as a beginning.
std::vector<Found> findByText(Database& db, const QString& words, bool lastWordUnfinished = false);

} // namespace search
