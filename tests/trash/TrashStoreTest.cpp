#include "trash/TrashStore.h"
#include "catalog/CatalogStore.h"
#include "recipes/Servings.h"
#include "search/SearchStore.h"
#include "support/TestDb.h"
#include "support/ToolRun.h"

#include <QRegularExpression>
#include <gtest/gtest.h>

namespace {

// Soups > (Cold > Okroshka with a photo and servings) + Borscht; Tea at the root.
struct Kitchen {
    TestDb t;
    const int soups = t.addSection("Супы");
    const int cold = t.addSection("Холодные", soups);
    const int okroshka = t.recipe("Окрошка", {{"Квас", 1, "л"}, {"Огурец", 2}}, cold, "Нарезать.");
    const int borscht = t.recipe("Борщ", {{"Свёкла", 300, "г"}}, soups);
    const int tea = t.recipe("Чай", {{"Заварка", 1, "ч.л."}});
    Kitchen() {
        t.db.exec("INSERT INTO RecipePhotos VALUES (?, 'png', 2, 3, X'0102', X'03')", {okroshka});
        recipes::setServings(t.db, okroshka, {4, QStringLiteral("4 порции")});
        t.db.exec("INSERT INTO Products (ID) VALUES (?)", {t.product("Огурец")});
        t.db.exec("UPDATE Ingredients SET Have=1 WHERE Ingredient=?", {t.product("Огурец")});
    }
    // Everything a delete and a restore touch, photos and servings too.
    QString all() {
        return snapshot(t.db) +
               textOf(t.db, "SELECT group_concat(Recipe||':'||Format||':'||hex(Image)||':'||"
                            "hex(Small), '|') FROM RecipePhotos") +
               textOf(t.db, "SELECT group_concat(Recipe||':'||Servings||':'||Note, '|') "
                            "FROM RecipeServings");
    }
    qint64 trashRows() {
        return number(t.db, "SELECT (SELECT count(*) FROM Trash) + (SELECT count(*) FROM "
                            "TrashCatalog) + (SELECT count(*) FROM TrashRecipes) + (SELECT "
                            "count(*) FROM TrashIngredients) + (SELECT count(*) FROM "
                            "TrashPhotos) + (SELECT count(*) FROM TrashServings)");
    }
};

const QDateTime kMonday(QDate(2026, 12, 7), QTime(10, 0));

} // namespace

TEST(TrashStore, ASectionGoesWholeAndComesBackExactlyAsItWas) {
    Kitchen k;
    const QString before = k.all();
    const qint64 id = trash::moveSection(k.t.db, k.soups, false, kMonday);
    ASSERT_GT(id, 0);
    // Out of every live table: the tree, search and the lines.
    EXPECT_EQ(textOf(k.t.db, "SELECT group_concat(Name) FROM Recipes"), "Чай");
    EXPECT_EQ(number(k.t.db, "SELECT count(*) FROM Catalog"), 0);
    EXPECT_EQ(number(k.t.db, "SELECT count(*) FROM Ingredients"), 1);
    EXPECT_EQ(number(k.t.db, "SELECT count(*) FROM RecipePhotos"), 0);
    EXPECT_EQ(number(k.t.db, "SELECT count(*) FROM RecipeServings"), 0);
    EXPECT_TRUE(search::findByName(k.t.db, QStringLiteral("окрошка")).empty());

    const std::vector<trash::Entry> listed = trash::entries(k.t.db);
    ASSERT_EQ(listed.size(), 1u);
    EXPECT_EQ(listed[0].name, "Супы");
    EXPECT_EQ(listed[0].kind, trash::Kind::Section);
    EXPECT_EQ(listed[0].recipes, 2);
    EXPECT_EQ(listed[0].place, "");
    EXPECT_EQ(listed[0].deleted, kMonday);

    const std::optional<trash::Restored> back = trash::restore(k.t.db, id);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->item, k.soups);
    EXPECT_EQ(back->section, 0);
    EXPECT_FALSE(back->sectionsMade);
    EXPECT_EQ(k.all(), before);
    EXPECT_EQ(k.trashRows(), 0);
    EXPECT_FALSE(trash::restore(k.t.db, id)); // once only
}

TEST(TrashStore, ARecipeComesBackIntoItsSectionMadeAgainWithItsProductsFoundAgain) {
    Kitchen k;
    const qint64 recipe = trash::moveRecipe(k.t.db, k.okroshka, kMonday);
    ASSERT_GT(recipe, 0);
    EXPECT_EQ(trash::entry(k.t.db, recipe)->place, "Супы / Холодные");
    EXPECT_EQ(trash::entryOf(k.t.db, trash::Kind::Recipe, k.okroshka), recipe);
    // Meanwhile its section goes too, and the products only it used are deleted by hand;
    // a product of the same name is made again elsewhere.
    ASSERT_GT(trash::moveSection(k.t.db, k.cold, false, kMonday.addSecs(60)), 0);
    k.t.db.exec("DELETE FROM Ingredient WHERE Name IN ('Квас', 'Огурец')");
    k.t.db.exec("DELETE FROM Units WHERE Name='л'");
    const int cucumber = k.t.addProduct("Огурец");

    const std::optional<trash::Restored> back = trash::restore(k.t.db, recipe);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->item, k.okroshka);
    EXPECT_EQ(back->section, k.cold);
    EXPECT_TRUE(back->sectionsMade);
    EXPECT_EQ(textOf(k.t.db, "SELECT Name||'<'||Parent FROM Catalog WHERE ID=?", {k.cold}),
              QStringLiteral("Холодные<%1").arg(k.soups));
    EXPECT_EQ(textOf(k.t.db,
                     "SELECT group_concat(Name||' '||Quantity||' '||Unit, ', ') FROM "
                     "IngredientsFull WHERE Recipe=? ORDER BY Seq",
                     {k.okroshka}),
              "Квас 1.0 л, Огурец 2.0 ");
    EXPECT_EQ(number(k.t.db, "SELECT Ingredient FROM Ingredients WHERE Recipe=? AND Quantity=2",
                     {k.okroshka}),
              cucumber);
    // Not at hand any more: the product it had is gone.
    EXPECT_EQ(number(k.t.db, "SELECT sum(Have) FROM Ingredients WHERE Recipe=?", {k.okroshka}), 0);
    EXPECT_EQ(recipes::servingsOf(k.t.db, k.okroshka).count, 4);

    // The section deleted later comes back as the same section, holding nothing twice.
    const std::optional<qint64> section = trash::entryOf(k.t.db, trash::Kind::Section, k.cold);
    ASSERT_TRUE(section);
    ASSERT_TRUE(trash::restore(k.t.db, *section));
    EXPECT_EQ(number(k.t.db, "SELECT count(*) FROM Catalog WHERE Name='Холодные'"), 1);
    EXPECT_EQ(k.trashRows(), 0);
}

TEST(TrashStore, MovingContentsUpTrashesTheSectionAloneAndLoopsEnd) {
    Kitchen k;
    ASSERT_GT(trash::moveSection(k.t.db, k.soups, true, kMonday), 0);
    EXPECT_EQ(textOf(k.t.db,
                     "SELECT group_concat(n) FROM (SELECT Name||'<'||Catalog AS n FROM Recipes "
                     "ORDER BY ID)"),
              QStringLiteral("Окрошка<%1,Борщ<0,Чай<0").arg(k.cold));
    EXPECT_EQ(trash::entries(k.t.db).at(0).recipes, 0);
    EXPECT_EQ(trash::moveSection(k.t.db, 9999), 0);
    EXPECT_EQ(trash::moveRecipe(k.t.db, 9999), 0);

    // Two sections that hold each other (a damaged file) go together, once.
    const int a = k.t.addSection("А"), b = k.t.addSection("Б", a);
    k.t.db.exec("UPDATE Catalog SET Parent=? WHERE ID=?", {b, a});
    k.t.recipe("В петле", {}, b);
    const qint64 loop = trash::moveSection(k.t.db, a, false, kMonday);
    EXPECT_EQ(trash::entry(k.t.db, loop)->recipes, 1);
    EXPECT_EQ(number(k.t.db, "SELECT count(*) FROM Catalog WHERE ID IN (?, ?)", {a, b}), 0);
}

TEST(TrashStore, OldEntriesGoAtTheirTimeAndEmptyingTakesAll) {
    Kitchen k;
    const QDateTime now = kMonday.addDays(40);
    trash::moveRecipe(k.t.db, k.tea, kMonday); // 40 days
    trash::moveRecipe(k.t.db, k.borscht,
                      now.addDays(-trash::kKeepDays).addSecs(60)); // 30 days less a minute
    trash::moveSection(k.t.db, k.soups, false, now);
    EXPECT_EQ(trash::purgeBefore(k.t.db, now.addDays(-trash::kKeepDays)), 1);
    EXPECT_EQ(namesOf(trash::entries(k.t.db)), (QStringList{"Супы", "Борщ"}));
    EXPECT_EQ(trash::empty(k.t.db), 2);
    EXPECT_EQ(k.trashRows(), 0);
    EXPECT_EQ(number(k.t.db, "SELECT count(*) FROM Recipes"), 0);
}

TEST(TrashTool, DeletesListsAndPutsBackRefusingWhatIsNotThere) {
    Kitchen k;
    const QString db = k.t.path();
    const QString okroshka = QString::number(k.okroshka);
    k.t.db.close();
    ToolRun run = runTool({"delete", "--db", db, okroshka});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, "«Окрошка» в корзине\n");
    run = runTool({"delete", "--db", db, QStringLiteral("s%1").arg(k.soups)});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    run = runTool({"trash", "--db", db});
    const QStringList rows = run.out.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(rows.size(), 2) << run.out.toStdString();
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^s%1\\t\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d"
                                                  "\\tСупы$")
                                       .arg(k.soups))
                    .match(rows[0])
                    .hasMatch())
        << rows[0].toStdString();
    EXPECT_TRUE(rows[1].startsWith(okroshka + "\t") && rows[1].endsWith("\tОкрошка"));

    // Misuse, a number not there, and a recipe already back: exit 1, in Russian, no change.
    const QByteArray before = fileBytes(db);
    for (const QStringList& args :
         {QStringList{"delete", "--db", db}, QStringList{"delete", "--db", db, "борщ"},
          QStringList{"delete", "--db", db, "9999"}, QStringList{"undelete", "--db", db, "9999"},
          QStringList{"undelete", "--db", db, "s9999"}, QStringList{"trash", "--db", db, "1"}}) {
        run = runTool(args);
        EXPECT_EQ(run.exitCode, 1) << args.join(' ').toStdString();
        EXPECT_TRUE(run.err.contains(QRegularExpression("[а-я]"))) << run.err.toStdString();
    }
    EXPECT_EQ(fileBytes(db), before);

    run = runTool({"undelete", "--db", db, okroshka});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(runTool({"undelete", "--db", db, okroshka}).exitCode, 1);
    Database reopened;
    reopened.open(db, Database::OpenMode::Existing);
    EXPECT_EQ(textOf(reopened, "SELECT group_concat(Name) FROM Catalog"), "Супы,Холодные");
    EXPECT_EQ(textOf(reopened, "SELECT group_concat(Name) FROM Recipes WHERE Catalog<>0"),
              "Окрошка");
}

TEST(TrashStore, ARecipeWhoseNumberWasTakenMeanwhileComesBackUnderANewOneWithItsLines) {
    Kitchen k;
    const qint64 entry = trash::moveRecipe(k.t.db, k.okroshka, kMonday);
    // Another program wrote a recipe under the same number meanwhile.
    k.t.db.exec("INSERT INTO Recipes (ID, Catalog, Name) VALUES (?, 0, 'Чужой')", {k.okroshka});
    const std::optional<trash::Restored> back = trash::restore(k.t.db, entry);
    ASSERT_TRUE(back);
    EXPECT_NE(back->item, k.okroshka);
    EXPECT_EQ(textOf(k.t.db, "SELECT Name FROM Recipes WHERE ID=?", {k.okroshka}), "Чужой");
    EXPECT_EQ(textOf(k.t.db, "SELECT Name FROM Recipes WHERE ID=?", {back->item}), "Окрошка");
    EXPECT_EQ(number(k.t.db, "SELECT count(*) FROM Ingredients WHERE Recipe=?", {back->item}), 2);
    EXPECT_EQ(number(k.t.db, "SELECT count(*) FROM RecipePhotos WHERE Recipe=?", {back->item}), 1);
    EXPECT_EQ(recipes::servingsOf(k.t.db, back->item).count, 4);
    EXPECT_EQ(k.trashRows(), 0);
}
