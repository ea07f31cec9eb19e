#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

class Database;
class Progress;

// The kitchen: products on hand and always present, what can be cooked from them, the
// menu of dishes and the products the whole menu needs. No widgets here.
namespace kitchen {

struct Entry {
    int id = 0;
    QString name;
};

// The two lists of products the kitchen has: on hand now, and always present.
enum class List { OnHand, Always };

// The products of a list, in the order the table holds them.
std::vector<Entry> listProducts(Database& db, List which);

// Adds the products to the list in one transaction and marks every ingredient line that
// uses them as available. Products already listed are skipped; the entries actually
// added come back in the order given.
std::vector<Entry> addProducts(Database& db, List which, const std::vector<Entry>& products);

// Takes the products off the list in one transaction. A line stays marked as available
// only while its product is still in the other list.
void removeProducts(Database& db, List which, const std::vector<int>& products);

// What every kitchen has, among the products the collection knows: made always present
// for a new user, so that the kitchen's questions have answers from the first start.
void addHouseholdStaples(Database& db);

struct Dish {
    int recipe = 0;
    QString name;
    int servings = 0;
};

// The recipes all of whose ingredient lines have their product at hand, in the order of
// the name search (Russian, ignoring case), recipes of one name by ID. A recipe without
// lines never qualifies. Progress counts the lines read.
std::vector<Dish> whatToCook(Database& db, Progress& progress);

// A recipe that lacks a few products: those that are neither on hand nor always present,
// each named once however many lines use it, in the Russian order of the name search.
struct MissingDish {
    int recipe = 0;
    QString name;
    QStringList missing;         // names, in the Russian order
    std::vector<int> missingIds; // the same products' identifiers, in the same order
};
constexpr int kMaxMissing = 3;
// The recipes that lack at most maxMissing (0 to 3) products: by the number lacking, then
// in the order of the name search, then by ID. Recipes without lines are not listed.
// Progress counts the lines read.
std::vector<MissingDish> whatIsMissing(Database& db, int maxMissing, Progress& progress);
// From how many lines the two questions above read the collection in two halves at once,
// on two threads; tests lower it to check that both ways give the same answers.
extern qint64 parallelScanFrom;

// "Борщ домашний — нет: свёкла, сметана", or the name alone when nothing is missing.
QString missingText(const MissingDish& dish);

// The menu's servings of a recipe, nothing when it is not on the menu.
std::optional<int> menuServings(Database& db, int recipe);
// Puts the recipe on the menu with that many servings, or changes its servings.
void setMenuServings(Database& db, int recipe, int servings);
void removeDish(Database& db, int recipe);
void clearMenu(Database& db);
// Every dish of the menu, in table order; rows whose recipe is gone are deleted first.
std::vector<Dish> openMenu(Database& db);

// A number of servings as typed: digits only, 1 to 1000000.
constexpr int kMaxServings = 1000000;
std::optional<int> parseServings(const QString& text);

// The menu's dishes sorted as the product list sorts them (by their code page 1251
// bytes); rows whose recipe is gone are left out.
std::vector<Dish> menuDishesByBytes(Database& db);

// The document of the menu: its dishes, then the products they need in total; in grams,
// the amounts of a product in different units are added up where its weights are known.
QByteArray menuProductListRtf(Database& db, bool inGrams = false);

// Ascending by the code page 1251 bytes of the texts; equal texts keep their order.
bool bytesLess(const QString& a, const QString& b);

// The shopping list: the products the menu needs that are neither on hand nor always
// present, as the menu's product list in grams words them, then the products added by hand, each by
// its name alone. Rows keep whether they were bought until they are cleared.
struct ShoppingItem {
    int product = 0;
    QString text;
    bool bought = false;
    bool fromMenu = false;
};
std::vector<ShoppingItem> shoppingList(Database& db);
// A recipe as a list counts it: its lines times the factor.
struct Portion {
    int recipe = 0;
    double factor = 1;
};
// The list for these dishes alone, as the shopping list words and filters it (on hand and
// always present taken off), with no marks and nothing added by hand: those belong to the
// menu's list.
std::vector<ShoppingItem> shoppingListFor(Database& db, const std::vector<Portion>& dishes);
// Adds products by hand; those already there stay as they are.
void addToShoppingList(Database& db, const std::vector<int>& products);
void setBought(Database& db, int product, bool bought);
// Takes the bought rows off the list. A product the menu needs comes back only when the
// menu changes.
void clearBought(Database& db);
// Puts the bought products on hand (marking their lines available) and takes them off
// the list, in one transaction. The products moved come back.
std::vector<int> boughtToOnHand(Database& db);
// The rows not yet bought, one a line, as plain text.
QString shoppingListText(Database& db);
// The same of any list's rows.
QString shoppingListText(const std::vector<ShoppingItem>& items);

} // namespace kitchen
