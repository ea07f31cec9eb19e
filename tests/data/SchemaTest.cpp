#include "data/Schema.h"
#include "data/Records.h"
#include "support/TestDb.h"

#include <gtest/gtest.h>

namespace {

QString versionOf(Database& db) {
    CRegister reg(db);
    reg.setFilter({"Name='Ver'"});
    reg.open();
    return reg.isEOF() ? QString() : reg.Value;
}

void setVersion(Database& db, const QString& version) {
    db.exec("UPDATE Register SET Value=? WHERE Name='Ver'", {version});
}

} // namespace

TEST(Schema, NewCollectionHasEveryTableAtItsVersion) {
    TestDb current;
    EXPECT_EQ(schema::missingTables(current.db), QStringList());
    EXPECT_TRUE(current.db.hasTable("Menu"));
    EXPECT_EQ(versionOf(current.db), "3.01");

    TestDb old("1.01");
    EXPECT_EQ(schema::missingTables(old.db), QStringList());
    EXPECT_FALSE(old.db.hasTable("Menu"));
    EXPECT_EQ(versionOf(old.db), "1.01");

    EXPECT_THROW(schema::create(old.db, "9.99"), DbError);
}

TEST(Schema, UpgradeBringsEveryOlderVersionToTheCurrentOne) {
    for (const QString from : {"1.01", "2.01", "2.02"}) {
        TestDb t(from);
        t.addRecipe("Борщ");
        schema::UpgradeResult r = schema::upgrade(t.db);
        EXPECT_EQ(r.from, from);
        EXPECT_EQ(r.to, "3.01");
        EXPECT_EQ(versionOf(t.db), "3.01");
        EXPECT_EQ(number(t.db, "SELECT count(*) FROM Menu"), 0);
        // Names and lines are read from indexes of their own, which replace the one on Recipe.
        EXPECT_EQ(
            textOf(t.db,
                   "SELECT group_concat(name) FROM (SELECT name FROM sqlite_master "
                   "WHERE name LIKE '%Recipe%' AND tbl_name IN ('Recipes', 'Ingredients') AND "
                   "type='index' ORDER BY name)"),
            "Ingredients_RecipeLines,Recipes_Catalog,Recipes_CatalogName");
        EXPECT_EQ(number(t.db, "SELECT count(*) FROM Recipes"), 1);
    }
}

TEST(Schema, UpgradeLeavesCurrentUnknownAndMissingVersionsAlone) {
    for (const QString version : {"2.02 ", "1.1", "4.00"}) {
        TestDb t("2.02");
        setVersion(t.db, version);
        schema::UpgradeResult r = schema::upgrade(t.db);
        EXPECT_FALSE(r.changed());
        EXPECT_EQ(versionOf(t.db), version);
        EXPECT_FALSE(t.db.hasTable("Menu"));
    }
    TestDb none("1.01");
    none.db.exec("DELETE FROM Register");
    EXPECT_EQ(schema::upgrade(none.db).to, QString());
    EXPECT_FALSE(none.db.hasTable("Menu"));
}

TEST(Schema, TheMenuIsMadeExactlyWhenItIsMissing) {
    // A 2.02 file that already has a menu opens, and keeps its dishes.
    TestDb old("2.02");
    const int soup = old.addRecipe("Щи");
    old.db.execScript("CREATE TABLE Menu (Recipe INTEGER, Quantity INTEGER, PRIMARY KEY(Recipe))");
    old.db.exec("INSERT INTO Menu VALUES (?, 3)", {qint64(soup)});
    EXPECT_EQ(schema::upgrade(old.db).to, "3.01");
    EXPECT_EQ(number(old.db, "SELECT Quantity FROM Menu"), 3);
    EXPECT_EQ(schema::upgrade(old.db).to, "3.01"); // a second start too

    // A current file without one gets it.
    TestDb current("2.02");
    setVersion(current.db, "3.01");
    EXPECT_FALSE(schema::upgrade(current.db).changed());
    EXPECT_TRUE(current.db.hasTable("Menu"));
}

TEST(Schema, FailedUpgradeLeavesTheFileAsItWas) {
    TestDb t("1.01");
    // The version cannot be written: the last step fails after the first ones ran.
    t.db.execScript("CREATE TRIGGER refuse BEFORE UPDATE ON Register WHEN NEW.Value='3.01' "
                    "BEGIN SELECT RAISE(ABORT, 'refused'); END;");
    EXPECT_THROW(schema::upgrade(t.db), DbError);
    EXPECT_EQ(versionOf(t.db), "1.01");
    EXPECT_EQ(t.db.transactionDepth(), 0);
}

TEST(Schema, EngineEnforcesTheTextLimits) {
    TestDb t;
    EXPECT_NO_THROW(t.addRecipe(QString(255, QChar(0x0439)), 0, QString(65535, QLatin1Char('x'))));
    EXPECT_THROW(t.addRecipe(QString(256, QChar(0x0439))), DbError);
    EXPECT_THROW(t.addRecipe("x", 0, QString(65536, QLatin1Char('x'))), DbError);
    CRecipesset rs(t.db);
    EXPECT_EQ(rs.count(), 1);
    // Every other name column holds 255 characters and refuses the 256th.
    const QString longest(255, QChar(0x0439)), tooLong(256, QChar(0x0439));
    EXPECT_NO_THROW(t.addSection(longest));
    EXPECT_THROW(t.addSection(tooLong), DbError);
    EXPECT_NO_THROW(t.addProduct(longest));
    EXPECT_THROW(t.addProduct(tooLong), DbError);
    EXPECT_NO_THROW(t.addUnit(longest));
    EXPECT_THROW(t.addUnit(tooLong), DbError);
    EXPECT_NO_THROW(t.db.exec("INSERT INTO Import_Units (Name, ID) VALUES (?, 1)", {longest}));
    EXPECT_THROW(t.db.exec("INSERT INTO Import_Ingredient (Name, ID) VALUES (?, 1)", {tooLong}),
                 DbError);
}
