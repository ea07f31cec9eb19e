#include "SearchStore.h"

#include "data/Records.h"
#include "data/TextOrder.h"

#include <QCollator>
#include <QStringMatcher>
#include <algorithm>
#include <set>
#include <sqlite3.h>
#include <thread>

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
// (Russian, then ID). Built once on first use; a change by another connection builds it
// anew. This connection's own changes reach it as they are made: temporary triggers (which
// never touch the file) hand each changed recipe's new name to the list, already folded,
// so that catching up after an import of a hundred thousand recipes reads nothing back
// from the engine.
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
        // Inside a transaction the changes are applied but remembered: once it ends, those
        // recipes are read again, whether it was kept or rolled back. Outside one, what the
        // triggers said holds unless something was undone since; then it is read again too.
        const bool inTransaction = sqlite3_get_autocommit(db.handle()) == 0;
        std::vector<Heard> heard = std::move(m_heard);
        m_heard.clear();
        std::vector<qint64> reread;
        if (!inTransaction) {
            reread.assign(m_readInTransaction.begin(), m_readInTransaction.end());
            m_readInTransaction.clear();
            if (db.undoCount() != m_undos) {
                for (const Heard& h : heard)
                    reread.push_back(h.change.id);
                heard.clear();
                m_undos = db.undoCount();
            }
        }
        if (heard.empty() && reread.empty())
            return;
        // Reading a great many recipes one by one would cost more than reading them all.
        constexpr size_t kRereadAll = 20000;
        if (reread.size() > kRereadAll) {
            build(db);
            return;
        }
        std::vector<qint64> changed;
        std::vector<Waiting> named;
        lastWords(heard, changed, named);
        if (!reread.empty()) {
            std::sort(reread.begin(), reread.end());
            reread.erase(std::unique(reread.begin(), reread.end()), reread.end());
            Statement one(db, SqlText("SELECT Name FROM Recipes WHERE ID=?"));
            for (qint64 id : reread) {
                if (std::binary_search(changed.begin(), changed.end(), id))
                    continue;
                one.reset();
                one.bind(1, id);
                if (one.step()) {
                    const QString name = one.text(0);
                    named.push_back({id, name, searchFolded(name)});
                }
            }
            std::vector<qint64> all;
            std::merge(changed.begin(), changed.end(), reread.begin(), reread.end(),
                       std::back_inserter(all));
            all.erase(std::unique(all.begin(), all.end()), all.end());
            changed = std::move(all);
        }
        applyChanges(changed, std::move(named));
        if (inTransaction)
            m_readInTransaction.insert(changed.begin(), changed.end());
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
    // One change a trigger told of: the recipe's new name, or none once it is gone.
    struct Heard {
        bool named;
        Waiting change;
    };

    static void recipeNamed(sqlite3_context* context, int, sqlite3_value** args) {
        auto* self = static_cast<NameIndex*>(sqlite3_user_data(context));
        // A connection this list no longer follows keeps its triggers until it closes.
        if (sqlite3_context_db_handle(context) == self->m_handle) {
            Heard h{sqlite3_value_type(args[1]) != SQLITE_NULL,
                    {sqlite3_value_int64(args[0]), {}, {}}};
            if (h.named) {
                h.change.name =
                    QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_value_text(args[1])),
                                      sqlite3_value_bytes(args[1]));
                h.change.folded = searchFolded(h.change.name);
            }
            self->m_heard.push_back(std::move(h));
        }
        sqlite3_result_null(context);
    }

    // Every recipe changed, in ID order, and the new names of those that still have one:
    // a recipe's last change is the one that counts.
    static void lastWords(std::vector<Heard>& heard, std::vector<qint64>& changed,
                          std::vector<Waiting>& named) {
        // By recipe, then in the order told; an import tells of its recipes in ID order,
        // once each, and needs no sort.
        std::vector<std::pair<qint64, size_t>> order;
        order.reserve(heard.size());
        for (size_t i = 0; i < heard.size(); ++i)
            order.emplace_back(heard[i].change.id, i);
        if (!std::is_sorted(order.begin(), order.end()))
            std::sort(order.begin(), order.end());
        for (size_t k = 0; k < order.size(); ++k) {
            Heard& h = heard[order[k].second];
            if (k + 1 < order.size() && order[k + 1].first == h.change.id)
                continue;
            changed.push_back(h.change.id);
            if (h.named)
                named.push_back(std::move(h.change));
        }
    }
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
    // import would freeze the first keystroke. changed is in ID order.
    void applyChanges(const std::vector<qint64>& changed, std::vector<Waiting> named) {
        // Recipes new to the list (an import) have numbers above all it holds.
        if (!changed.empty() && changed.front() <= m_topId) {
            // A mark per number: a hundred thousand deleted at once are as many look-ups.
            // Numbers far apart (a file edited by hand) are searched for instead.
            const bool dense =
                m_topId <= qint64(16 * (m_entries.size() + m_waiting.size()) + 65536);
            std::vector<bool> gone(dense ? size_t(m_topId) + 1 : 0);
            for (qint64 id : changed)
                if (dense && id >= 0 && id <= m_topId)
                    gone[size_t(id)] = true;
            auto isGone = [&](const auto& e) {
                if (!dense)
                    return std::binary_search(changed.begin(), changed.end(), qint64(e.id));
                return e.id >= 0 && size_t(e.id) < gone.size() && gone[size_t(e.id)];
            };
            const auto kept = std::remove_if(m_entries.begin(), m_entries.end(), isGone);
            if (kept != m_entries.end()) {
                m_entries.erase(kept, m_entries.end());
                m_laid.layOut(m_entries);
            }
            m_waiting.erase(std::remove_if(m_waiting.begin(), m_waiting.end(), isGone),
                            m_waiting.end());
        }
        for (const Waiting& w : named)
            m_topId = std::max(m_topId, w.id);
        if (m_waiting.empty())
            m_waiting = std::move(named);
        else
            m_waiting.insert(m_waiting.end(), std::make_move_iterator(named.begin()),
                             std::make_move_iterator(named.end()));
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
        db.check(sqlite3_create_function(db.handle(), "ovelta_recipe_named", 2, SQLITE_UTF8, this,
                                         recipeNamed, nullptr, nullptr));
        db.execScript(R"sql(
CREATE TEMP TRIGGER IF NOT EXISTS RecipeNameAdded AFTER INSERT ON main.Recipes BEGIN
    SELECT ovelta_recipe_named(NEW.ID, NEW.Name);
END;
CREATE TEMP TRIGGER IF NOT EXISTS RecipeNameChanged AFTER UPDATE OF ID, Name ON main.Recipes BEGIN
    SELECT ovelta_recipe_named(OLD.ID, NULL);
    SELECT ovelta_recipe_named(NEW.ID, NEW.Name);
END;
CREATE TEMP TRIGGER IF NOT EXISTS RecipeNameDeleted AFTER DELETE ON main.Recipes BEGIN
    SELECT ovelta_recipe_named(OLD.ID, NULL);
END;
)sql");
        m_handle = db.handle();
        m_heard.clear();
        m_undos = db.undoCount();
        m_readInTransaction.clear();
        m_waiting.clear();
        m_laidWaiting.layOut(m_waiting);
        m_topId = 0;
        std::vector<Waiting> names;
        Statement rows(db, SqlText("SELECT ID, Name FROM Recipes"));
        while (rows.step()) {
            const QString name = rows.text(1);
            names.push_back({rows.int64(0), name, searchFolded(name)});
            m_topId = std::max(m_topId, rows.int64(0));
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
    // The connection whose triggers feed the list, what they told since the last look, and
    // its count of undone work when the list last matched the file.
    sqlite3* m_handle = nullptr;
    std::vector<Heard> m_heard;
    quint64 m_undos = 0;
    // No recipe in the list has a higher number.
    qint64 m_topId = 0;
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
