#pragma once

#include "recipes/RecipeStore.h"

#include <vector>

class Database;

// The product and unit dictionaries with the recipes that use each entry. No widgets.
namespace reference {

struct Use {
    int recipe = 0;
    QString name;
};

// The recipes whose lines use the entry, once for every such line, in table order.
std::vector<Use> usage(Database& db, recipes::Dictionary which, int entry);

} // namespace reference
