#include "KitchenStore.h"

#include "data/Records.h"
#include "data/TextOrder.h"
#include "recipes/RecipeStore.h"
#include "recipes/RtfText.h"
#include "ui/Progress.h"

#include <QRegularExpression>
#include <algorithm>
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

    std::vector<Dish> found;
    Statement names(db, SqlText("SELECT ID, Name FROM Recipes ORDER BY ID"));
    while (names.step()) {
        const int id = int(names.int64(0));
        const auto it = allAvailable.find(id);
        if (it != allAvailable.end() && it->second)
            found.push_back({id, names.text(1), 0});
    }
    // By name in the Russian order of the name search; recipes of one name stay in ID order.
    sortRussian(found, [](const Dish& d) { return d.name; });
    progress.setPosition(total);
    return found;
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

// QByteArray compares its bytes unsigned, as the code page orders them.
bool bytesLess(const QString& a, const QString& b) {
    return rtf::toCp1251Lossy(a) < rtf::toCp1251Lossy(b);
}

namespace {

// Sorts by code page 1251 bytes, keeping equal texts in their order.
template <class T, class Text> void sortByBytes(std::vector<T>& items, Text text) {
    stableSortByKey(
        items, [&text](const T& item) { return rtf::toCp1251Lossy(text(item)); },
        std::less<QByteArray>());
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

// A product or unit whose row is gone still has its line, with no name.
QString dictionaryName(Database& db, recipes::Dictionary which, int id) {
    return recipes::entryName(db, which, id).value_or(QString());
}

QString productLine(Database& db, const ProductTotal& total) {
    QString line =
        dictionaryName(db, recipes::Dictionary::Products, total.product) + QStringLiteral(" :");
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
                QLatin1Char(' ') + dictionaryName(db, recipes::Dictionary::Units, a.key);
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
        dishLines.push_back(
            QStringLiteral("%1 (%2)").arg(dish.name, QString::number(dish.servings)));
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
