#include "kitchen/KitchenStore.h"
#include "exchange/ExchangeStore.h"
#include "nutrition/NutritionStore.h"
#include "support/RecordingProgress.h"
#include "support/TestDb.h"

#include <gtest/gtest.h>
#include <limits>
#include <memory>

using kitchen::List;

TEST(KitchenStore, ListsKeepEveryAvailabilityMarkTrueExactlyWhileListed) {
    TestDb t;
    t.recipe("Омлет", {{"Яйцо", 2}, {"Соль"}});
    t.recipe("Блины", {{"Яйцо", 1}, {"Молоко", 1}});
    const int egg = t.product("Яйцо"), salt = t.product("Соль"), milk = t.product("Молоко");
    EXPECT_EQ(lineMarks(t.db), "0000");

    EXPECT_EQ(kitchen::addProducts(t.db, List::OnHand, {{egg, "Яйцо"}, {salt, "Соль"}}).size(), 2u);
    EXPECT_EQ(lineMarks(t.db), "1110");
    // Adding again keeps one row and reports nothing new.
    EXPECT_TRUE(kitchen::addProducts(t.db, List::OnHand, {{egg, "Яйцо"}}).empty());
    EXPECT_EQ(number(t.db, "SELECT count(*) FROM Products WHERE ID=?", {qint64(egg)}), 1);

    kitchen::addProducts(t.db, List::Always, {{egg, "Яйцо"}});
    // Still always present: the marks stay.
    kitchen::removeProducts(t.db, List::OnHand, {egg, salt});
    EXPECT_EQ(lineMarks(t.db), "1010");
    EXPECT_EQ(number(t.db, "SELECT count(*) FROM Products"), 0);
    kitchen::removeProducts(t.db, List::Always, {egg, milk}); // milk was never listed
    EXPECT_EQ(lineMarks(t.db), "0000");
    EXPECT_TRUE(kitchen::listProducts(t.db, List::Always).empty());

    // A failure half-way through leaves both tables and every mark as they were.
    kitchen::addProducts(t.db, List::Always, {{salt, "Соль"}});
    t.db.execScript("CREATE TRIGGER refuse BEFORE INSERT ON Products WHEN NEW.ID = 3 "
                    "BEGIN SELECT RAISE(ABORT, 'refused'); END;");
    const QString before = lineMarks(t.db);
    EXPECT_THROW(
        kitchen::addProducts(t.db, List::OnHand, {{egg, "Яйцо"}, {salt, "Соль"}, {milk, "Молоко"}}),
        DbError);
    EXPECT_EQ(lineMarks(t.db), before);
    EXPECT_EQ(number(t.db, "SELECT count(*) FROM Products"), 0);
    t.db.execScript("DROP TRIGGER refuse; CREATE TRIGGER refuse BEFORE DELETE ON ProductsAlways "
                    "BEGIN SELECT RAISE(ABORT, 'refused'); END;");
    kitchen::addProducts(t.db, List::OnHand, {{egg, "Яйцо"}});
    const QString listed = lineMarks(t.db);
    EXPECT_THROW(kitchen::removeProducts(t.db, List::Always, {salt}), DbError);
    EXPECT_EQ(lineMarks(t.db), listed);
    EXPECT_EQ(textOf(t.db, "SELECT group_concat(ID) FROM ProductsAlways"), QString::number(salt));
}

TEST(KitchenStore, WhatToCookNeedsEveryLineAvailableAndSortsByNameThenId) {
    TestDb t;
    RecordingProgress progress;
    EXPECT_TRUE(kitchen::whatToCook(t.db, progress).empty());

    const int omelette2 = t.recipe("омлет", {{"Яйцо", 1000, "кг"}});
    t.recipe("Яйцо с солью", {{"Яйцо", 1000, "кг"}, {"Соль"}});
    const int omelette1 = t.recipe("Омлет", {{"Яйцо", 1000, "кг"}});
    t.recipe("Яйцо с икрой", {{"Яйцо", 1000, "кг"}, {"Икра", 1, "кг"}, {"Соль", 1, "кг"}});
    t.addRecipe("Вода"); // no lines: never listed
    const int eggs = t.recipe("Ёлочка из яиц", {{"Яйцо", 1000, "кг"}});
    const int egg = t.product("Яйцо"), salt = t.product("Соль"), kg = t.unit("кг");
    t.addLine(0, egg, 1, kg);   // a line of a recipe still being written
    t.addLine(999, egg, 1, kg); // a line whose recipe is gone

    // Nothing on hand: every mark false, nothing listed.
    EXPECT_TRUE(kitchen::whatToCook(t.db, progress).empty());

    // Always present alone is enough.
    kitchen::addProducts(t.db, List::Always, {{egg, "Яйцо"}});
    kitchen::addProducts(t.db, List::OnHand, {{salt, "Соль"}});
    const auto found = kitchen::whatToCook(t.db, progress);
    EXPECT_EQ(namesOf(found), (QStringList{"Ёлочка из яиц", "омлет", "Омлет", "Яйцо с солью"}));
    // Two recipes of one name (letter case aside) come in ID order.
    EXPECT_EQ(std::pair(found.at(1).recipe, found.at(2).recipe), std::pair(omelette2, omelette1));
    kitchen::addProducts(t.db, List::OnHand, {{t.product("Икра"), "Икра"}});
    EXPECT_EQ(namesOf(kitchen::whatToCook(t.db, progress)).size(), 5);
    // Recipe numbers far apart (a file grown over years) are counted as well as close ones.
    t.db.exec("UPDATE Ingredients SET Recipe=50000000 WHERE Recipe=?", {qint64(omelette1)});
    t.db.exec("UPDATE Recipes SET ID=50000000 WHERE ID=?", {qint64(omelette1)});
    EXPECT_EQ(kitchen::whatToCook(t.db, progress).at(2).recipe, 50000000);
    t.db.exec("UPDATE Ingredients SET Recipe=? WHERE Recipe=50000000", {qint64(omelette1)});
    t.db.exec("UPDATE Recipes SET ID=? WHERE ID=50000000", {qint64(omelette1)});

    EXPECT_EQ((std::pair{progress.high, progress.last()}), (std::pair<qint64, qint64>{10, 10}));

    // On a long run the bar moves about fifty times, not once per line nor only at the end.
    for (int i = 0; i < 990; ++i)
        t.addLine(eggs, egg, 1, kg);
    RecordingProgress many;
    kitchen::whatToCook(t.db, many);
    EXPECT_TRUE(many.positions.size() >= 45u && many.positions.size() <= 60u)
        << many.positions.size();
    EXPECT_EQ(many.positions.back(), 1000);
}

TEST(KitchenStore, MenuKeepsOneRowPerRecipeAndDropsOrphansOnOpening) {
    TestDb t;
    const int a = t.recipe("Щи"), b = t.recipe("Борщ");
    EXPECT_FALSE(kitchen::menuServings(t.db, a));
    kitchen::setMenuServings(t.db, a, 2);
    kitchen::setMenuServings(t.db, a, 5); // replaces, does not add
    kitchen::setMenuServings(t.db, b, 1);
    EXPECT_EQ(kitchen::menuServings(t.db, a), 5);
    EXPECT_EQ(number(t.db, "SELECT count(*) FROM Menu"), 2);

    t.db.exec("INSERT INTO Menu (Recipe, Quantity) VALUES (900, 1), (901, 3)");
    EXPECT_EQ(namesOf(kitchen::openMenu(t.db)), (QStringList{"Щи", "Борщ"}));
    EXPECT_EQ(number(t.db, "SELECT count(*) FROM Menu"), 2);

    kitchen::removeDish(t.db, a);
    EXPECT_EQ(namesOf(kitchen::openMenu(t.db)), QStringList{"Борщ"});
    kitchen::clearMenu(t.db);
    EXPECT_EQ(number(t.db, "SELECT count(*) FROM Menu"), 0);

    EXPECT_EQ(kitchen::parseServings("1000000"), 1000000);
    for (const char* bad : {"0", "1000001", "abc", "", "-3", "2.5", "99999999999"})
        EXPECT_FALSE(kitchen::parseServings(QString::fromUtf8(bad))) << bad;
}

TEST(KitchenStore, ProductListTotalsEveryDishAndSortsByBytes) {
    TestDb t;
    const int blini = t.recipe("Блины", {{"Мука", 200, "г"}, {"Яйцо", 2, "шт"}, {"Соль", 0, "г"}});
    const int omelette =
        t.recipe("Омлет", {{"Яйцо", 2, "шт"}, {"Соль", 0, "шт"}, {"Мука", 10, "г"}});
    const int hedgehogs = t.recipe(
        "Ёжики",
        {{"Мука", 0.1f, "кг"}, {"Яйцо", 0, "шт"}, {"7 злаков", 0, "г"}, {"1 сорт", 0, "г"}});
    const int pie = t.recipe("apple pie", {{"{Сахар}\\", 1, "ст"}});
    const int small = t.recipe("блинчики");
    const int flour = t.product("Мука");
    // 999: its recipe is gone.
    for (auto [dish, servings] :
         {std::pair{blini, 2}, {omelette, 3}, {hedgehogs, 1}, {pie, 1}, {small, 1}, {999, 4}})
        kitchen::setMenuServings(t.db, dish, servings);
    // On hand or not makes no difference to the list.
    kitchen::addProducts(t.db, List::OnHand, {{flour, "Мука"}});

    EXPECT_EQ(
        kitchen::menuProductListRtf(t.db),
        QByteArray(
            "{\\rtf0\\ansi{\\fonttbl{\\f0\\fswiss Arial;\\f1\\froman Times New Roman;}}{\\f0\\fs22"
            "\\b\\i\\ul \xcc\xe5\xed\xfe:}\\par{\\f0\\fs16\\i apple pie (1)\\line\xa8\xe6\xe8\xea"
            "\xe8 (1)\\line\xc1\xeb\xe8\xed\xfb (2)\\line\xce\xec\xeb\xe5\xf2 (3)\\line\xe1\xeb\xe8"
            "\xed\xf7\xe8\xea\xe8 (1)\\line}\\par{\\f0\\fs22\\b\\i\\ul \xcf\xf0\xee\xe4\xf3\xea\xf2"
            "\xfb:}\\par{\\f0\\fs16\\i 1 \xf1\xee\xf0\xf2 : ~\\line 7 \xe7\xeb\xe0\xea\xee\xe2 : ~"
            "\\line\\{\xd1\xe0\xf5\xe0\xf0\\}\\\\ : 1 \xf1\xf2\\line\xcc\xf3\xea\xe0 : 430 \xe3 + 0"
            ".1 \xea\xe3\\line\xd1\xee\xeb\xfc : ~\\line\xdf\xe9\xf6\xee : \xe1\xee\xeb\xe5\xe5 "
            "\xf7\xe5\xec 10 \xf8\xf2\\line}}"));

    EXPECT_EQ(namesOf(kitchen::menuDishesByBytes(t.db)),
              (QStringList{"apple pie", "Ёжики", "Блины", "Омлет", "блинчики"}));

    // A product or unit gone from its dictionary still has its line, with no name.
    t.db.exec("DELETE FROM Menu");
    kitchen::setMenuServings(t.db, pie, 2);
    t.db.exec("DELETE FROM Ingredient WHERE ID=?", {t.product("{Сахар}\\")});
    t.db.exec("DELETE FROM Units WHERE ID=?", {t.unit("ст")});
    EXPECT_TRUE(kitchen::menuProductListRtf(t.db).endsWith("{\\f0\\fs16\\i  : 2 \\line}}"));

    // An amount without a unit is an amount, not "not given".
    t.db.exec("DELETE FROM Menu");
    kitchen::setMenuServings(t.db, t.recipe("Bread", {{"Яйцо", 2}, {"Яйцо", 0}}), 3);
    EXPECT_TRUE(kitchen::menuProductListRtf(t.db).endsWith(
        "\\i \xdf\xe9\xf6\xee : \xe1\xee\xeb\xe5\xe5 \xf7\xe5\xec 6 \\line}}"));

    // A recipe's name is never a pattern: "%2" in it stays as typed.
    t.db.exec("DELETE FROM Menu");
    kitchen::setMenuServings(t.db, t.addRecipe("Напиток 1%2"), 3);
    EXPECT_TRUE(kitchen::menuProductListRtf(t.db).contains(
        "{\\f0\\fs16\\i \xcd\xe0\xef\xe8\xf2\xee\xea 1%2 (3)\\line}"));

    // An empty menu: both headings, empty groups.
    t.db.exec("DELETE FROM Menu");
    EXPECT_EQ(kitchen::menuProductListRtf(t.db),
              QByteArray("{\\rtf0\\ansi{\\fonttbl{\\f0\\fswiss Arial;\\f1\\froman Times New "
                         "Roman;}}{\\f0\\fs22\\b\\i\\ul \xcc\xe5\xed\xfe:}\\par{\\f0\\fs16\\i "
                         "}\\par{\\f0\\fs22\\b\\i\\ul \xcf\xf0\xee\xe4\xf3\xea\xf2\xfb:}\\par"
                         "{\\f0\\fs16\\i }}"));
    EXPECT_TRUE(kitchen::bytesLess("Ё", "А") && kitchen::bytesLess("Я", "а"));
    EXPECT_FALSE(kitchen::bytesLess("а", "а"));
}

TEST(KitchenStore, WhatIsMissingNamesEachLackingProductOnceInOrder) {
    TestDb t;
    auto recipe = [&](const char* name, std::initializer_list<const char*> products) {
        const int r = t.addRecipe(QString::fromUtf8(name));
        for (const char* p : products)
            t.addLine(r, t.product(QString::fromUtf8(p)), 1, t.unit("г"));
        return r;
    };
    const int borscht = recipe("Борщ домашний", {"свёкла", "сметана", "Соль", "свёкла", "Вода"});
    const int shchi = recipe("Щи", {"Капуста", "Говядина", "укроп", "сметана", "Соль"});
    const int tea = recipe("чай", {"Вода"});
    const int ice = recipe("Ёжики", {"Говядина"});
    const int brine = recipe("Рассол", {"Соль", "Вода"});
    recipe("Пусто", {});
    const int second = recipe("Борщ домашний", {"свёкла", "Соль"});
    const int salt = t.product("Соль"), water = t.product("Вода");
    // Salt both on hand and always present; water always present.
    kitchen::addProducts(t.db, List::OnHand, {{salt, "Соль"}});
    kitchen::addProducts(t.db, List::Always, {{salt, "Соль"}, {water, "Вода"}});

    auto rows = [&](int n) {
        NoProgress quiet;
        QStringList out;
        for (const kitchen::MissingDish& d : kitchen::whatIsMissing(t.db, n, quiet))
            out << QString::number(d.recipe) + QLatin1Char(' ') + kitchen::missingText(d);
        return out;
    };
    const QString b = QString::number(borscht), b2 = QString::number(second);
    EXPECT_EQ(rows(1),
              (QStringList{QString::number(brine) + " Рассол", QString::number(tea) + " чай",
                           b2 + " Борщ домашний — нет: свёкла",
                           QString::number(ice) + " Ёжики — нет: Говядина"}));
    // The same beet twice counts once; "свёкла" and "сметана" in the Russian order.
    EXPECT_EQ(rows(2).mid(4), QStringList{b + " Борщ домашний — нет: свёкла, сметана"});
    EXPECT_EQ(rows(3).size(), 5);
    // Four lacking is too many even for three.
    kitchen::removeProducts(t.db, List::OnHand, {salt});
    EXPECT_EQ(rows(3).size(), 5);
    kitchen::removeProducts(t.db, List::Always, {salt});
    EXPECT_FALSE(rows(3).join('|').contains(QString::number(shchi) + " "));
    EXPECT_EQ(rows(1).first(), QString::number(tea) + " чай");

    std::vector<int> ids;
    NoProgress quiet;
    for (const kitchen::MissingDish& d : kitchen::whatIsMissing(t.db, 3, quiet))
        if (d.recipe == borscht)
            ids = d.missingIds;
    // The identifiers follow the names' order, which ignores letter case.
    EXPECT_EQ(ids, (std::vector<int>{t.product("свёкла"), t.product("сметана"), salt}));

    // A recipe gone with its lines left behind is not listed; nor when the few listed
    // among many recipes are looked up one by one.
    const int gone = recipe("Ушедший", {"Вода"});
    t.db.exec("DELETE FROM Recipes WHERE ID=?", {qint64(gone)});
    const QStringList before = rows(2);
    EXPECT_FALSE(before.join('|').contains("Ушедший"));
    for (int i = 0; i < 200; ++i)
        t.addRecipe("Без строк");
    EXPECT_EQ(rows(2), before);
}

TEST(KitchenStore, ShoppingListTakesTheMenuLessWhatIsAtHandAndKeepsItsMarks) {
    auto t = std::make_unique<TestDb>();
    const int blini =
        t->recipe("Блины", {{"Мука", 200, "г"}, {"Яйцо", 2}, {"Соль", 0, "г"}, {"Перец", 0, "г"}});
    const int flour = t->product("Мука"), salt = t->product("Соль"), pepper = t->product("Перец");
    const int milk = t->product("Молоко");
    kitchen::addProducts(t->db, List::Always, {{salt, "Соль"}});
    kitchen::setMenuServings(t->db, blini, 2);
    kitchen::addToShoppingList(t->db, {milk, flour});

    auto rows = [&] {
        QStringList out;
        for (const kitchen::ShoppingItem& i : kitchen::shoppingList(t->db))
            out << (i.bought ? "+" : "-") + i.text;
        return out;
    };
    // The menu's lines as the product list words them, then the added products by name;
    // flour, added and needed by the menu, stands once with its amount.
    EXPECT_EQ(rows(), (QStringList{"-Мука : 400 г", "-Перец : ~", "-Яйцо : 4 ", "-Молоко"}));
    EXPECT_EQ(kitchen::shoppingListText(t->db), "Мука : 400 г\nПерец : ~\nЯйцо : 4 \nМолоко\n");

    kitchen::setBought(t->db, pepper, true);
    kitchen::setBought(t->db, milk, true);
    EXPECT_EQ(kitchen::shoppingListText(t->db), "Мука : 400 г\nЯйцо : 4 \n");
    // The list is in the collection: it outlives the program.
    const QString path = t->path();
    t->db.close();
    t->db.open(path, Database::OpenMode::Existing);
    EXPECT_EQ(rows(), (QStringList{"-Мука : 400 г", "+Перец : ~", "-Яйцо : 4 ", "+Молоко"}));

    // Cleared rows go; one the menu needs stays away until the menu changes.
    kitchen::clearBought(t->db);
    EXPECT_EQ(rows(), (QStringList{"-Мука : 400 г", "-Яйцо : 4 "}));
    kitchen::setMenuServings(t->db, blini, 1);
    EXPECT_EQ(rows(), (QStringList{"-Мука : 200 г", "-Перец : ~", "-Яйцо : 2 "}));

    // Bought and put on hand: off the list, on hand, and every line of it marked available.
    kitchen::setBought(t->db, flour, true);
    EXPECT_EQ(kitchen::boughtToOnHand(t->db), std::vector<int>{flour});
    EXPECT_EQ(rows(), (QStringList{"-Перец : ~", "-Яйцо : 2 "}));
    EXPECT_EQ(kitchen::listProducts(t->db, List::OnHand).size(), 1u);
    EXPECT_EQ(number(t->db, "SELECT Have FROM Ingredients WHERE Ingredient=?", {qint64(flour)}), 1);

    // A mark belongs to the list it was made on: a change of the menu ends it, even back
    // to the same need, and eggs ticked for one menu are not ticked for another menu that
    // needs the same number of them.
    const int egg = t->product("Яйцо");
    kitchen::setBought(t->db, egg, true);
    EXPECT_EQ(rows(), (QStringList{"-Перец : ~", "+Яйцо : 2 "}));
    kitchen::setMenuServings(t->db, blini, 2);
    kitchen::setMenuServings(t->db, blini, 1);
    EXPECT_EQ(rows(), (QStringList{"-Перец : ~", "-Яйцо : 2 "}));
    kitchen::setBought(t->db, egg, true);
    kitchen::clearMenu(t->db);
    const int omelette = t->recipe("Омлет", {{"Яйцо", 2}});
    kitchen::setMenuServings(t->db, omelette, 1);
    EXPECT_EQ(rows(), QStringList{"-Яйцо : 2 "});
    EXPECT_EQ(kitchen::shoppingListText(t->db), "Яйцо : 2 \n");
    // A product's weights changed under a mark leave it, though its line now says more.
    const int cream = t->product("Сметана");
    t->db.exec("INSERT INTO Ingredients (Recipe, Ingredient, Quantity, Unit) VALUES "
               "(?, ?, 1, ?), (?, ?, 50, ?)",
               {qint64(omelette), qint64(cream), qint64(t->unit("стакан")), qint64(omelette),
                qint64(cream), qint64(t->unit("г"))});
    nutrition::Figures heavy;
    heavy.weights = {{"стакан", 200}};
    nutrition::setOwnFigures(t->db, cream, heavy);
    kitchen::setBought(t->db, cream, true);
    EXPECT_EQ(rows(), (QStringList{"+Сметана : 250 г (1 стакан + 50 г)", "-Яйцо : 2 "}));
    heavy.weights = {{"стакан", 250}};
    nutrition::setOwnFigures(t->db, cream, heavy);
    EXPECT_EQ(rows(), (QStringList{"+Сметана : 300 г (1 стакан + 50 г)", "-Яйцо : 2 "}));
    t->db.exec("DELETE FROM Ingredients WHERE Ingredient=?", {qint64(cream)});
    // Cleared, a product comes back when a menu recipe is edited to need more of it.
    kitchen::setBought(t->db, egg, true);
    kitchen::clearBought(t->db);
    EXPECT_EQ(rows(), QStringList{});
    t->db.exec("UPDATE Ingredients SET Quantity=4 WHERE Recipe=?", {qint64(omelette)});
    EXPECT_EQ(rows(), QStringList{"-Яйцо : 4 "});
    // Added by hand: off the list once at hand; bought and cleared, it stays off until it
    // is added again.
    const int sugar = t->product("Сахар"), butter = t->product("Масло");
    kitchen::addToShoppingList(t->db, {sugar, butter});
    kitchen::addProducts(t->db, List::OnHand, {{butter, "Масло"}});
    EXPECT_EQ(rows(), (QStringList{"-Яйцо : 4 ", "-Сахар"}));
    kitchen::setBought(t->db, sugar, true);
    kitchen::clearBought(t->db);
    EXPECT_EQ(rows(), QStringList{"-Яйцо : 4 "});
    kitchen::addToShoppingList(t->db, {sugar});
    EXPECT_EQ(rows(), (QStringList{"-Яйцо : 4 ", "-Сахар"}));
    // A product the menu needs, cleared, then added by hand: listed again.
    kitchen::setBought(t->db, egg, true);
    kitchen::clearBought(t->db);
    EXPECT_EQ(rows(), QStringList{"-Сахар"});
    kitchen::addToShoppingList(t->db, {egg});
    EXPECT_EQ(rows(), (QStringList{"-Яйцо : 4 ", "-Сахар"}));
}

TEST(KitchenStore, HouseholdStaplesBecomeAlwaysPresent) {
    TestDb t;
    NoProgress quiet;
    exchange::importBytes(t.db, exchange::starterCollection(), quiet);
    kitchen::addHouseholdStaples(t.db);
    QStringList always = namesOf(kitchen::listProducts(t.db, List::Always));
    always.sort();
    EXPECT_EQ(always, (QStringList{"Вода", "Масло растительное", "Сахар", "Соль"}));
    // A fresh start has something to show: recipes that lack only one or two products.
    const auto missing = kitchen::whatIsMissing(t.db, 2, quiet);
    ASSERT_GE(missing.size(), 2u);
    EXPECT_EQ(kitchen::missingText(missing[0]), "Яичница-глазунья — нет: Яйцо куриное");
}

// A large collection is read in two halves on two threads; the answers must be those of one
// pass, recipes whose lines fall in both halves included, and inside a transaction the
// pass sees what the transaction changed.
TEST(KitchenStore, ReadingInTwoHalvesGivesTheAnswersOfOnePass) {
    TestDb t;
    std::vector<int> recipes, products;
    for (int i = 0; i < 40; ++i)
        recipes.push_back(t.addRecipe(QStringLiteral("Блюдо %1").arg(i % 13)));
    for (int i = 0; i < 12; ++i)
        products.push_back(t.product(QStringLiteral("Продукт %1").arg(i)));
    // Lines in a scattered order, so most recipes have lines in both halves.
    unsigned seed = 7;
    auto next = [&seed](size_t n) {
        seed = seed * 1103515245u + 12345u;
        return size_t((seed >> 16) % n);
    };
    for (int i = 0; i < 240; ++i)
        t.addLine(recipes[next(recipes.size())], products[next(products.size())], 1, 0);
    // The two lines either side of the halves' border belong to a recipe of their own.
    const int edge = t.addRecipe("Граница");
    t.db.exec("UPDATE Ingredients SET Recipe=?, Ingredient=? "
              "WHERE ID = (SELECT max(ID) / 2 FROM Ingredients)",
              {qint64(edge), qint64(products[4])});
    t.db.exec("UPDATE Ingredients SET Recipe=?, Ingredient=? "
              "WHERE ID = (SELECT max(ID) / 2 + 1 FROM Ingredients)",
              {qint64(edge), qint64(products[5])});
    for (size_t i = 0; i < products.size(); i += 3)
        kitchen::addProducts(t.db, List::OnHand, {{products[i], ""}});
    kitchen::addProducts(t.db, List::Always, {{products[1], ""}, {products[2], ""}});

    auto answers = [&t] {
        NoProgress quiet;
        QStringList out;
        for (const kitchen::Dish& d : kitchen::whatToCook(t.db, quiet))
            out << QString::number(d.recipe);
        for (int n = 0; n <= kitchen::kMaxMissing; ++n) {
            out << "|";
            for (const kitchen::MissingDish& d : kitchen::whatIsMissing(t.db, n, quiet))
                out << QString::number(d.recipe) + ":" + kitchen::missingText(d);
        }
        return out;
    };
    const qint64 usual = kitchen::parallelScanFrom;
    kitchen::parallelScanFrom = std::numeric_limits<qint64>::max();
    const QStringList onePass = answers();
    kitchen::parallelScanFrom = 0;
    const QStringList halves = answers();
    RecordingProgress progress;
    kitchen::whatToCook(t.db, progress);
    // A recipe that lacks something, made whole inside a transaction.
    const QStringList cooked = onePass.mid(0, onePass.indexOf("|"));
    const auto lacking = std::find_if(recipes.begin(), recipes.end(), [&cooked](int r) {
        return !cooked.contains(QString::number(r));
    });
    ASSERT_NE(lacking, recipes.end());
    {
        Transaction tx(t.db);
        t.db.exec("UPDATE Ingredients SET Have=1 WHERE Recipe=?", {qint64(*lacking)});
        const QStringList inside = answers();
        EXPECT_TRUE(inside.mid(0, inside.indexOf("|")).contains(QString::number(*lacking)));
    }
    kitchen::parallelScanFrom = usual;
    EXPECT_EQ(halves, onePass);
    EXPECT_GT(onePass.size(), 20);
    EXPECT_TRUE(
        onePass.join(' ').contains(QString::number(edge) + ":Граница — нет: Продукт 4, Продукт 5"));
    EXPECT_EQ(progress.last(), progress.high);
}

// A product added by hand, bought and also needed by the menu stays off the list once
// cleared, until the menu changes. Recipe numbers differ from line numbers here, so that a
// query that mixed them up could not pass by chance.
TEST(KitchenStore, ClearingABoughtProductTheMenuNeedsKeepsItOffUntilTheMenuChanges) {
    TestDb t;
    for (int i = 0; i < 7; ++i)
        t.recipe(QStringLiteral("Пусто %1").arg(i));
    t.recipe("Чай", {{"Чай", 1, "г"}, {"Сахар", 2, "г"}, {"Лимон", 1, "шт"}});
    const int pancakes = t.recipe("Блины", {{"Молоко", 500, "мл"}});
    ASSERT_NE(number(t.db, "SELECT ID FROM Ingredients WHERE Recipe=?", {pancakes}), pancakes);
    const int milk = t.product("Молоко");
    kitchen::setMenuServings(t.db, pancakes, 1);
    kitchen::addToShoppingList(t.db, {milk});
    kitchen::setBought(t.db, milk, true);
    kitchen::clearBought(t.db);
    EXPECT_TRUE(kitchen::shoppingList(t.db).empty());
    kitchen::setMenuServings(t.db, pancakes, 2);
    ASSERT_EQ(kitchen::shoppingList(t.db).size(), 1u);
    EXPECT_EQ(kitchen::shoppingList(t.db).front().text, "Молоко : 1000 мл");
}
