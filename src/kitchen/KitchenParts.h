#pragma once

#include "KitchenStore.h"

#include "data/TextOrder.h"
#include "recipes/RecipeStore.h"
#include "recipes/RtfText.h"

#include <QByteArray>
#include <QString>
#include <functional>
#include <vector>

class Database;

// What the kitchen's store, the menu's product list and the shopping list share. The
// kitchen's inner part; nothing else needs it.
namespace kitchen::parts {

// Files from before the shopping list lack its table until the program's start-up adds it.
bool hasShoppingList(Database& db);
// Dishes in table order, the gone ones left out.
std::vector<Dish> readMenu(Database& db);
// A product or unit whose row is gone still has its line, with no name.
QString dictionaryName(Database& db, recipes::Dictionary which, int id);

struct ProductLine {
    int product;
    QString text;
};
// The menu's products totalled over every dish, a line each in the order of their bytes;
// the dishes' own lines too when asked for.
std::vector<ProductLine> menuProductLines(Database& db, std::vector<QString>* dishLinesOut,
                                          bool inGrams);
// The same totals for any dishes, each line's amount times its dish's factor.
std::vector<ProductLine> productLines(Database& db, const std::vector<Portion>& dishes,
                                      bool inGrams);

// Sorts by code page 1251 bytes, keeping equal texts in their order.
template <class T, class Text> void sortByBytes(std::vector<T>& items, Text text) {
    stableSortByKey(
        items, [&text](const T& item) { return rtf::toCp1251Lossy(text(item)); },
        std::less<QByteArray>());
}

} // namespace kitchen::parts
