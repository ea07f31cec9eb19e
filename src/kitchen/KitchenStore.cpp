#include "KitchenStore.h"

#include "KitchenParts.h"

#include <optional>

#include "data/Records.h"
#include "data/TextOrder.h"
#include "recipes/RecipeStore.h"
#include "ui/Progress.h"

#include <QRegularExpression>
#include <algorithm>
#include <array>
#include <exception>
#include <limits>
#include <sqlite3.h>
#include <thread>
#include <unordered_map>

namespace kitchen {

namespace parts {

bool hasShoppingList(Database& db) {
    return db.hasTable(QStringLiteral("ShoppingList"));
}

// Dishes in table order, the gone ones left out.
std::vector<Dish> readMenu(Database& db) {
    std::vector<Dish> out;
    Statement rows(db, SqlText("SELECT m.Recipe, r.Name, m.Quantity FROM Menu m "
                               "JOIN Recipes r ON r.ID = m.Recipe ORDER BY m.Recipe"));
    while (rows.step())
        out.push_back({int(rows.int64(0)), rows.text(1), int(rows.int64(2))});
    return out;
}

} // namespace parts

using namespace parts;

namespace {

bool listed(Database& db, List which, int product) {
    const SqlValue found =
        which == List::OnHand
            ? db.scalar("SELECT 1 FROM Products WHERE ID=? LIMIT 1", {qint64(product)})
            : db.scalar("SELECT 1 FROM ProductsAlways WHERE ID=? LIMIT 1", {qint64(product)});
    return !std::holds_alternative<std::monostate>(found);
}

// A changed menu makes a new list: the marks made on the old one, and what was cleared from
// it, go with it; what the user added by hand stays, unmarked where its mark was made as a
// line of the menu.
void menuChanged(Database& db) {
    if (!hasShoppingList(db))
        return;
    db.exec("DELETE FROM ShoppingList WHERE Added=0");
    db.exec("UPDATE ShoppingList SET Bought=0, Cleared=0, Need='' WHERE Need<>''");
}

List other(List which) {
    return which == List::OnHand ? List::Always : List::OnHand;
}

} // namespace

std::vector<Entry> listProducts(Database& db, List which) {
    std::unique_ptr<CIdNameRecord> rs;
    if (which == List::OnHand)
        rs = std::make_unique<CProductsFull>(db);
    else
        rs = std::make_unique<CProductsAlwaysFull>(db);
    rs->open();
    std::vector<Entry> out;
    for (; !rs->isEOF(); rs->moveNext())
        out.push_back({rs->ID, rs->Name});
    return out;
}

void addHouseholdStaples(Database& db) {
    std::vector<Entry> staples;
    for (const char* name :
         {"Соль", "Вода", "Сахар", "Масло растительное", "Перец", "Перец чёрный молотый"}) {
        const SqlValue id = db.scalar("SELECT ID FROM Ingredient WHERE Name=? ORDER BY ID LIMIT 1",
                                      {QString::fromUtf8(name)});
        if (const qint64* found = std::get_if<qint64>(&id))
            staples.push_back({int(*found), QString::fromUtf8(name)});
    }
    addProducts(db, List::Always, staples);
}

std::vector<Entry> addProducts(Database& db, List which, const std::vector<Entry>& products) {
    std::vector<Entry> added;
    Transaction tx(db);
    for (const Entry& p : products) {
        if (listed(db, which, p.id))
            continue;
        if (which == List::OnHand)
            db.exec("INSERT INTO Products (ID) VALUES (?)", {qint64(p.id)});
        else
            db.exec("INSERT INTO ProductsAlways (ID) VALUES (?)", {qint64(p.id)});
        db.exec("UPDATE Ingredients SET Have=1 WHERE Ingredient=? AND Have<>1", {qint64(p.id)});
        added.push_back(p);
    }
    tx.commit();
    return added;
}

void removeProducts(Database& db, List which, const std::vector<int>& products) {
    Transaction tx(db);
    for (int id : products) {
        if (!listed(db, which, id))
            continue;
        if (!listed(db, other(which), id))
            db.exec("UPDATE Ingredients SET Have=0 WHERE Ingredient=? AND Have<>0", {qint64(id)});
        if (which == List::OnHand)
            db.exec("DELETE FROM Products WHERE ID=?", {qint64(id)});
        else
            db.exec("DELETE FROM ProductsAlways WHERE ID=?", {qint64(id)});
    }
    tx.commit();
}

namespace {

// What one pass over the lines learns of each recipe: whether it has lines at all, and the
// first few distinct products it lacks (one more than asked, to know it lacks too many).
struct Tally {
    bool hasLines = false;
    quint8 count = 0;
    std::array<int, kMaxMissing + 1> missing{};
};

// The tally of every recipe, looked up by ID. Recipes are indexed by ID in a plain array:
// a million lines cost a million array steps, several times less than a hash look-up each.
// Only a file whose identifiers are far apart (edited by hand) needs the hash. What every
// line touches (has lines, how many lack) is one byte a recipe: the pass streams the whole
// file through the caches, and a tally of twenty bytes a recipe would be pushed out and
// fetched again for nearly every line. The products lacking are kept apart, and only when
// they are to be named.
class Tallies {
public:
    Tallies(Database& db, bool nameMissing) : m_named(nameMissing) {
        const SqlValue maxId = db.scalar("SELECT max(ID) FROM Recipes");
        m_top = std::holds_alternative<qint64>(maxId) ? std::get<qint64>(maxId) : 0;
        m_count = std::get<qint64>(db.scalar("SELECT count(*) FROM Recipes"));
        m_dense = m_top <= 8 * m_count + 4096;
        size_t places = size_t(m_top) + 1;
        if (!m_dense) {
            Statement ids(db, SqlText("SELECT ID FROM Recipes"));
            while (ids.step())
                m_index.emplace(ids.int64(0), m_index.size());
            places = m_index.size();
        }
        m_state.resize(places);
        if (m_named)
            m_missing.resize(places);
    }
    qint64 recipeCount() const { return m_count; }

    // Adds one line; the lines of a recipe must come in ID order. The product is read only
    // when it is missing and still to be named: most lines need no third column.
    template <class Product> void count(qint64 recipe, bool have, Product product, size_t limit) {
        const size_t slot = slotOf(recipe);
        if (slot == kNone)
            return;
        quint8& state = m_state[slot];
        state |= kHasLines;
        const size_t lacking = state & kCountMask;
        if (have || lacking >= limit)
            return;
        if (!m_named) {
            ++state;
            return;
        }
        const int id = int(product());
        auto& missing = m_missing[slot];
        const auto end = missing.begin() + lacking;
        if (std::find(missing.begin(), end, id) == end) {
            missing[lacking] = id;
            ++state;
        }
    }

    // The later half's tallies joined to these, as one pass in ID order would make them
    // (both made from the same collection).
    void join(const Tallies& later, size_t limit) {
        for (size_t i = 0; i < m_state.size(); ++i) {
            const quint8 theirs = later.m_state[i];
            m_state[i] |= theirs & kHasLines;
            if (!m_named) {
                const size_t sum = (m_state[i] & kCountMask) + (theirs & kCountMask);
                m_state[i] = quint8((m_state[i] & kHasLines) | std::min(sum, limit));
                continue;
            }
            for (size_t k = 0; k < (theirs & kCountMask); ++k) {
                const size_t lacking = m_state[i] & kCountMask;
                if (lacking >= limit)
                    break;
                auto& missing = m_missing[i];
                const int id = later.m_missing[i][k];
                if (std::find(missing.begin(), missing.begin() + lacking, id) ==
                    missing.begin() + lacking) {
                    missing[lacking] = id;
                    ++m_state[i];
                }
            }
        }
    }

    // The recipes whose tally passes, in ID order; a recipe that is gone may be among them
    // (its lines outlived it) and is left out when the names are read.
    template <class Passes> std::vector<std::pair<qint64, Tally>> select(Passes passes) const {
        std::vector<std::pair<qint64, Tally>> out;
        auto consider = [&](qint64 id, size_t slot) {
            if (const Tally t = tallyAt(slot); passes(t))
                out.emplace_back(id, t);
        };
        if (m_dense) {
            for (qint64 id = 1; id <= m_top; ++id)
                consider(id, size_t(id));
            return out;
        }
        for (const auto& [id, slot] : m_index)
            consider(id, slot);
        std::sort(out.begin(), out.end(),
                  [](const auto& a, const auto& b) { return a.first < b.first; });
        return out;
    }
    // Nothing for a recipe the collection did not have.
    std::optional<Tally> find(qint64 recipe) const {
        const size_t slot = slotOf(recipe);
        return slot == kNone ? std::nullopt : std::optional<Tally>(tallyAt(slot));
    }

private:
    static constexpr quint8 kHasLines = 0x80;
    static constexpr quint8 kCountMask = 0x0F;
    static constexpr size_t kNone = size_t(-1);

    size_t slotOf(qint64 recipe) const {
        if (m_dense)
            return recipe > 0 && recipe <= m_top ? size_t(recipe) : kNone;
        const auto it = m_index.find(recipe);
        return it == m_index.end() ? kNone : it->second;
    }
    Tally tallyAt(size_t slot) const {
        Tally t;
        t.hasLines = (m_state[slot] & kHasLines) != 0;
        t.count = quint8(m_state[slot] & kCountMask);
        if (m_named)
            t.missing = m_missing[slot];
        return t;
    }

    bool m_named;
    qint64 m_top = 0;
    qint64 m_count = 0;
    bool m_dense = true;
    std::vector<quint8> m_state;
    std::vector<std::array<int, kMaxMissing + 1>> m_missing;
    std::unordered_map<qint64, size_t> m_index;
};

// Lines with IDs in [from, to], each counted, progress told every step lines from the
// first (none when progress is null).
void scanLines(Database& db, Tallies& tally, int maxMissing, qint64 from, qint64 to,
               Progress* progress, qint64 step, qint64 scale) {
    // The availability mark is kept true exactly while the product is on hand or always
    // present, so the lines alone answer.
    // Every column read costs on a million lines: the product only when it is to be named.
    Statement lines(
        db, maxMissing == 0
                ? SqlText("SELECT Recipe, NULL, Have FROM Ingredients WHERE ID BETWEEN ? AND ?")
                : SqlText("SELECT Recipe, Ingredient, Have FROM Ingredients "
                          "WHERE ID BETWEEN ? AND ?"));
    lines.bind(1, from);
    lines.bind(2, to);
    const size_t limit = size_t(maxMissing) + 1;
    qint64 done = 0, untilStep = step;
    while (lines.step()) {
        if (progress && --untilStep == 0) {
            untilStep = step;
            progress->setPosition((done += step) * scale);
        }
        tally.count(
            lines.int64(0), lines.int64(2) != 0, [&lines] { return lines.int64(1); }, limit);
    }
}

} // namespace

qint64 parallelScanFrom = 50000;

namespace {

Tallies tallyLines(Database& db, int maxMissing, Progress& progress) {
    Tallies tally(db, maxMissing > 0);
    // The bar runs to the highest line number: learned from the index at once, where a
    // count would cost a pass of its own over a million lines. Deleted lines only make the
    // last stretch of the bar jump.
    const SqlValue top = db.scalar("SELECT max(ID) FROM Ingredients");
    const qint64 total = std::holds_alternative<qint64>(top) ? std::get<qint64>(top) : 0;
    progress.setRange(0, total);
    const qint64 step = std::max<qint64>(1, total / 50);
    const size_t limit = size_t(maxMissing) + 1;
    // A large collection is read in two halves at once, the later one on a connection of
    // its own in a second thread: the pass over the lines is nearly all the work. Inside
    // a transaction another connection would not see its changes, so the pass stays whole.
    std::optional<Database> other;
    if (total >= parallelScanFrom && db.transactionDepth() == 0 &&
        sqlite3_get_autocommit(db.handle()) != 0 && !db.path().isEmpty()) {
        try {
            other.emplace();
            other->open(db.path(), Database::OpenMode::Existing);
        } catch (const DbError&) {
            other.reset();
        }
    }
    if (!other) {
        scanLines(db, tally, maxMissing, 0, std::numeric_limits<qint64>::max(), &progress, step, 1);
        progress.setPosition(total);
        return tally;
    }
    const qint64 half = total / 2;
    Tallies later = tally;
    std::exception_ptr failed;
    std::thread second([&] {
        try {
            scanLines(*other, later, maxMissing, half + 1, std::numeric_limits<qint64>::max(),
                      nullptr, step, 1);
        } catch (...) {
            failed = std::current_exception();
        }
    });
    try {
        scanLines(db, tally, maxMissing, 0, half, &progress, step, 2);
    } catch (...) {
        second.join();
        throw;
    }
    second.join();
    if (failed)
        std::rethrow_exception(failed);
    tally.join(later, limit);
    progress.setPosition(total);
    return tally;
}

// The names of the recipes whose tally passes, those that are gone left out, in ID order.
// A few are looked up one by one; many are read in one pass over the narrow index of names,
// several times faster than over the recipes themselves, which hold their methods.
template <class Row, class Passes, class Make>
std::vector<Row> withNames(Database& db, Tallies& tally, Passes passes, Make make) {
    const std::vector<std::pair<qint64, Tally>> chosen = tally.select(passes);
    std::vector<std::pair<qint64, Row>> out;
    out.reserve(chosen.size());
    if (qint64(chosen.size()) * 20 < tally.recipeCount()) {
        Statement name(db, SqlText("SELECT Name FROM Recipes WHERE ID=?"));
        for (const auto& [id, t] : chosen) {
            name.reset();
            name.bind(1, id);
            if (name.step())
                out.emplace_back(id, make(id, name.text(0), t));
        }
    } else {
        Statement names(db, SqlText("SELECT ID, Name FROM Recipes"));
        while (names.step()) {
            const qint64 id = names.int64(0);
            if (const std::optional<Tally> t = tally.find(id); t && passes(*t))
                out.emplace_back(id, make(id, names.text(1), *t));
        }
        std::sort(out.begin(), out.end(),
                  [](const auto& a, const auto& b) { return a.first < b.first; });
    }
    std::vector<Row> rows;
    rows.reserve(out.size());
    for (auto& [id, row] : out)
        rows.push_back(std::move(row));
    return rows;
}

} // namespace

std::vector<Dish> whatToCook(Database& db, Progress& progress) {
    Tallies tally = tallyLines(db, 0, progress);
    std::vector<Dish> found = withNames<Dish>(
        db, tally, [](const Tally& t) { return t.hasLines && t.count == 0; },
        [](qint64 id, const QString& name, const Tally&) {
            return Dish{int(id), name, 0};
        });
    // By name in the Russian order of the name search; recipes of one name stay in ID order.
    sortRussian(found, [](const Dish& d) { return d.name; });
    return found;
}

std::vector<MissingDish> whatIsMissing(Database& db, int maxMissing, Progress& progress) {
    maxMissing = std::clamp(maxMissing, 0, kMaxMissing);
    Tallies tally = tallyLines(db, maxMissing, progress);
    struct Found {
        int recipe;
        QString name;
        Tally tally;
    };
    std::vector<Found> found = withNames<Found>(
        db, tally, [maxMissing](const Tally& t) { return t.hasLines && t.count <= maxMissing; },
        [](qint64 id, const QString& name, const Tally& t) {
            return Found{int(id), name, t};
        });
    sortRussian(found, [](const Found& f) { return f.name; });
    std::stable_sort(found.begin(), found.end(),
                     [](const Found& a, const Found& b) { return a.tally.count < b.tally.count; });

    // Each missing product's name and its place in the Russian order, made once: the same
    // few products are missing from thousands of recipes.
    struct Named {
        QString name;
        QCollatorSortKey key;
    };
    std::unordered_map<int, std::optional<Named>> productNames;
    for (const Found& f : found)
        for (int i = 0; i < f.tally.count; ++i)
            productNames.emplace(f.tally.missing[size_t(i)], std::nullopt);
    auto learn = [&productNames](qint64 id, const QString& name) {
        if (auto it = productNames.find(int(id)); it != productNames.end())
            it->second = Named{name, russianCollator().sortKey(name)};
    };
    const SqlValue topProduct = db.scalar("SELECT max(ID) FROM Ingredient");
    const qint64 products =
        std::holds_alternative<qint64>(topProduct) ? std::get<qint64>(topProduct) : 0;
    if (qint64(productNames.size()) * 10 < products) {
        Statement one(db, SqlText("SELECT Name FROM Ingredient WHERE ID=?"));
        for (auto& [id, named] : productNames) {
            one.reset();
            one.bind(1, qint64(id));
            if (one.step())
                learn(id, one.text(0));
        }
    } else if (!productNames.empty()) {
        Statement all(db, SqlText("SELECT ID, Name FROM Ingredient"));
        while (all.step())
            learn(all.int64(0), all.text(1));
    }
    static const Named unnamed{QString(), russianCollator().sortKey(QString())};
    std::vector<MissingDish> out;
    out.reserve(found.size());
    for (const Found& f : found) {
        std::vector<std::pair<const Named*, int>> missing;
        for (int i = 0; i < f.tally.count; ++i) {
            const int product = f.tally.missing[size_t(i)];
            const std::optional<Named>& named = productNames[product];
            missing.emplace_back(named ? &*named : &unnamed, product);
        }
        std::stable_sort(missing.begin(), missing.end(), [](const auto& a, const auto& b) {
            return a.first->key.compare(b.first->key) < 0;
        });
        MissingDish dish{f.recipe, f.name, {}, {}};
        for (const auto& [named, id] : missing) {
            dish.missing << named->name;
            dish.missingIds.push_back(id);
        }
        out.push_back(std::move(dish));
    }
    return out;
}

QString missingText(const MissingDish& dish) {
    if (dish.missing.isEmpty())
        return dish.name;
    return QStringLiteral("%1 — нет: %2").arg(dish.name, dish.missing.join(QStringLiteral(", ")));
}

std::optional<int> menuServings(Database& db, int recipe) {
    const SqlValue v = db.scalar("SELECT Quantity FROM Menu WHERE Recipe=?", {qint64(recipe)});
    if (const qint64* n = std::get_if<qint64>(&v))
        return int(*n);
    if (std::holds_alternative<std::monostate>(v))
        return std::nullopt;
    return 0; // a row with an unreadable number is still on the menu
}

void setMenuServings(Database& db, int recipe, int servings) {
    Transaction tx(db);
    db.exec("INSERT INTO Menu (Recipe, Quantity) VALUES (?, ?) "
            "ON CONFLICT (Recipe) DO UPDATE SET Quantity=excluded.Quantity",
            {qint64(recipe), qint64(servings)});
    menuChanged(db);
    tx.commit();
}

void removeDish(Database& db, int recipe) {
    Transaction tx(db);
    db.exec("DELETE FROM Menu WHERE Recipe=?", {qint64(recipe)});
    menuChanged(db);
    tx.commit();
}

void clearMenu(Database& db) {
    Transaction tx(db);
    db.exec("DELETE FROM Menu");
    menuChanged(db);
    tx.commit();
}

std::vector<Dish> openMenu(Database& db) {
    Transaction tx(db);
    db.exec("DELETE FROM Menu WHERE Recipe NOT IN (SELECT ID FROM Recipes)");
    tx.commit();
    return readMenu(db);
}

std::optional<int> parseServings(const QString& text) {
    static const QRegularExpression digits(QStringLiteral("^[0-9]{1,7}$"));
    const QString t = text.trimmed();
    if (!digits.match(t).hasMatch())
        return std::nullopt;
    const int n = t.toInt();
    if (n < 1 || n > kMaxServings)
        return std::nullopt;
    return n;
}

} // namespace kitchen
