#include "SearchStore.h"

#include "data/Records.h"
#include "data/TextOrder.h"

#include <QCollator>
#include <algorithm>
#include <set>
#include <sqlite3.h>
#include <unordered_set>

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
        std::vector<qint64> changed;
        Statement rows(db, SqlText("SELECT ID FROM temp.RecipeNameChanges"));
        while (rows.step())
            changed.push_back(rows.int64(0));
        std::vector<qint64> remembered;
        if (!inTransaction) {
            remembered.assign(m_readInTransaction.begin(), m_readInTransaction.end());
            changed.insert(changed.end(), remembered.begin(), remembered.end());
            m_readInTransaction.clear();
        }
        if (changed.empty())
            return;
        applyChanges(db, changed, remembered);
        if (inTransaction)
            m_readInTransaction.insert(changed.begin(), changed.end());
        else
            db.exec("DELETE FROM temp.RecipeNameChanges");
    }

    bool built() const { return m_serial != 0 || m_dataVersion != -1; }

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
        QCollatorSortKey key;
    };
    static bool before(const Entry& a, const Entry& b) {
        const int c = a.key.compare(b.key);
        return c != 0 ? c < 0 : a.id < b.id;
    }

    // Changes of any size in time linear in the list: the changed entries go in one pass,
    // their new names are read in one query, sorted alone and merged in; one by one, each
    // would move half the list, and a large import would freeze the first keystroke.
    void applyChanges(Database& db, const std::vector<qint64>& changed,
                      const std::vector<qint64>& remembered) {
        std::unordered_set<qint64> gone(changed.begin(), changed.end());
        m_entries.erase(std::remove_if(m_entries.begin(), m_entries.end(),
                                       [&gone](const Entry& e) { return gone.count(e.id) != 0; }),
                        m_entries.end());
        std::vector<Entry> added;
        added.reserve(changed.size());
        auto add = [&added](qint64 id, const QString& name) {
            added.push_back({int(id), name, searchFolded(name), russianCollator().sortKey(name)});
        };
        // The change list holds most of them; those remembered from a transaction may have
        // left it.
        Statement listed(db, SqlText("SELECT r.ID, r.Name FROM temp.RecipeNameChanges c "
                                     "JOIN main.Recipes r ON r.ID = c.ID"));
        std::unordered_set<qint64> read;
        while (listed.step()) {
            read.insert(listed.int64(0));
            add(listed.int64(0), listed.text(1));
        }
        Statement one(db, SqlText("SELECT Name FROM Recipes WHERE ID=?"));
        for (qint64 id : remembered) {
            if (read.count(id))
                continue;
            one.reset();
            one.bind(1, id);
            if (one.step())
                add(id, one.text(0));
        }
        std::sort(added.begin(), added.end(), before);
        std::vector<Entry> merged;
        merged.reserve(m_entries.size() + added.size());
        std::merge(std::make_move_iterator(m_entries.begin()),
                   std::make_move_iterator(m_entries.end()), std::make_move_iterator(added.begin()),
                   std::make_move_iterator(added.end()), std::back_inserter(merged), before);
        m_entries = std::move(merged);
    }

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
        while (rows.step()) {
            const QString name = rows.text(1);
            m_entries.push_back(
                {int(rows.int64(0)), name, searchFolded(name), russianCollator().sortKey(name)});
        }
        std::stable_sort(m_entries.begin(), m_entries.end(), before);
    }

    quint64 m_serial = 0;
    qint64 m_dataVersion = -1;
    std::vector<Entry> m_entries;
    std::set<qint64> m_readInTransaction;
};

NameIndex& sharedIndex() {
    static NameIndex index;
    return index;
}

NameIndex& nameIndex(Database& db) {
    sharedIndex().sync(db);
    return sharedIndex();
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

void catchUpNames(Database& db) {
    if (sharedIndex().built())
        sharedIndex().sync(db);
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
