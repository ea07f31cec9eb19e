#include "catalog/CatalogStore.h"
#include "data/Records.h"
#include "support/TestDb.h"

#include <gtest/gtest.h>

namespace {

// Soups > (Cold > Okroshka) + Borscht; Pies (elsewhere) > Kulebyaka; Tea at the root.
struct Kitchen {
    TestDb t;
    const int soups = t.addSection("Супы");
    const int cold = t.addSection("Холодные", soups);
    const int pies = t.addSection("Пироги");
    const int okroshka = t.recipe("Окрошка", {{"Квас", 1, "л"}}, cold);
    const int borscht = t.recipe("Борщ", {{"Квас", 1, "л"}, {"Квас", 1, "л"}}, soups);
    const int kulebyaka = t.recipe("Кулебяка", {{"Квас", 1, "л"}}, pies);
    const int tea = t.recipe("Чай", {{"Квас", 1, "л"}});
    Kitchen() { t.db.exec("INSERT INTO Menu (Recipe, Quantity) VALUES (?, 2)", {okroshka}); }
    // Every section and recipe with the section that holds it, then the count of lines.
    QString tree() {
        return textOf(t.db, "SELECT (SELECT group_concat(n, ',') FROM (SELECT c.Name || '<' || "
                            "ifnull(p.Name, '') AS n FROM Catalog c LEFT JOIN Catalog p ON "
                            "p.ID = c.Parent ORDER BY c.ID)) || ' | ' || (SELECT group_concat(n, "
                            "',') FROM (SELECT r.Name || '<' || ifnull(c.Name, '') AS n FROM "
                            "Recipes r LEFT JOIN Catalog c ON c.ID = r.Catalog ORDER BY r.ID)) "
                            "|| ' | ' || (SELECT count(*) FROM Ingredients)");
    }
};

} // namespace

TEST(CatalogStore, ChildrenAndItemValues) {
    Kitchen k;
    QList<qint32> values;
    for (const catalog::Entry& e : catalog::children(k.t.db, 0))
        values << e.value;
    EXPECT_EQ(values, (QList<qint32>{k.soups, k.pies, catalog::recipeValue(k.tea)}));
    EXPECT_TRUE(catalog::isRecipeValue(values[2]));
    EXPECT_EQ(catalog::recipeIdOf(values[2]), k.tea);
    EXPECT_EQ(quint32(catalog::recipeValue(5)), 0x80000005u);
    EXPECT_TRUE(catalog::children(k.t.db, 9999).empty());
}

TEST(CatalogStore, DeletingWithContentsTakesEveryDescendantAndNothingElse) {
    Kitchen k;
    catalog::deleteSection(k.t.db, k.soups, false);
    EXPECT_EQ(k.tree(), "Пироги< | Кулебяка<Пироги,Чай< | 2");
    // The menu tidies itself later; its row stays.
    EXPECT_EQ(number(k.t.db, "SELECT count(*) FROM Menu"), 1);
}

TEST(CatalogStore, MovingContentsUpKeepsTheirOwnContents) {
    Kitchen k;
    catalog::deleteSection(k.t.db, k.soups, true);
    EXPECT_EQ(k.tree(), "Холодные<,Пироги< | Окрошка<Холодные,Борщ<,Кулебяка<Пироги,Чай< | 5");

    // One level down: contents go to the deleted section's parent, not the root.
    const int inner = k.t.addSection("Окрошки", k.cold);
    k.t.addRecipe("На кефире", inner);
    k.t.addSection("Летние", inner);
    catalog::deleteSection(k.t.db, inner, true);
    EXPECT_EQ(number(k.t.db, "SELECT Catalog FROM Recipes WHERE Name='На кефире'"), k.cold);
    EXPECT_EQ(number(k.t.db, "SELECT Parent FROM Catalog WHERE Name='Летние'"), k.cold);
}

TEST(CatalogStore, FailedDeleteLeavesEverythingAndLoopsDoNotHang) {
    Kitchen k;
    // A trigger stands in for a disk error half way through the deletion.
    k.t.db.execScript("CREATE TRIGGER fail BEFORE DELETE ON Recipes WHEN old.Name='Борщ' "
                      "BEGIN SELECT RAISE(ABORT, 'disk trouble'); END");
    const QString before = k.tree();
    EXPECT_THROW(catalog::deleteSection(k.t.db, k.soups, false), DbError);
    EXPECT_EQ(k.tree(), before);
    k.t.db.execScript("DROP TRIGGER fail");

    // Two sections that name each other as parent (a damaged file): deletion ends.
    int a = k.t.addSection("А");
    int b = k.t.addSection("Б", a);
    k.t.db.exec("UPDATE Catalog SET Parent=? WHERE ID=?", {qint64(b), qint64(a)});
    catalog::deleteSection(k.t.db, a, false);
    EXPECT_FALSE(catalog::readSection(k.t.db, a));
    EXPECT_FALSE(catalog::readSection(k.t.db, b));
}

TEST(CatalogStore, FilingRenamingAndCreating) {
    Kitchen k;
    EXPECT_TRUE(catalog::fileInSection(k.t.db, catalog::recipeValue(k.tea), k.pies) &&
                catalog::fileInSection(k.t.db, k.cold, 0));
    EXPECT_EQ(
        k.tree(),
        "Супы<,Холодные<,Пироги< | Окрошка<Холодные,Борщ<Супы,Кулебяка<Пироги,Чай<Пироги | 5");
    EXPECT_FALSE(catalog::fileInSection(k.t.db, catalog::recipeValue(9999), 0) ||
                 catalog::fileInSection(k.t.db, 9999, 0));

    int empty = catalog::createSection(k.t.db, k.pies, QString());
    int twin = catalog::createSection(k.t.db, k.pies, "Супы");
    EXPECT_GT(twin, empty);
    EXPECT_EQ(catalog::readSection(k.t.db, empty).value().name, QString());
    EXPECT_EQ(catalog::readSection(k.t.db, twin).value().name, "Супы");
    EXPECT_EQ(catalog::readSection(k.t.db, twin).value().parent, k.pies);
    EXPECT_FALSE(catalog::readSection(k.t.db, 9999));
    EXPECT_FALSE(catalog::hasContents(k.t.db, empty));
    EXPECT_TRUE(catalog::hasContents(k.t.db, k.pies));
    catalog::renameSection(k.t.db, empty, "Д'Артаньян");
    EXPECT_EQ(catalog::readSection(k.t.db, empty)->name, "Д'Артаньян");
    EXPECT_THROW(catalog::renameSection(k.t.db, 9999, "x"), DbError);
}
