#include "data/Records.h"
#include "support/TestDb.h"

#include <gtest/gtest.h>

#include <cmath>

TEST(Recordset, EmptyFilterResultIsAtEndAtOnce) {
    TestDb t;
    t.addSection(QStringLiteral("Супы"));
    CCatalog rs(t.db);
    rs.setFilter({"Parent=?", 42});
    rs.open();
    EXPECT_TRUE(rs.isEOF());
    EXPECT_EQ(rs.ID, 0);
    EXPECT_EQ(rs.Name, QString());
    rs.moveLast(); // harmless on an empty result
    EXPECT_TRUE(rs.isEOF());
}

TEST(Recordset, NewIdentifiersGrowAndAreNeverReused) {
    TestDb t;
    int a = t.addRecipe(QStringLiteral("Борщ"));
    int b = t.addRecipe(QStringLiteral("Щи"));
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
    int c = t.addRecipe(QStringLiteral("Уха"));
    EXPECT_GT(c, b);

    // After addNew/update the key field holds the new identifier too.
    rs.addNew();
    rs.Name = QStringLiteral("Солянка");
    rs.update();
    EXPECT_EQ(rs.ID, rs.lastInsertedId());
    EXPECT_GT(rs.ID, c);
}

TEST(Recordset, RowsComeInOrderOfAddingWithoutSortAndBySortWithIt) {
    TestDb t;
    const QStringList names = {QStringLiteral("Яблоко"), QStringLiteral("абрикос"),
                               QStringLiteral("Банан"), QStringLiteral("ёрш")};
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
    EXPECT_EQ(sorted, (QStringList{QStringLiteral("абрикос"), QStringLiteral("Банан"),
                                   QStringLiteral("ёрш"), QStringLiteral("Яблоко")}));
}

TEST(Recordset, AmountsKeepSinglePrecision) {
    TestDb t;
    int r = t.addRecipe(QStringLiteral("Чай"));
    t.addLine(r, t.addProduct(QStringLiteral("Сахар")), 0.1f, t.addUnit(QStringLiteral("г")));
    // Stored as the nearest single-precision number, not as the double 0.1.
    SqlValue stored = t.db.scalar("SELECT Quantity FROM Ingredients");
    ASSERT_TRUE(std::holds_alternative<double>(stored));
    EXPECT_EQ(std::get<double>(stored), double(0.1f));
    EXPECT_NE(std::get<double>(stored), 0.1);
    CIngredients rs(t.db);
    rs.open();
    EXPECT_EQ(rs.Quantity, 0.1f);
    EXPECT_EQ(QString::asprintf("%g", double(rs.Quantity)), QStringLiteral("0.1"));
}

TEST(Recordset, MenuHoldsOneRowPerRecipe) {
    TestDb t;
    CMenuset menu(t.db);
    menu.open();
    for (int servings : {2, 5}) {
        menu.addNew();
        menu.Recipe = 7;
        menu.Quantity = servings;
        if (servings == 5)
            EXPECT_THROW(menu.update(), DbError);
        else
            menu.update();
    }
    menu.requery();
    ASSERT_FALSE(menu.isEOF());
    EXPECT_EQ(menu.Quantity, 2);
    menu.moveNext();
    EXPECT_TRUE(menu.isEOF());
}

TEST(Recordset, HostileTextRoundTripsThroughEveryTextColumnAndFilter) {
    TestDb t;
    const QString nasty =
        QStringLiteral("д'Артаньян \"100%\" C:\\путь\\ _x_ ';DROP TABLE Recipes;--");
    int section = t.addSection(nasty);
    int recipe = t.addRecipe(nasty, section, nasty + QStringLiteral("\r\n") + nasty);
    int product = t.addProduct(nasty);
    int unit = t.addUnit(nasty);
    t.addLine(recipe, product, 1, unit);

    CCatalog c(t.db);
    c.setFilter({"Name=?", nasty});
    c.open();
    ASSERT_FALSE(c.isEOF());
    EXPECT_EQ(c.Name, nasty);

    CRecipesset r(t.db);
    r.setFilter({"Name LIKE ?", QStringLiteral("%Артаньян%")});
    r.open();
    ASSERT_FALSE(r.isEOF());
    EXPECT_EQ(r.Name, nasty);
    EXPECT_EQ(r.Recipe, nasty + QStringLiteral("\r\n") + nasty);

    CIngredient p(t.db);
    p.setFilter({"Name=?", nasty});
    p.open();
    EXPECT_EQ(p.ID, product);
    CUnits u(t.db);
    u.setFilter(Filter{"UCase(Name) LIKE ?", nasty.toUpper()});
    u.open();
    EXPECT_EQ(u.ID, unit);

    CIngredientsFull full(t.db);
    full.setFilter({"Recipe=?", recipe});
    full.open();
    EXPECT_EQ(full.Name, nasty);
    EXPECT_EQ(full.Unit, nasty);

    // Filters combine; the table is still there.
    CRecipesset all(t.db);
    all.setFilter(Filter{"Catalog=?", section} && Filter{"Name=?", nasty});
    EXPECT_EQ(all.count(), 1);
}

TEST(Recordset, EditDeleteAndWalkTogether) {
    TestDb t;
    int s = t.addSection(QStringLiteral("Выпечка"));
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
        if (rs.Name == QStringLiteral("Кекс"))
            rs.remove();
    EXPECT_EQ(rs.count(), 2);
    // Deleted rows are never visited again, as the last row nor by a later step.
    rs.moveLast();
    EXPECT_EQ(rs.Name, QStringLiteral("Булка"));
    rs.remove();
    rs.moveLast();
    EXPECT_EQ(rs.Name, QStringLiteral("Пирог"));
    rs.moveNext();
    EXPECT_TRUE(rs.isEOF());
    rs.requery();
    rs.moveLast();
    // A row changed during the walk reads back as written when the walk returns to it.
    rs.edit();
    rs.Name = QStringLiteral("Батон");
    rs.update();
    rs.Name.clear();
    rs.moveLast();
    EXPECT_EQ(rs.Name, QStringLiteral("Батон"));

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
    int r = t.addRecipe(QStringLiteral("Омлет"));
    int other = t.addRecipe(QStringLiteral("Каша"));
    int egg = t.addProduct(QStringLiteral("Яйцо"));
    int milk = t.addProduct(QStringLiteral("Молоко"));
    int pcs = t.addUnit(QStringLiteral("шт"));
    int ml = t.addUnit(QStringLiteral("мл"));
    int l1 = t.addLine(r, milk, 100, ml, true);
    int l2 = t.addLine(r, egg, 3, pcs);
    int l3 = t.addLine(r, 999, 0, 0); // product and unit gone
    t.addLine(other, egg, 1, pcs);
    t.addLine(0, egg, 1, pcs); // a pending line of a recipe not saved yet

    CIngredientsFull full(t.db);
    full.setFilter({"Recipe=?", r});
    full.open();
    QList<int> lines;
    QStringList names;
    for (; !full.isEOF(); full.moveNext()) {
        lines << full.ID;
        names << full.Name + QLatin1Char('/') + full.Unit;
    }
    EXPECT_EQ(lines, (QList<int>{l1, l2, l3}));
    EXPECT_EQ(names, (QStringList{QStringLiteral("Молоко/мл"), QStringLiteral("Яйцо/шт"),
                                  QStringLiteral("/")}));
    full.setFilter({"ID=?", l2});
    full.requery();
    EXPECT_EQ(full.UnitID, pcs);
    EXPECT_EQ(full.Ingredient, egg);
    EXPECT_EQ(full.Quantity, 3.0f);

    CRecipeIngredientsFull shown(t.db);
    shown.setFilter({"ID=?", r});
    shown.open();
    QStringList text;
    for (; !shown.isEOF(); shown.moveNext())
        text << QStringLiteral("%1 %2 %3").arg(shown.Name).arg(shown.Quantity).arg(shown.Unit);
    EXPECT_EQ(text, (QStringList{QStringLiteral("Молоко 100 мл"), QStringLiteral("Яйцо 3 шт"),
                                 QStringLiteral(" 0 ")}));

    CIngredientUse use(t.db);
    use.setFilter({"Ingredient=?", egg});
    use.setSort("Name");
    use.open();
    QStringList users;
    for (; !use.isEOF(); use.moveNext())
        users << use.Name;
    EXPECT_EQ(users, (QStringList{QStringLiteral("Каша"), QStringLiteral("Омлет")}));
    use.setFilter({"Ingredient=?", milk});
    use.requery();
    EXPECT_TRUE(use.Have);

    CUnitUse unitUse(t.db);
    unitUse.setFilter({"Unit=?", ml});
    unitUse.open();
    EXPECT_EQ(unitUse.ID, r);

    CProductsAlways always(t.db);
    always.open();
    always.addNew();
    always.ID = milk;
    always.update();
    CProductsAlwaysFull alwaysFull(t.db);
    alwaysFull.open();
    EXPECT_EQ(alwaysFull.Name, QStringLiteral("Молоко"));
    CProductsFull onHand(t.db);
    onHand.open();
    EXPECT_TRUE(onHand.isEOF());
}
