#include "CatalogStore.h"

#include <algorithm>

#include "data/Records.h"

#include <set>

namespace catalog {

std::vector<Entry> children(Database& db, int sectionId) {
    // The names and identifiers alone: a record set of recipes would read every method too,
    // which a section of thousands of recipes (the top of a large collection) pays for.
    std::vector<Entry> out;
    Statement sections(db, SqlText("SELECT ID, Name FROM Catalog WHERE Parent=? ORDER BY ID"));
    sections.bind(1, qint64(sectionId));
    while (sections.step())
        out.push_back({sections.text(1), qint32(sections.int64(0))});
    // No order asked of the engine: it then reads the names from their own index, and the
    // identifiers are put in order here.
    Statement recipes(db, SqlText("SELECT ID, Name FROM Recipes WHERE Catalog=?"));
    recipes.bind(1, qint64(sectionId));
    const size_t firstRecipe = out.size();
    while (recipes.step())
        out.push_back({recipes.text(1), recipeValue(int(recipes.int64(0)))});
    std::sort(out.begin() + qsizetype(firstRecipe), out.end(), [](const Entry& a, const Entry& b) {
        return recipeIdOf(a.value) < recipeIdOf(b.value);
    });
    return out;
}

std::optional<Section> readSection(Database& db, int sectionId) {
    CCatalog rs(db);
    if (!rs.openFirst({"ID=?", sectionId}))
        return std::nullopt;
    return Section{rs.ID, rs.Parent, rs.Name};
}

bool fileInSection(Database& db, qint32 value, int sectionId) {
    if (isRecipeValue(value)) {
        CRecipesset rs(db);
        if (!rs.openFirst({"ID=?", recipeIdOf(value)}))
            return false;
        rs.edit();
        rs.Catalog = sectionId;
        rs.update();
        return true;
    }
    CCatalog rs(db);
    if (!rs.openFirst({"ID=?", value}))
        return false;
    rs.edit();
    rs.Parent = sectionId;
    rs.update();
    return true;
}

int createSection(Database& db, int parentId, const QString& name) {
    CCatalog rs(db);
    rs.openForAdding();
    rs.addNew();
    rs.Parent = parentId;
    rs.Name = name;
    rs.update();
    return int(rs.lastInsertedId());
}

void renameSection(Database& db, int sectionId, const QString& name) {
    CCatalog rs(db);
    if (!rs.openFirst({"ID=?", sectionId}))
        throw DbError(0, QStringLiteral("Раздел %1 не найден в базе").arg(sectionId));
    rs.edit();
    rs.Name = name;
    rs.update();
}

bool hasContents(Database& db, int sectionId) {
    CCatalog sections(db);
    sections.setFilter({"Parent=?", sectionId});
    if (sections.count() > 0)
        return true;
    CRecipesset recipes(db);
    recipes.setFilter({"Catalog=?", sectionId});
    return recipes.count() > 0;
}

namespace {

// Depth first: subsections before the section's own recipes. The visited set stops a
// damaged file whose sections point at each other from recursing for ever.
void deleteRecursively(Database& db, int sectionId, std::set<int>& visited) {
    if (!visited.insert(sectionId).second)
        return;
    CCatalog self(db);
    if (!self.openFirst({"ID=?", sectionId}))
        return;
    {
        CCatalog sub(db);
        sub.setFilter({"Parent=?", sectionId});
        sub.open();
        for (; !sub.isEOF(); sub.moveNext())
            deleteRecursively(db, sub.ID, visited);
    }
    CRecipesset recipes(db);
    recipes.setFilter({"Catalog=?", sectionId});
    recipes.open();
    for (; !recipes.isEOF(); recipes.moveNext()) {
        db.exec("DELETE FROM Ingredients WHERE Recipe=?", {qint64(recipes.ID)});
        recipes.remove();
    }
    self.remove();
}

} // namespace

void deleteSection(Database& db, int sectionId, bool moveContentsUp) {
    Transaction tx(db);
    CCatalog self(db);
    if (!self.openFirst({"ID=?", sectionId}))
        return;
    if (moveContentsUp) {
        const int parent = self.Parent;
        CCatalog sub(db);
        sub.setFilter({"Parent=?", sectionId});
        sub.open();
        for (; !sub.isEOF(); sub.moveNext()) {
            sub.edit();
            sub.Parent = parent;
            sub.update();
        }
        CRecipesset recipes(db);
        recipes.setFilter({"Catalog=?", sectionId});
        recipes.open();
        for (; !recipes.isEOF(); recipes.moveNext()) {
            recipes.edit();
            recipes.Catalog = parent;
            recipes.update();
        }
        self.remove();
    } else {
        std::set<int> visited;
        deleteRecursively(db, sectionId, visited);
    }
    tx.commit();
}

} // namespace catalog
