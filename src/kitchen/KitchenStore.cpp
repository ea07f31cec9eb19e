#include "KitchenStore.h"

#include "data/Records.h"
#include "data/TextOrder.h"
#include "recipes/RtfText.h"
#include "ui/Progress.h"

#include <QCollatorSortKey>
#include <QRegularExpression>
#include <algorithm>
#include <numeric>
#include <unordered_map>

namespace kitchen {

namespace {

bool listed(Database& db, List which, int product) {
    const SqlValue found =
        which == List::OnHand
            ? db.scalar("SELECT 1 FROM Products WHERE ID=? LIMIT 1", {qint64(product)})
            : db.scalar("SELECT 1 FROM ProductsAlways WHERE ID=? LIMIT 1", {qint64(product)});
    return !std::holds_alternative<std::monostate>(found);
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

std::vector<Dish> whatToCook(Database& db, Progress& progress) {
    // Two sequential passes, the lines and then the recipe names, judge every recipe by
    // all of its lines with no query per recipe. Joining each line to its recipe in the
    // engine gives the same answer several times slower, as the lines of one recipe lie
    // scattered over the file.
    const qint64 total = std::get<qint64>(db.scalar("SELECT count(*) FROM Ingredients"));
    progress.setRange(0, total);
    const qint64 step = std::max<qint64>(1, total / 50);

    std::unordered_map<int, bool> allAvailable; // recipe -> every line so far available
    Statement lines(db, SqlText("SELECT Recipe, Have FROM Ingredients"));
    qint64 done = 0;
    while (lines.step()) {
        const int recipe = int(lines.int64(0));
        const bool have = lines.int64(1) != 0;
        if (recipe != 0) {
            auto [it, isNew] = allAvailable.try_emplace(recipe, have);
            if (!isNew && !have)
                it->second = false;
        }
        if (++done % step == 0)
            progress.setPosition(done);
    }

    struct Candidate {
        int id;
        QString name;
    };
    std::vector<Candidate> found;
    Statement names(db, SqlText("SELECT ID, Name FROM Recipes"));
    while (names.step()) {
        const int id = int(names.int64(0));
        const auto it = allAvailable.find(id);
        if (it != allAvailable.end() && it->second)
            found.push_back({id, names.text(1)});
    }

    // By name in the Russian order of the name search, then by ID.
    std::vector<QCollatorSortKey> keys;
    keys.reserve(found.size());
    for (const Candidate& c : found)
        keys.push_back(russianCollator().sortKey(c.name));
    std::vector<size_t> order(found.size());
    std::iota(order.begin(), order.end(), size_t(0));
    std::sort(order.begin(), order.end(), [&](size_t a, size_t b) {
        const int c = keys[a].compare(keys[b]);
        return c != 0 ? c < 0 : found[a].id < found[b].id;
    });
    std::vector<Dish> out;
    out.reserve(found.size());
    for (size_t i : order)
        out.push_back({found[i].id, std::move(found[i].name), 0});
    progress.setPosition(total);
    return out;
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
    db.exec("INSERT INTO Menu (Recipe, Quantity) VALUES (?, ?) "
            "ON CONFLICT (Recipe) DO UPDATE SET Quantity=excluded.Quantity",
            {qint64(recipe), qint64(servings)});
}

void removeDish(Database& db, int recipe) {
    db.exec("DELETE FROM Menu WHERE Recipe=?", {qint64(recipe)});
}

void clearMenu(Database& db) {
    Transaction tx(db);
    db.exec("DELETE FROM Menu");
    tx.commit();
}

namespace {

// Dishes in table order, the gone ones left out.
std::vector<Dish> readMenu(Database& db) {
    std::vector<Dish> out;
    Statement rows(db, SqlText("SELECT m.Recipe, r.Name, m.Quantity FROM Menu m "
                               "JOIN Recipes r ON r.ID = m.Recipe ORDER BY m.Recipe"));
    while (rows.step())
        out.push_back({int(rows.int64(0)), rows.text(1), int(rows.int64(2))});
    return out;
}

} // namespace

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

bool bytesLess(const QString& a, const QString& b) {
    const QByteArray x = rtf::toCp1251Lossy(a);
    const QByteArray y = rtf::toCp1251Lossy(b);
    return std::lexicographical_compare(x.begin(), x.end(), y.begin(), y.end(), [](char l, char r) {
        return static_cast<unsigned char>(l) < static_cast<unsigned char>(r);
    });
}

namespace {

// Sorts by code page 1251 bytes, keeping equal texts in their order.
template <class T, class Text> void sortByBytes(std::vector<T>& items, Text text) {
    std::vector<std::pair<QByteArray, size_t>> keys;
    keys.reserve(items.size());
    for (size_t i = 0; i < items.size(); ++i)
        keys.emplace_back(rtf::toCp1251Lossy(text(items[i])), i);
    std::stable_sort(keys.begin(), keys.end(), [](const auto& l, const auto& r) {
        return std::lexicographical_compare(
            l.first.begin(), l.first.end(), r.first.begin(), r.first.end(), [](char a, char b) {
                return static_cast<unsigned char>(a) < static_cast<unsigned char>(b);
            });
    });
    std::vector<T> sorted;
    sorted.reserve(items.size());
    for (const auto& k : keys)
        sorted.push_back(std::move(items[k.second]));
    items = std::move(sorted);
}

// Lines that give no amount are totalled apart from every unit. An amount given without a
// unit (unit 0) is still an amount, so it keeps a key of its own rather than being counted
// as "not given".
constexpr int kNoAmount = -1;
struct UnitAmount {
    int key; // the unit, or kNoAmount
    float amount;
};
struct ProductTotal {
    int product;
    std::vector<UnitAmount> amounts;
};

QString dictionaryName(Database& db, bool units, int id) {
    const SqlValue v = units ? db.scalar("SELECT Name FROM Units WHERE ID=?", {qint64(id)})
                             : db.scalar("SELECT Name FROM Ingredient WHERE ID=?", {qint64(id)});
    const QString* name = std::get_if<QString>(&v);
    return name ? *name : QString();
}

QString productLine(Database& db, const ProductTotal& total) {
    QString line = dictionaryName(db, false, total.product) + QStringLiteral(" :");
    for (const UnitAmount& a : total.amounts)
        if (a.key == kNoAmount)
            line += total.amounts.size() > 1 ? QStringLiteral(" более чем") : QStringLiteral(" ~");
    bool first = true;
    for (const UnitAmount& a : total.amounts) {
        if (a.key == kNoAmount)
            continue;
        if (!first)
            line += QStringLiteral(" +");
        first = false;
        line += QLatin1Char(' ') + QString::fromLatin1(rtf::formatAmount(a.amount)) +
                QLatin1Char(' ') + dictionaryName(db, true, a.key);
    }
    return line;
}

} // namespace

std::vector<Dish> menuDishesByBytes(Database& db) {
    std::vector<Dish> dishes = readMenu(db);
    sortByBytes(dishes, [](const Dish& d) { return d.name; });
    return dishes;
}

QByteArray menuProductListRtf(Database& db) {
    // One read transaction: the file is locked once, not once per look-up.
    Transaction reading(db);
    std::vector<QString> dishLines;
    std::vector<ProductTotal> totals;
    Statement lines(db, SqlText("SELECT Ingredient, Quantity, Unit FROM Ingredients "
                                "WHERE Recipe=? ORDER BY ID"));
    for (const Dish& dish : readMenu(db)) {
        dishLines.push_back(QStringLiteral("%1 (%2)").arg(dish.name).arg(dish.servings));
        lines.reset();
        lines.bind(1, qint64(dish.recipe));
        while (lines.step()) {
            const int product = int(lines.int64(0));
            const float quantity = float(lines.real(1));
            const int key = quantity == 0 ? kNoAmount : int(lines.int64(2));
            const float addend = float(double(dish.servings) * double(quantity));
            auto total = std::find_if(totals.begin(), totals.end(),
                                      [&](const ProductTotal& t) { return t.product == product; });
            if (total == totals.end()) {
                totals.push_back({product, {{key, addend}}});
                continue;
            }
            auto amount = std::find_if(total->amounts.begin(), total->amounts.end(),
                                       [&](const UnitAmount& a) { return a.key == key; });
            if (amount == total->amounts.end())
                total->amounts.push_back({key, addend});
            else
                amount->amount = amount->amount + addend;
        }
    }
    std::vector<QString> productLines;
    productLines.reserve(totals.size());
    for (const ProductTotal& t : totals)
        productLines.push_back(productLine(db, t));
    auto self = [](const QString& s) { return s; };
    sortByBytes(dishLines, self);
    sortByBytes(productLines, self);

    QByteArray doc;
    doc += rtf::kDocumentHeader;
    doc += "{\\f0\\fs22\\b\\i\\ul ";
    rtf::appendText(doc, QStringLiteral("Меню:"));
    doc += "}\\par";
    doc += "{\\f0\\fs16\\i ";
    for (const QString& line : dishLines) {
        rtf::appendText(doc, line);
        doc += "\\line";
    }
    doc += "}\\par";
    doc += "{\\f0\\fs22\\b\\i\\ul ";
    rtf::appendText(doc, QStringLiteral("Продукты:"));
    doc += "}\\par";
    doc += "{\\f0\\fs16\\i ";
    for (const QString& line : productLines) {
        rtf::appendText(doc, line);
        doc += "\\line";
    }
    doc += "}}";
    return doc;
}

} // namespace kitchen
