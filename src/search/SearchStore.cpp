#include "SearchStore.h"

#include "data/Records.h"
#include "data/TextOrder.h"

#include <algorithm>
#include <set>
#include <sqlite3.h>

namespace search {

namespace {

// Every recipe name, folded for matching, in the order the results list shows them
// (Russian, then ID). Built once on first use; this connection's own changes reach it
// through a change list of the connection's own (temporary triggers, which never touch the
// file), and a change by another connection builds it anew.
class NameIndex {
public:
    void sync(Database& db) {
        const SqlValue version = db.scalar("PRAGMA data_version");
        const qint64 dataVersion =
            std::holds_alternative<qint64>(version) ? std::get<qint64>(version) : -1;
        if (db.serial() != m_serial || dataVersion != m_dataVersion) {
            build(db);
            m_serial = db.serial();
            m_dataVersion = dataVersion;
            return;
        }
        // Inside a transaction the changes are applied but kept in the list, and remembered:
        // once it ends, they are read again, whether it was kept or rolled back.
        const bool inTransaction = sqlite3_get_autocommit(db.handle()) == 0;
        std::set<qint64> changed;
        Statement rows(db, SqlText("SELECT ID FROM temp.RecipeNameChanges"));
        while (rows.step())
            changed.insert(rows.int64(0));
        if (!inTransaction) {
            changed.insert(m_readInTransaction.begin(), m_readInTransaction.end());
            m_readInTransaction.clear();
        }
        if (changed.empty())
            return;
        Statement name(db, SqlText("SELECT Name FROM Recipes WHERE ID=?"));
        for (qint64 id : changed) {
            m_entries.erase(std::remove_if(m_entries.begin(), m_entries.end(),
                                           [id](const Entry& e) { return e.id == id; }),
                            m_entries.end());
            name.reset();
            name.bind(1, id);
            if (name.step())
                insert({int(id), name.text(0), searchFolded(name.text(0))});
        }
        if (inTransaction)
            m_readInTransaction.insert(changed.begin(), changed.end());
        else
            db.exec("DELETE FROM temp.RecipeNameChanges");
    }

    template <class Matches> std::vector<Found> select(Matches matches) const {
        std::vector<Found> out;
        for (const Entry& e : m_entries)
            if (matches(e.name, e.folded))
                out.push_back({e.name, e.id});
        return out;
    }

private:
    struct Entry {
        int id;
        QString name;
        QString folded;
    };

    void build(Database& db) {
        db.execScript(R"sql(
CREATE TEMP TABLE IF NOT EXISTS RecipeNameChanges (ID INTEGER PRIMARY KEY);
CREATE TEMP TRIGGER IF NOT EXISTS RecipeNameAdded AFTER INSERT ON main.Recipes BEGIN
    INSERT OR IGNORE INTO RecipeNameChanges VALUES (NEW.ID);
END;
CREATE TEMP TRIGGER IF NOT EXISTS RecipeNameChanged AFTER UPDATE OF ID, Name ON main.Recipes BEGIN
    INSERT OR IGNORE INTO RecipeNameChanges VALUES (OLD.ID);
    INSERT OR IGNORE INTO RecipeNameChanges VALUES (NEW.ID);
END;
CREATE TEMP TRIGGER IF NOT EXISTS RecipeNameDeleted AFTER DELETE ON main.Recipes BEGIN
    INSERT OR IGNORE INTO RecipeNameChanges VALUES (OLD.ID);
END;
DELETE FROM RecipeNameChanges;
)sql");
        m_entries.clear();
        m_readInTransaction.clear();
        Statement rows(db, SqlText("SELECT ID, Name FROM Recipes ORDER BY ID"));
        while (rows.step())
            m_entries.push_back({int(rows.int64(0)), rows.text(1), QString()});
        sortRussian(m_entries, [](const Entry& e) { return e.name; });
        for (Entry& e : m_entries)
            e.folded = searchFolded(e.name);
    }

    void insert(Entry entry) {
        const auto at = std::upper_bound(
            m_entries.begin(), m_entries.end(), entry, [](const Entry& a, const Entry& b) {
                const int c = russianCollator().compare(a.name, b.name);
                return c != 0 ? c < 0 : a.id < b.id;
            });
        m_entries.insert(at, std::move(entry));
    }

    quint64 m_serial = 0;
    qint64 m_dataVersion = -1;
    std::vector<Entry> m_entries;
    std::set<qint64> m_readInTransaction;
};

NameIndex& nameIndex(Database& db) {
    static NameIndex index;
    index.sync(db);
    return index;
}

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
    const QString pattern = containsPattern(text);
    return nameIndex(db).select(
        [&pattern](const QString& name, const QString&) { return likeMatch(pattern, name); });
}

std::vector<Found> findByNameAsTyped(Database& db, const QString& text) {
    const QString part = searchFolded(text);
    if (part.isEmpty())
        return {};
    return nameIndex(db).select(
        [&part](const QString&, const QString& folded) { return folded.contains(part); });
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
