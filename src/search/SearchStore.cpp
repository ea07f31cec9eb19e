#include "SearchStore.h"

#include "data/Records.h"

#include <set>

namespace search {

std::vector<Found> findByName(Database& db, const QString& text) {
    CRecipesset rs(db);
    rs.setFilter({"Name LIKE ?", containsPattern(text)});
    rs.setSort("Name COLLATE RU");
    rs.open();
    std::vector<Found> out;
    for (; !rs.isEOF(); rs.moveNext())
        out.push_back({rs.Name, rs.ID});
    return out;
}

std::vector<Found> findByProduct(Database& db, int productId) {
    CIngredientUse rs(db);
    rs.setFilter({"Ingredient=?", productId});
    rs.setSort("Name COLLATE RU");
    rs.open();
    std::vector<Found> out;
    for (; !rs.isEOF(); rs.moveNext())
        out.push_back({rs.Name, rs.ID});
    return out;
}

std::optional<std::vector<int>> sectionChain(Database& db, int recipeId) {
    CRecipesset recipe(db);
    recipe.setFilter({"ID=?", recipeId});
    recipe.open();
    if (recipe.isEOF())
        return std::nullopt;
    std::vector<int> chain;
    std::set<int> seen;
    int section = recipe.Catalog;
    CCatalog rs(db);
    while (section != 0) {
        if (!seen.insert(section).second)
            return std::nullopt;
        chain.push_back(section);
        rs.setFilter({"ID=?", section});
        rs.requery();
        if (rs.isEOF())
            return std::nullopt;
        section = rs.Parent;
    }
    return chain;
}

} // namespace search
