#include "recipes/RecipeStore.h"
#include "data/Records.h"
#include "support/TestDb.h"

#include <gtest/gtest.h>

using namespace recipes;

TEST(RecipeStore, AvailabilityMarkFollowsTheKitchenListsOnlyWhenTheProductChanges) {
    TestDb t;
    const int r = t.recipe("Омлет");
    const int salt = t.product("Соль"), eggs = t.product("Яйца"), caviar = t.product("Икра");
    const int g = t.unit("г");
    t.db.exec("INSERT INTO ProductsAlways (ID) VALUES (?)", {qint64(salt)});
    t.db.exec("INSERT INTO Products (ID) VALUES (?)", {qint64(eggs)});

    const int saltLine = addLine(t.db, r, salt, 5, g);
    const int eggLine = addLine(t.db, r, eggs, 3, g);
    const int caviarLine = addLine(t.db, r, caviar, 0, g);
    EXPECT_EQ(lineMarks(t.db), "110");

    // The lists change; a line whose product stays keeps its stored mark.
    t.db.exec("DELETE FROM Products");
    changeLine(t.db, eggLine, eggs, 4, g, eggs);
    EXPECT_EQ(lineMarks(t.db), "110");
    EXPECT_EQ(readLine(t.db, eggLine)->quantity, 4.0f);
    // A new product is looked up again.
    changeLine(t.db, eggLine, salt, 4, g, eggs);
    changeLine(t.db, saltLine, caviar, 4, g, salt);
    EXPECT_EQ(lineMarks(t.db), "010");

    EXPECT_TRUE(deleteLine(t.db, caviarLine));
    EXPECT_FALSE(deleteLine(t.db, caviarLine));
    EXPECT_FALSE(readLine(t.db, caviarLine));
}

TEST(RecipeStore, AmountsAreNumbersWithAPointOrAComma) {
    QList<float> amounts;
    for (const char* text : {"0", " 2.5\t", "200", ".5", "1e3", "0.1", "150,5", ",5"})
        amounts << parseAmount(QString::fromUtf8(text)).value_or(-1);
    EXPECT_EQ(amounts, (QList<float>{0, 2.5f, 200, 0.5f, 1000, 0.1f, 150.5f, 0.5f}));
    for (const char* bad :
         {"", " ", "1,5,0", "1,000.5", "abc", "1.5кг", "-2", "1e40", "nan", "inf", "1 2"})
        EXPECT_FALSE(parseAmount(QString::fromUtf8(bad))) << bad;

    EXPECT_EQ(lineText("Мука", 200, "г"), "Мука 200 г");
    EXPECT_EQ(lineText("Соль", 0, "г"), "Соль");
    EXPECT_EQ(lineText("Сахар", 1.0f / 3, "ст."), "Сахар 0.333333 ст.");
    // The editor's line list writes exponents as the documents and files do, and leaves
    // "%" in a name alone.
    EXPECT_EQ(lineText("Вода 1%2", 2e6f, "мл"), "Вода 1%2 2e+006 мл");
}

TEST(RecipeStore, NewRecipeTakesItsPendingLinesAndDeletingLeavesTheMenu) {
    TestDb t;
    t.recipe("Старый", {{"Мука", 1, "г"}});
    const int kept = int(number(t.db, "SELECT ID FROM Ingredients"));
    addLine(t.db, 0, t.product("Мука"), 1, t.unit("г"));
    addLine(t.db, 0, t.product("Мука"), 2, t.unit("г"));
    int r = createRecipe(t.db, 5, "   ", "a\r\nb");
    EXPECT_EQ(number(t.db, "SELECT count(*) FROM Ingredients WHERE Recipe=0"), 0);
    EXPECT_EQ(recipeLines(t.db, r).size(), 2u);
    EXPECT_EQ(std::pair(readRecipe(t.db, r)->section, readRecipe(t.db, r)->name),
              std::pair(5, QString("   ")));

    t.db.exec("INSERT INTO Menu (Recipe, Quantity) VALUES (?, 3)", {qint64(r)});
    EXPECT_TRUE(deleteRecipe(t.db, r));
    EXPECT_FALSE(deleteRecipe(t.db, r));
    EXPECT_EQ(textOf(t.db, "SELECT group_concat(ID) FROM Ingredients"), QString::number(kept));
    EXPECT_EQ(number(t.db, "SELECT count(*) FROM Menu"), 1);
    EXPECT_THROW(updateRecipe(t.db, r, "x", QString()), DbError);
}

TEST(RecipeStore, DictionariesSortInRussianAndDeletedProductsLeaveTheKitchen) {
    TestDb t;
    for (const char* n : {"яйца", "Ёрш", "Баранина", "абрикосы", "есть"})
        createEntry(t.db, Dictionary::Products, QString::fromUtf8(n));
    EXPECT_EQ(namesOf(dictionary(t.db, Dictionary::Products)),
              (QStringList{"абрикосы", "Баранина", "Ёрш", "есть", "яйца"}));
    // Names that differ only in letter case keep the order they were made in.
    for (const char* n : {"Соль", "соль", "СОЛЬ", "Сахар"})
        createEntry(t.db, Dictionary::Units, QString::fromUtf8(n));
    EXPECT_EQ(namesOf(dictionary(t.db, Dictionary::Units)),
              (QStringList{"Сахар", "Соль", "соль", "СОЛЬ"}));
    for (const Entry& e : dictionary(t.db, Dictionary::Units))
        deleteEntry(t.db, Dictionary::Units, e.id);

    int salt = createEntry(t.db, Dictionary::Products, "Соль");
    t.db.exec("INSERT INTO Products (ID) VALUES (?)", {qint64(salt)});
    t.db.exec("INSERT INTO ProductsAlways (ID) VALUES (?)", {qint64(salt)});
    // A failure half-way leaves the dictionary and both lists as they were.
    t.db.execScript("CREATE TRIGGER refuse BEFORE DELETE ON ProductsAlways "
                    "BEGIN SELECT RAISE(ABORT, 'refused'); END;");
    EXPECT_THROW(deleteEntry(t.db, Dictionary::Products, salt), DbError);
    constexpr const char* listed =
        "SELECT (SELECT count(*) FROM Products) + (SELECT count(*) FROM ProductsAlways)";
    EXPECT_EQ(entryName(t.db, Dictionary::Products, salt), "Соль");
    EXPECT_EQ(number(t.db, listed), 2);
    t.db.execScript("DROP TRIGGER refuse");
    EXPECT_TRUE(deleteEntry(t.db, Dictionary::Products, salt));
    EXPECT_EQ(number(t.db, listed), 0);
    EXPECT_FALSE(entryName(t.db, Dictionary::Products, salt));
    EXPECT_FALSE(deleteEntry(t.db, Dictionary::Products, salt));

    int g = createEntry(t.db, Dictionary::Units, QString());
    renameEntry(t.db, Dictionary::Units, g, "г");
    EXPECT_EQ(entryName(t.db, Dictionary::Units, g), "г");
    EXPECT_TRUE(deleteEntry(t.db, Dictionary::Units, g));
}
