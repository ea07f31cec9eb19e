// The shopping list: what the menu needs less what is at hand, and what the user added,
// with the marks of what was bought.

#include "KitchenParts.h"
#include "KitchenStore.h"

#include "data/Database.h"

#include <algorithm>
#include <unordered_map>
#include <unordered_set>

namespace kitchen {

using namespace parts;

namespace {

std::unordered_set<int> productsAtHand(Database& db) {
    std::unordered_set<int> available;
    Statement have(db, SqlText("SELECT ID FROM Products UNION SELECT ID FROM ProductsAlways"));
    while (have.step())
        available.insert(int(have.int64(0)));
    return available;
}

} // namespace

std::vector<ShoppingItem> shoppingListFor(Database& db, const std::vector<Portion>& dishes) {
    Transaction reading(db);
    const std::unordered_set<int> available = productsAtHand(db);
    std::vector<ShoppingItem> out;
    for (const ProductLine& line : productLines(db, dishes, true))
        if (!available.count(line.product))
            out.push_back({line.product, line.text, false, true});
    return out;
}

std::vector<ShoppingItem> shoppingList(Database& db) {
    Transaction reading(db);
    const bool stored = hasShoppingList(db);
    struct Row {
        bool added, bought, cleared;
        QString need;
    };
    std::unordered_map<int, Row> rows;
    if (stored) {
        Statement st(db, SqlText("SELECT Product, Added, Bought, Cleared, Need FROM ShoppingList"));
        while (st.step())
            rows[int(st.int64(0))] = {st.int64(1) != 0, st.int64(2) != 0, st.int64(3) != 0,
                                      st.text(4)};
    }
    const std::unordered_set<int> available = productsAtHand(db);

    // What the menu needs less what is at hand. A mark belongs to the list it was made on,
    // which a change of the menu ends; a changed weight leaves it.
    std::vector<ShoppingItem> out;
    std::unordered_set<int> shown;
    for (const ProductLine& line : menuProductLines(db, nullptr, true)) {
        if (available.count(line.product))
            continue;
        const auto row = rows.find(line.product);
        const bool marked = row != rows.end();
        // Cleared, it stays away while the menu needs the same; a recipe changed to need
        // more brings it back.
        if (marked && row->second.cleared && row->second.need == line.text)
            continue;
        out.push_back({line.product, line.text, marked && row->second.bought, true});
        shown.insert(line.product);
    }
    // Then what the user added and has neither cleared nor got at hand.
    std::vector<ShoppingItem> added;
    for (const auto& [product, row] : rows)
        if (row.added && !row.cleared && !shown.count(product) && !available.count(product))
            added.push_back({product, dictionaryName(db, recipes::Dictionary::Products, product),
                             row.bought, false});
    std::sort(added.begin(), added.end(),
              [](const ShoppingItem& a, const ShoppingItem& b) { return a.product < b.product; });
    sortByBytes(added, [](const ShoppingItem& i) { return i.text; });
    out.insert(out.end(), added.begin(), added.end());
    return out;
}

void addToShoppingList(Database& db, const std::vector<int>& products) {
    Transaction tx(db);
    for (int product : products)
        db.exec("INSERT INTO ShoppingList (Product, Added) VALUES (?, 1) "
                "ON CONFLICT (Product) DO UPDATE SET Added=1, Cleared=0",
                {qint64(product)});
    tx.commit();
}

void setBought(Database& db, int product, bool bought) {
    Transaction tx(db);
    QString need;
    for (const ShoppingItem& item : shoppingList(db))
        if (item.product == product && item.fromMenu)
            need = item.text;
    db.exec("INSERT INTO ShoppingList (Product, Bought, Need) VALUES (?, ?, ?) "
            "ON CONFLICT (Product) DO UPDATE SET Bought=excluded.Bought, Need=excluded.Need",
            {qint64(product), qint64(bought ? 1 : 0), need});
    tx.commit();
}

void clearBought(Database& db) {
    Transaction tx(db);
    // A product the menu needs would come straight back: it stays, marked as cleared.
    db.exec("DELETE FROM ShoppingList WHERE Bought=1 AND Added=1 AND Product NOT IN "
            "(SELECT Ingredient FROM Ingredients WHERE Recipe IN (SELECT Recipe FROM Menu))");
    db.exec("UPDATE ShoppingList SET Cleared=1, Added=0, Bought=0 WHERE Bought=1");
    tx.commit();
}

std::vector<int> boughtToOnHand(Database& db) {
    Transaction tx(db);
    std::vector<Entry> bought;
    for (const ShoppingItem& item : shoppingList(db))
        if (item.bought)
            bought.push_back({item.product, item.text});
    addProducts(db, List::OnHand, bought);
    std::vector<int> moved;
    for (const Entry& e : bought) {
        db.exec("DELETE FROM ShoppingList WHERE Product=?", {qint64(e.id)});
        moved.push_back(e.id);
    }
    tx.commit();
    return moved;
}

QString shoppingListText(const std::vector<ShoppingItem>& items) {
    QString text;
    for (const ShoppingItem& item : items)
        if (!item.bought)
            text += item.text + QLatin1Char('\n');
    return text;
}

QString shoppingListText(Database& db) {
    return shoppingListText(shoppingList(db));
}

} // namespace kitchen
