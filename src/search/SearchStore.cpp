#include "SearchStore.h"

#include "data/Records.h"

#include <set>

namespace search {

namespace {

// Every row of a record set with recipe ID and Name, in alphabetical order.
template <class Records> std::vector<Found> collect(Records& rs, Filter filter) {
    rs.setFilter(std::move(filter));
    rs.setSort("Name COLLATE RU");
    rs.open();
    std::vector<Found> out;
    for (; !rs.isEOF(); rs.moveNext())
        out.push_back({rs.Name, rs.ID});
    return out;
}

} // namespace

std::vector<Found> findByName(Database& db, const QString& text) {
    CRecipesset rs(db);
    return collect(rs, {"Name LIKE ?", containsPattern(text)});
}

std::vector<Found> findByProduct(Database& db, int productId) {
    CIngredientUse rs(db);
    return collect(rs, {"Ingredient=?", productId});
}

std::optional<std::vector<int>> sectionChain(Database& db, int recipeId) {
    CRecipesset recipe(db);
    if (!recipe.openFirst({"ID=?", recipeId}))
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
