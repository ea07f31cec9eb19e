#include "data/Records.h"
#include "support/TestDb.h"

#include <gtest/gtest.h>

#include <cmath>

TEST(Recordset, NewIdentifiersGrowAndAreNeverReused) {
    TestDb t;
    int a = t.addRecipe("Борщ");
    int b = t.addRecipe("Щи");
    EXPECT_GT(a, 0);
    EXPECT_GT(b, a);

    // The identifier learned from the engine is the one re-reading the table finds last.
    CRecipesset rs(t.db);
    rs.open();
    rs.moveLast();
    EXPECT_EQ(rs.ID, b);

    // Delete the last row: the next one must still get a larger identifier.
    rs.setFilter({"ID=?", b});
    rs.requery();
    ASSERT_FALSE(rs.isEOF());
    rs.remove();
    int c = t.addRecipe("Уха");
    EXPECT_GT(c, b);

    // After addNew/update the key field holds the new identifier too.
    rs.addNew();
    rs.Name = "Солянка";
    rs.update();
    EXPECT_EQ(rs.ID, rs.lastInsertedId());
    EXPECT_GT(rs.ID, c);
}

TEST(Recordset, RowsComeInOrderOfAddingWithoutSortAndBySortWithIt) {
    TestDb t;
    const QStringList names = {"Яблоко", "абрикос", "Банан", "ёрш"};
    QList<int> ids;
    for (const QString& n : names)
        ids << t.addProduct(n);
    CIngredient rs(t.db);
    rs.open();
    QList<int> seen;
    for (; !rs.isEOF(); rs.moveNext())
        seen << rs.ID;
    EXPECT_EQ(seen, ids);

    rs.setSort("Name COLLATE RU");
    rs.requery();
    QStringList sorted;
    for (; !rs.isEOF(); rs.moveNext())
        sorted << rs.Name;
    EXPECT_EQ(sorted, (QStringList{"абрикос", "Банан", "ёрш", "Яблоко"}));
}

TEST(Recordset, AmountsKeepSinglePrecision) {
    TestDb t;
    t.recipe("Чай", {{"Сахар", 0.1f, "г"}});
    // Stored as the nearest single-precision number, not as the double 0.1.
    EXPECT_EQ(t.db.scalar("SELECT Quantity FROM Ingredients"), SqlValue(double(0.1f)));
    CIngredients rs(t.db);
    rs.open();
    EXPECT_EQ(rs.Quantity, 0.1f);
}

TEST(Recordset, EditDeleteAndWalkTogether) {
    TestDb t;
    int s = t.addSection("Выпечка");
    for (const char* n : {"Пирог", "Кекс", "Булка"})
        t.addRecipe(QString::fromUtf8(n), s);
    // Moving every row out of the filter while walking it still visits each row once.
    CRecipesset rs(t.db);
    rs.setFilter({"Catalog=?", s});
    rs.open();
    int moved = 0;
    for (; !rs.isEOF(); rs.moveNext()) {
        rs.edit();
        rs.Catalog = 0;
        rs.update();
        EXPECT_EQ(rs.Catalog, 0);
        ++moved;
    }
    EXPECT_EQ(moved, 3);
    rs.setFilter({"Catalog=0"});
    rs.requery();
    for (; !rs.isEOF(); rs.moveNext())
        if (rs.Name == "Кекс")
            rs.remove();
    EXPECT_EQ(rs.count(), 2);
    // Deleted rows are never visited again, as the last row nor by a later step.
    rs.moveLast();
    EXPECT_EQ(rs.Name, "Булка");
    rs.remove();
    rs.moveLast();
    EXPECT_EQ(rs.Name, "Пирог");
    rs.moveNext();
    EXPECT_TRUE(rs.isEOF());
    rs.requery();
    rs.moveLast();
    // A row changed during the walk reads back as written when the walk returns to it.
    rs.edit();
    rs.Name = "Батон";
    rs.update();
    rs.Name.clear();
    rs.moveLast();
    EXPECT_EQ(rs.Name, "Батон");

    // Stored queries refuse changes.
    CIngredientsFull view(t.db);
    view.open();
    EXPECT_THROW(view.addNew(), DbError);
    // Update without add or edit is a mistake, not a silent no-op.
    CCatalog c(t.db);
    c.open();
    EXPECT_THROW(c.update(), DbError);
    EXPECT_THROW(Filter("ID=?"), std::logic_error);
}

TEST(StoredQueries, JoinNamesAndKeepLinesWithoutProductOrUnit) {
    TestDb t;
    const int r = t.recipe("Омлет", {{"Молоко", 100, "мл", true}, {"Яйцо", 3, "шт"}});
    t.addLine(r, 999, 0, 0); // product and unit gone
    t.recipe("Каша", {{"Яйцо", 1, "шт"}});
    t.addLine(0, t.product("Яйцо"), 1, 0); // a pending line of a recipe not saved yet
    QStringList rows;
    CIngredientsFull full(t.db);
    full.setFilter({"Recipe=?", r});
    for (full.open(); !full.isEOF(); full.moveNext())
        rows << QStringLiteral("%1/%2/%3/%4")
                    .arg(full.Name, full.Unit)
                    .arg(full.Quantity)
                    .arg(full.UnitID);
    EXPECT_EQ(rows, (QStringList{QStringLiteral("Молоко/мл/100/%1").arg(t.unit("мл")),
                                 QStringLiteral("Яйцо/шт/3/%1").arg(t.unit("шт")), "//0/0"}));
    rows.clear();
    CRecipeIngredientsFull shown(t.db);
    shown.setFilter({"ID=?", r});
    for (shown.open(); !shown.isEOF(); shown.moveNext())
        rows << QStringLiteral("%1 %2 %3").arg(shown.Name).arg(shown.Quantity).arg(shown.Unit);
    EXPECT_EQ(rows, (QStringList{"Молоко 100 мл", "Яйцо 3 шт", " 0 "}));
    rows.clear();
    CIngredientUse use(t.db);
    use.setFilter({"Ingredient=?", t.product("Яйцо")});
    use.setSort("Name");
    for (use.open(); !use.isEOF(); use.moveNext())
        rows << use.Name;
    EXPECT_EQ(rows, (QStringList{"Каша", "Омлет"}));
    use.setFilter({"Ingredient=?", t.product("Молоко")});
    use.requery();
    EXPECT_TRUE(use.Have);
    CUnitUse unitUse(t.db);
    unitUse.setFilter({"Unit=?", t.unit("мл")});
    unitUse.open();
    EXPECT_EQ(unitUse.ID, r);
    t.db.exec("INSERT INTO ProductsAlways VALUES (?)", {t.product("Молоко")});
    CProductsAlwaysFull alwaysFull(t.db);
    alwaysFull.open();
    EXPECT_EQ(alwaysFull.Name, "Молоко");
}
