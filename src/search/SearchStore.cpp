#include "SearchStore.h"

#include "data/Records.h"
#include "data/TextOrder.h"

#include <QCollator>
#include <QStringMatcher>
#include <algorithm>
#include <set>
#include <sqlite3.h>
#include <thread>
#include <unordered_set>

namespace search {

namespace {

// Folded names laid end to end, and where each begins: one search through all of them,
// which at a hundred thousand names is several times faster than a search per name.
class LaidOut {
public:
    template <class Items> void layOut(const Items& items) {
        qsizetype total = 0;
        for (const auto& item : items)
            total += item.folded.size();
        m_folded.clear();
        m_folded.reserve(total);
        m_starts.clear();
        m_starts.reserve(items.size());
        for (const auto& item : items) {
            m_starts.push_back(m_folded.size());
            m_folded += item.folded;
        }
    }

    // The positions, in order, of the names that hold part.
    std::vector<size_t> holding(const QString& part) const {
        std::vector<size_t> out;
        const QStringMatcher matcher(part);
        const qsizetype length = part.size();
        qsizetype from = 0;
        while (true) {
            const qsizetype at = matcher.indexIn(m_folded, from);
            if (at < 0)
                break;
            // The name the match starts in; one that runs on into the next name is no match.
            const size_t i =
                size_t(std::upper_bound(m_starts.begin(), m_starts.end(), at) - m_starts.begin()) -
                1;
            const qsizetype end = i + 1 < m_starts.size() ? m_starts[i + 1] : m_folded.size();
            if (at + length <= end) {
                out.push_back(i);
                from = end;
            } else {
                from = at + 1;
            }
        }
        return out;
    }

private:
    QString m_folded;
    std::vector<qsizetype> m_starts;
};

// Every recipe name, folded for matching, in the order the results list shows them
// (Russian, then ID). Built once on first use; this connection's own changes reach it
// through a change list of the connection's own (temporary triggers, which never touch the
// file), and a change by another connection builds it anew.
//
// The collation keys and the sort are most of what a new name costs, so the names of a
// large import wait unsorted until the window catches up after the command: a keystroke
// before that keys and sorts only those of them it finds.
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
        // The triggers keep each changed recipe's new name (NULL once deleted), so a large
        // import is read back in one pass over a small table instead of a lookup per recipe.
        std::vector<qint64> changed;
        std::vector<std::pair<qint64, QString>> named;
        Statement rows(db, SqlText("SELECT ID, Name FROM temp.RecipeNameChanges"));
        while (rows.step()) {
            changed.push_back(rows.int64(0));
            if (!rows.isNull(1))
                named.emplace_back(rows.int64(0), rows.text(1));
        }
        std::vector<qint64> remembered;
        if (!inTransaction) {
            std::unordered_set<qint64> listed(changed.begin(), changed.end());
            for (qint64 id : m_readInTransaction)
                if (!listed.count(id))
                    remembered.push_back(id);
            changed.insert(changed.end(), remembered.begin(), remembered.end());
            m_readInTransaction.clear();
        }
        if (changed.empty())
            return;
        // Those remembered from a transaction have left the list: their names are read anew,
        // whether it was kept or rolled back.
        if (!remembered.empty()) {
            Statement one(db, SqlText("SELECT Name FROM Recipes WHERE ID=?"));
            for (qint64 id : remembered) {
                one.reset();
                one.bind(1, id);
                if (one.step())
                    named.emplace_back(id, one.text(0));
            }
        }
        applyChanges(changed, named);
        if (inTransaction)
            m_readInTransaction.insert(changed.begin(), changed.end());
        else
            db.exec("DELETE FROM temp.RecipeNameChanges");
    }

    bool built() const { return m_serial != 0 || m_dataVersion != -1; }

    // The waiting names sorted in: after a command, while the user is not typing.
    void settle() {
        if (m_waiting.empty())
            return;
        m_entries = merged(std::move(m_entries), sortedEntries(m_waiting));
        m_waiting.clear();
        m_laidWaiting.layOut(m_waiting);
        m_laid.layOut(m_entries);
    }

    template <class Matches> std::vector<Found> select(Matches matches) {
        settle();
        std::vector<Found> out;
        for (const Entry& e : m_entries)
            if (matches(e.name))
                out.push_back({e.name, e.id});
        return out;
    }

    std::vector<Found> containing(const QString& part) const {
        std::vector<Found> out;
        const std::vector<size_t> sorted = m_laid.holding(part);
        if (m_waiting.empty()) {
            out.reserve(sorted.size());
            for (size_t i : sorted)
                out.push_back({m_entries[i].name, m_entries[i].id});
            return out;
        }
        std::vector<Waiting> waiting;
        for (size_t i : m_laidWaiting.holding(part))
            waiting.push_back(m_waiting[i]);
        const std::vector<Entry> keyed = sortedEntries(waiting);
        out.reserve(sorted.size() + keyed.size());
        auto a = sorted.begin();
        auto b = keyed.begin();
        while (a != sorted.end() || b != keyed.end()) {
            if (b == keyed.end() || (a != sorted.end() && !before(*b, m_entries[*a]))) {
                out.push_back({m_entries[*a].name, m_entries[*a].id});
                ++a;
            } else {
                out.push_back({b->name, b->id});
                ++b;
            }
        }
        return out;
    }

private:
    struct Waiting {
        qint64 id;
        QString name;
        QString folded;
    };
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

    // Changes of any size in time linear in the list: the changed entries go in one pass and
    // the new names wait apart; one by one, each would move half the list, and a large
    // import would freeze the first keystroke.
    void applyChanges(const std::vector<qint64>& changed,
                      const std::vector<std::pair<qint64, QString>>& named) {
        std::vector<qint64> gone = changed;
        std::sort(gone.begin(), gone.end());
        auto isGone = [&gone](const auto& e) {
            return std::binary_search(gone.begin(), gone.end(), qint64(e.id));
        };
        const auto kept = std::remove_if(m_entries.begin(), m_entries.end(), isGone);
        if (kept != m_entries.end()) {
            m_entries.erase(kept, m_entries.end());
            m_laid.layOut(m_entries);
        }
        m_waiting.erase(std::remove_if(m_waiting.begin(), m_waiting.end(), isGone),
                        m_waiting.end());
        m_waiting.reserve(m_waiting.size() + named.size());
        for (const auto& [id, name] : named)
            m_waiting.push_back({id, name, searchFolded(name)});
        m_laidWaiting.layOut(m_waiting);
    }

    static std::vector<Entry> merged(std::vector<Entry> a, std::vector<Entry> b) {
        std::vector<Entry> out;
        out.reserve(a.size() + b.size());
        std::merge(std::make_move_iterator(a.begin()), std::make_move_iterator(a.end()),
                   std::make_move_iterator(b.begin()), std::make_move_iterator(b.end()),
                   std::back_inserter(out), before);
        return out;
    }

    // The collation key and the sort are most of the cost of a name; a large batch shares
    // them with a second thread, which keeps a collator of its own.
    static std::vector<Entry> sortedEntries(const std::vector<Waiting>& names) {
        auto make = [&names](size_t from, size_t to, const QCollator& collator) {
            std::vector<Entry> out;
            out.reserve(to - from);
            for (size_t i = from; i < to; ++i) {
                const Waiting& w = names[i];
                out.push_back({int(w.id), w.name, w.folded, collator.sortKey(w.name)});
            }
            std::sort(out.begin(), out.end(), before);
            return out;
        };
        constexpr size_t kWorthAThread = 4096;
        if (names.size() < kWorthAThread)
            return make(0, names.size(), russianCollator());
        const size_t half = names.size() / 2;
        std::vector<Entry> second;
        std::thread other([&] { second = make(half, names.size(), newRussianCollator()); });
        std::vector<Entry> first = make(0, half, russianCollator());
        other.join();
        return merged(std::move(first), std::move(second));
    }

    void build(Database& db) {
        db.execScript(R"sql(
-- A large import's names fit in the temporary cache instead of spilling to a file.
PRAGMA temp.cache_size=-65536;
CREATE TEMP TABLE IF NOT EXISTS RecipeNameChanges (ID INTEGER PRIMARY KEY, Name TEXT);
CREATE TEMP TRIGGER IF NOT EXISTS RecipeNameAdded AFTER INSERT ON main.Recipes BEGIN
    INSERT OR REPLACE INTO RecipeNameChanges VALUES (NEW.ID, NEW.Name);
END;
CREATE TEMP TRIGGER IF NOT EXISTS RecipeNameChanged AFTER UPDATE OF ID, Name ON main.Recipes BEGIN
    INSERT OR REPLACE INTO RecipeNameChanges VALUES (OLD.ID, NULL);
    INSERT OR REPLACE INTO RecipeNameChanges VALUES (NEW.ID, NEW.Name);
END;
CREATE TEMP TRIGGER IF NOT EXISTS RecipeNameDeleted AFTER DELETE ON main.Recipes BEGIN
    INSERT OR REPLACE INTO RecipeNameChanges VALUES (OLD.ID, NULL);
END;
DELETE FROM RecipeNameChanges;
)sql");
        m_readInTransaction.clear();
        m_waiting.clear();
        m_laidWaiting.layOut(m_waiting);
        std::vector<Waiting> names;
        Statement rows(db, SqlText("SELECT ID, Name FROM Recipes"));
        while (rows.step()) {
            const QString name = rows.text(1);
            names.push_back({rows.int64(0), name, searchFolded(name)});
        }
        m_entries = sortedEntries(names);
        m_laid.layOut(m_entries);
    }

    quint64 m_serial = 0;
    qint64 m_dataVersion = -1;
    std::vector<Entry> m_entries;
    LaidOut m_laid;
    // New names not yet sorted in, in the order they came.
    std::vector<Waiting> m_waiting;
    LaidOut m_laidWaiting;
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
        [&pattern](const QString& name) { return likeMatch(pattern, name); });
}

std::vector<Found> findByNameAsTyped(Database& db, const QString& text) {
    const QString part = searchFolded(text);
    if (part.isEmpty())
        return {};
    return nameIndex(db).containing(part);
}

void catchUpNames(Database& db) {
    if (sharedIndex().built()) {
        sharedIndex().sync(db);
        sharedIndex().settle();
    }
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
