#include "catalog/CCatalogView.h"
#include "recipes/CRView.h"
#include "search/CFoundListView.h"
#include "search/CSearchBox.h"
#include "search/SearchCommands.h"
#include "search/SearchStore.h"
#include "search/TextIndex.h"
#include "search/TextIndexBuilder.h"
#include "support/RecordingProgress.h"
#include "support/TestDb.h"
#include "support/Widgets.h"
#include "ui/Commands.h"

#include <QAbstractButton>
#include <QAction>
#include <QContextMenuEvent>
#include <QStatusBar>
#include <QTest>
#include <QToolBar>
#include <sqlite3.h>

namespace {

void searchFor(const QString& text) {
    onNextModal([text](QWidget* w) {
        child<QLineEdit>(w, "text")->setText(text);
        click(w, "findButton");
    });
}

} // namespace

TEST(SearchStore, NameSearchFindsAnywhereIgnoringCaseSortedByName) {
    TestDb t;
    for (const char* n : {"Блины с мёдом", "Суп", "Оладьи и блины", "пирог с БЛИНАМИ", "Торт",
                          "блины", "д'Артаньян", "50% скидка", "", "Киёр"})
        t.addRecipe(QString::fromUtf8(n));
    QStringList found;
    for (const char* text :
         {"блин", "с_п", "д'Арт", "ТОРТ", "каша", "мед", "МЁД", "киер", "КИЁР", "к_ёр", "кеёр"})
        found << namesOf(search::findByName(t.db, QString::fromUtf8(text))).join('|');
    // е and ё are one letter to a Russian reader, both ways and in both cases.
    EXPECT_EQ(found, (QStringList{"блины|Блины с мёдом|Оладьи и блины|пирог с БЛИНАМИ", "Суп",
                                  "д'Артаньян", "Торт", "", "Блины с мёдом", "Блины с мёдом",
                                  "Киёр", "Киёр", "Киёр", ""}));
    // The pattern's own characters: "%" any run, "_" one character.
    EXPECT_EQ(std::tuple(search::findByName(t.db, "%").size(), search::findByName(t.db, "_").size(),
                         search::findByName(t.db, " ").size()),
              std::tuple(10u, 9u, 4u));
}

TEST(SearchStore, ProductSearchListsEveryUseAndChainsEndAtTheTop) {
    TestDb t;
    int a = t.addSection("А");
    int b = t.addSection("Б", a);
    int c = t.addSection("В", b);
    int deep = t.recipe("Глубокий", {{"Яйцо", 1}, {"Яйцо", 2}}, c);
    int top = t.recipe("Верхний", {{"Яйцо", 1}});
    t.addLine(0, t.product("Яйцо"), 2, 0); // a line of a recipe still being written
    EXPECT_EQ(namesOf(search::findByProduct(t.db, t.product("Яйцо"))),
              (QStringList{"Верхний", "Глубокий", "Глубокий"}));
    EXPECT_TRUE(search::findByProduct(t.db, t.product("Соль")).empty());

    EXPECT_EQ(search::sectionChain(t.db, deep), (std::vector<int>{c, b, a}));
    EXPECT_EQ(search::sectionChain(t.db, top), std::vector<int>{});
    EXPECT_FALSE(search::sectionChain(t.db, 9999));
    t.db.exec("UPDATE Catalog SET Parent=? WHERE ID=?", {qint64(c), qint64(a)}); // a loop
    EXPECT_FALSE(search::sectionChain(t.db, deep));
    t.db.exec("DELETE FROM Catalog WHERE ID=?", {qint64(b)});
    EXPECT_FALSE(search::sectionChain(t.db, deep));
}

class SearchCommandsTest : public ::testing::Test {
protected:
    TestDb t;
    const int a = t.addSection("Выпечка");
    const int c = t.addSection("Блинная", t.addSection("Сладкая", a));
    const int deep = t.recipe("Блины с мёдом", {{"Яйцо", 1, "шт"}, {"Яйцо", 2, "шт"}}, c, "Печь");
    const int root = t.recipe("Блинный торт");
    const int twin1 = t.recipe("Щи", {}, 0, "Первые");
    const int twin2 = t.recipe("Щи", {}, a, "Вторые");
};

TEST_F(SearchCommandsTest, NameSearchFillsTheListAndEmptyOrCancelledSearchesBehave) {
    ShownFrame frame(t.db);
    CFoundListView* list = frame.foundListView();

    onNextModal([](QWidget* w) {
        EXPECT_EQ(w->windowTitle(), "Поиск рецепта");
        click(w, "findButton"); // empty: refused, dialog stays
        EXPECT_TRUE(w->isVisible());
        child<QLineEdit>(w, "text")->setText("блин");
        click(w, "findButton");
    });
    frame.runCommand(ID_FIND_RECIPE);
    EXPECT_EQ(Prompts::shown().at(0).text, "Введите строку для поиска");
    EXPECT_EQ(list->texts(), (QStringList{"Блинный торт", "Блины с мёдом"}));
    EXPECT_EQ(list->recipeAt(1), deep);
    EXPECT_EQ(frame.recipeView()->CurrentRecipeId(), 0); // filling shows nothing

    searchFor("компот");
    frame.runCommand(ID_FIND_RECIPE);
    EXPECT_EQ(list->rowCount(), 0);
    EXPECT_EQ(lastShown(), "Поиск: По данному запросу ничего не найдено");

    // Two recipes of one name are two rows; each shows its own recipe.
    searchFor("щи");
    frame.runCommand(ID_FIND_RECIPE);
    ASSERT_EQ(list->rowCount(), 2);
    list->selectRow(0);
    const int first = frame.recipeView()->CurrentRecipeId();
    list->selectRow(1);
    EXPECT_EQ(first + frame.recipeView()->CurrentRecipeId(), twin1 + twin2);
    EXPECT_NE(first, frame.recipeView()->CurrentRecipeId());
}

TEST_F(SearchCommandsTest, ProductSearchAndContextMenu) {
    ShownFrame frame(t.db);
    CFoundListView* list = frame.foundListView();
    std::unique_ptr<QMenu> empty(list->buildContextMenu(nullptr));
    EXPECT_EQ(menuIds(empty.get()), (QList<int>{145, 151}));

    onNextModal([](QWidget* picker) {
        auto l = child<QListWidget>(picker, "list");
        l->setCurrentItem(l->findItems("Яйцо", Qt::MatchExactly).at(0));
        click(picker, "chooseButton");
    });
    frame.runCommand(ID_FIND_BY_PRODUCT);
    EXPECT_EQ(list->texts(), (QStringList{"Блины с мёдом", "Блины с мёдом"}));

    // A right click on a row selects it, shows it and offers four commands.
    const QPoint at = list->visualRect(list->model()->index(1, 0)).center();
    QContextMenuEvent event(QContextMenuEvent::Mouse, at, list->viewport()->mapToGlobal(at));
    const QStringList rowMenu{"Найти рецепт", "Поиск по продукту", "Найти в содержании", "-",
                              "Добавить в меню"};
    EXPECT_EQ(popupTexts([&] { QApplication::sendEvent(list->viewport(), &event); }), rowMenu);
    EXPECT_EQ(list->selectedRow(), 1);
    EXPECT_EQ(frame.recipeView()->CurrentRecipeId(), deep);
    // By keyboard: Shift+F10 offers the same; other keys move through the rows.
    EXPECT_EQ(popupTexts([&] { QTest::keyClick(list, Qt::Key_F10, Qt::ShiftModifier); }), rowMenu);
    EXPECT_EQ(popupTexts([&] { QTest::keyClick(list, Qt::Key_Up); }), QStringList());
    EXPECT_EQ(list->selectedRow(), 0);
}

TEST_F(SearchCommandsTest, LocateOpensTheChainFromTheTopAndSelects) {
    ShownFrame frame(t.db);
    CFoundListView* list = frame.foundListView();
    CCatalogView* tree = frame.catalogView();

    frame.runCommand(ID_LOCATE_IN_CATALOG);
    EXPECT_EQ(lastMessage(), "Не выбран рецепт в списке результатов поиска");
    EXPECT_EQ(Prompts::shown().back().icon, Prompts::Icon::Error);

    list->appendResult("Блины с мёдом", deep);
    list->appendResult("Блинный торт", root);
    list->appendResult("Удалённый", 9999);
    list->selectRow(0);
    frame.runCommand(ID_LOCATE_IN_CATALOG);
    QStringList chain; // from the selected recipe up, each section open
    for (QTreeWidgetItem* item = tree->selectedEntry(); item; item = item->parent())
        chain << item->text(0) + (item->isExpanded() ? "+" : "");
    EXPECT_EQ(chain, (QStringList{"Блины с мёдом", "Блинная+", "Сладкая+", "Выпечка+"}));

    tree->collapseAll();
    list->selectRow(1);
    frame.runCommand(ID_LOCATE_IN_CATALOG);
    EXPECT_EQ(tree->selectedEntry(), byText(tree->invisibleRootItem(), "Блинный торт"));
    EXPECT_FALSE(tree->topLevelItem(0)->isExpanded());

    // Out of step: the row's recipe is gone. Nothing is selected anew, nothing said.
    const size_t messages = Prompts::shown().size();
    tree->clearSelection();
    list->selectRow(2);
    frame.runCommand(ID_LOCATE_IN_CATALOG);
    EXPECT_EQ(tree->selectedEntry(), nullptr);
    EXPECT_EQ(Prompts::shown().size(), messages);
}

TEST(SearchStore, NamesAsTypedTakePercentAndUnderscoreLiterallyAndFollowEveryChange) {
    TestDb t;
    for (const char* n : {"Скидка 50%", "Суп", "суп_2", "Щи", "Ёжики"})
        t.addRecipe(QString::fromUtf8(n));
    auto typed = [&](const char* text) {
        return namesOf(search::findByNameAsTyped(t.db, QString::fromUtf8(text)));
    };
    EXPECT_EQ(typed("%") + typed("П_") + typed("ежи") + typed(""),
              (QStringList{"Скидка 50%", "суп_2", "Ёжики"}));
    // A name is listed once however often it holds the text; the end of one name and the
    // start of the next ("Суп", "суп_2") make no match.
    t.addRecipe("Сыр с сыром");
    EXPECT_EQ(typed("с") + typed("пс"), (QStringList{"Скидка 50%", "Суп", "суп_2", "Сыр с сыром"}));
    // This connection's renames, additions and deletions, at once.
    t.db.exec("UPDATE Recipes SET Name='Суп гороховый' WHERE Name='Суп'");
    const int added = t.addRecipe("Суп-лапша");
    t.db.exec("DELETE FROM Recipes WHERE Name='суп_2'");
    EXPECT_EQ(typed("суп"), (QStringList{"Суп гороховый", "Суп-лапша"}));
    // A change that is rolled back leaves the names as they were.
    {
        Transaction tx(t.db);
        t.db.exec("DELETE FROM Recipes WHERE ID=?", {qint64(added)});
        EXPECT_EQ(typed("лапша").size(), 0);
    }
    EXPECT_EQ(typed("лапша").size(), 1);
    // Undone in part, in a transaction that is kept: a savepoint rolled back, and a statement
    // that fails on its second row after its first was named.
    {
        Transaction outer(t.db);
        t.addRecipe("Суп сохранённый");
        {
            Transaction inner(t.db);
            t.addRecipe("Суп отменённый");
        }
        outer.commit();
    }
    const QStringList kept{"Суп гороховый", "Суп сохранённый", "Суп-лапша"};
    EXPECT_EQ(typed("суп"), kept);
    {
        Transaction tx(t.db);
        EXPECT_THROW(t.db.exec("INSERT INTO Recipes (ID, Catalog, Name, Recipe) SELECT ?, 0, "
                               "'Суп упавший', '' UNION ALL SELECT ?, 0, 'Суп', ''",
                               {qint64(9001), qint64(added)}),
                     DbError);
        tx.commit();
    }
    EXPECT_EQ(typed("суп"), kept);
    t.db.exec("DELETE FROM Recipes WHERE Name='Суп сохранённый'");
    // Another connection's change, to the same file.
    {
        Database other;
        other.open(t.path(), Database::OpenMode::Existing);
        other.exec("UPDATE Recipes SET Name='Щи суточные' WHERE Name='Щи'");
    }
    EXPECT_EQ(typed("суточ"), QStringList{"Щи суточные"});
    // The list follows one connection at a time: what another that it followed before does
    // in a transaction of its own is not yet in the file, and is not listed.
    {
        Database other;
        other.open(t.path(), Database::OpenMode::Existing);
        EXPECT_EQ(namesOf(search::findByNameAsTyped(other, "суточ")), QStringList{"Щи суточные"});
        Transaction tx(t.db);
        t.addRecipe("Щи фантомные");
        EXPECT_EQ(namesOf(search::findByNameAsTyped(other, "щи")), QStringList{"Щи суточные"});
    }
    // Names alike stand in the order of their numbers, whichever was renamed last.
    const int first = t.addRecipe("Каша");
    const int second = t.addRecipe("Кашка");
    t.db.exec("UPDATE Recipes SET Name='Каша' WHERE ID=?", {qint64(second)});
    t.db.exec("UPDATE Recipes SET Name='Каша' WHERE ID=?", {qint64(first)});
    std::vector<int> ids;
    for (const search::Found& f : search::findByNameAsTyped(t.db, "каша"))
        ids.push_back(f.recipe);
    EXPECT_EQ(ids, (std::vector<int>{first, second}));
    // A number far above the rest (a file edited by hand), renamed away.
    t.db.exec("INSERT INTO Recipes (ID, Catalog, Name, Recipe) VALUES (1000000000000, 0, "
              "'Каша далёкая', '')");
    EXPECT_EQ(typed("далёк"), QStringList{"Каша далёкая"});
    t.db.exec("UPDATE Recipes SET Name='Плов' WHERE ID=1000000000000");
    EXPECT_EQ(typed("каша"), (QStringList{"Каша", "Каша"}));
    t.db.exec("DELETE FROM Recipes WHERE ID=1000000000000");
    // Names added since the last catch-up wait unsorted; a keystroke still lists them in one
    // order with the rest, and follows their deletion; the catch-up changes nothing seen.
    search::catchUpNames(t.db);
    for (const char* n : {"Тыквенный суп", "Борщ и суп", "Ягодный суп"})
        t.addRecipe(QString::fromUtf8(n));
    t.db.exec("DELETE FROM Recipes WHERE Name='Ягодный суп'");
    const QStringList soups{"Борщ и суп", "Суп гороховый", "Суп-лапша", "Тыквенный суп"};
    EXPECT_EQ(typed("суп"), soups);
    EXPECT_EQ(namesOf(search::findByName(t.db, "%суп")), soups);
    search::catchUpNames(t.db);
    EXPECT_EQ(typed("суп"), soups);
}

TEST(TextIndex, FindsEveryWordInAnyFormAndNeverGoesStale) {
    TestDb t;
    const int blini = t.recipe("Блины на кефире", {}, 0, "Жарить.");
    t.recipe("Оладьи", {{"Кефир", 1}, {"Мука", 1}}, 0, "Замесить тесто.");
    t.recipe("Пирог", {}, 0, "Испечь с кефиром и мукой.");
    t.recipe("Медовик", {{"Сода", 1}}, 0, "Испечь коржи.");
    auto find = [&](const char* words) {
        return namesOf(search::findByText(t.db, QString::fromUtf8(words)));
    };
    EXPECT_EQ(find("блины кефир"), QStringList{"Блины на кефире"});
    // A product counts as much as the method; every word must be there.
    EXPECT_EQ(find("кефиром"), (QStringList{"Блины на кефире", "Оладьи", "Пирог"}));
    EXPECT_EQ(find("мука кефир"), (QStringList{"Оладьи", "Пирог"}));
    EXPECT_TRUE(find("кефир ананас").empty());
    EXPECT_TRUE(find("\"*: ()").empty()); // no words, and nothing read as query syntax
    EXPECT_TRUE(search::findByText(t.db, "\"*: ()", true).empty()); // typed so far
    // As the user types, the last word may be unfinished: it matches as a beginning.
    EXPECT_TRUE(find("кеф").empty());
    EXPECT_EQ(namesOf(search::findByText(t.db, "кеф", true)),
              (QStringList{"Блины на кефире", "Оладьи", "Пирог"}));

    // A change rolled back leaves no trace; a product renamed renames it in every recipe.
    {
        Transaction tx(t.db);
        t.db.exec("UPDATE Recipes SET Recipe='Ананас' WHERE ID=?", {qint64(blini)});
    }
    EXPECT_TRUE(find("ананас").empty());
    EXPECT_EQ(find("жарить"), QStringList{"Блины на кефире"});
    t.db.exec("UPDATE Ingredient SET Name='Ряженка' WHERE ID=?", {t.product("Кефир")});
    EXPECT_EQ(find("ряженка"), QStringList{"Оладьи"});
    // A line that changes its product changes the recipe's words.
    t.db.exec("UPDATE Ingredients SET Ingredient=? WHERE Ingredient=?",
              {t.product("Мёд"), t.product("Мука")});
    EXPECT_EQ(find("мёд"), QStringList{"Оладьи"});
    EXPECT_EQ(find("мука"), QStringList{"Пирог"});
    // A change made without the program, by a connection that has none of its functions.
    sqlite3* raw = nullptr;
    ASSERT_EQ(sqlite3_open(t.path().toUtf8().constData(), &raw), SQLITE_OK);
    sqlite3_busy_timeout(raw, 3000);
    char* error = nullptr;
    EXPECT_EQ(sqlite3_exec(raw,
                           "UPDATE Recipes SET Recipe='Подавать с вареньем' WHERE Name='Пирог';"
                           "DELETE FROM Ingredient WHERE Name='Сода';"
                           "DELETE FROM Recipes WHERE Name='Оладьи';"
                           "INSERT INTO Recipes (Name) VALUES ('Варенье вишнёвое');",
                           nullptr, nullptr, &error),
              SQLITE_OK)
        << (error ? error : "");
    sqlite3_free(error);
    sqlite3_close(raw);
    EXPECT_EQ(search::textIndexBacklog(t.db), 4);
    EXPECT_EQ(find("варенье"), (QStringList{"Варенье вишнёвое", "Пирог"}));
    EXPECT_TRUE(find("ряженка").empty());
    EXPECT_TRUE(find("сода").empty());
    EXPECT_EQ(find("коржи"), QStringList{"Медовик"});
    EXPECT_EQ(search::textIndexBacklog(t.db), 0);
    // A long catch-up moves its bar about fifty times, and ends at the whole.
    for (int i = 0; i < 500; ++i)
        t.addRecipe(QStringLiteral("Пирог %1").arg(i));
    RecordingProgress progress;
    search::refreshTextIndex(t.db, progress);
    EXPECT_TRUE(progress.positions.size() >= 45u && progress.positions.size() <= 60u)
        << progress.positions.size();
    EXPECT_EQ(progress.last(), progress.high);
}

TEST_F(SearchCommandsTest, TheSearchBoxFillsTheListAsTheUserTypes) {
    for (const char* n : {"Борщ", "Щи", "Суп с фрикадельками", "Суп-пюре"})
        t.addRecipe(QString::fromUtf8(n), 0, "Варить на медленном огне.");
    t.addRecipe("Ежики", 0, "Тушить.");
    ShownFrame frame(t.db);
    QApplication::setActiveWindow(&frame);
    CSearchBox* box = frame.searchBox();
    // With the toolbar hidden the keys show it first: the field is never typed into unseen.
    frame.toolBar()->hide();
    QTest::keyClick(frame.catalogView(), Qt::Key_F, Qt::ControlModifier);
    EXPECT_EQ(QApplication::focusWidget(), box->field());
    EXPECT_TRUE(frame.toolBar()->isVisible());
    EXPECT_TRUE(
        frame.findChild<QAction*>(QStringLiteral("command%1").arg(ID_VIEW_TOOLBAR))->isChecked());
    // Letter by letter, as typed (the test library types Latin letters only).
    auto type = [box](const QString& text) {
        for (QChar letter : text)
            box->field()->insert(QString(letter));
    };
    type("суп");
    EXPECT_EQ(frame.foundListView()->texts(), (QStringList{"Суп с фрикадельками", "Суп-пюре"}));
    type("-");
    EXPECT_EQ(frame.foundListView()->texts(), QStringList{"Суп-пюре"});
    QTest::keyClick(box->field(), Qt::Key_Down);
    EXPECT_EQ(QApplication::focusWidget(), frame.foundListView());
    EXPECT_EQ(frame.recipeView()->CurrentRecipeId(), frame.foundListView()->recipeAt(0));
    box->takeFocus();
    QTest::keyClick(box->field(), Qt::Key_Escape);
    EXPECT_TRUE(box->field()->text().isEmpty());
    EXPECT_EQ(frame.foundListView()->rowCount(), 0);
    // ё typed is е, and a blank alone finds nothing.
    type("Ёж");
    EXPECT_EQ(frame.foundListView()->texts(), QStringList{"Ежики"});
    box->field()->clear();
    type(" ");
    EXPECT_EQ(frame.foundListView()->rowCount(), 0);
    box->field()->clear();
    // In the texts: "Поиск в тексте" turns the box to words of the methods.
    frame.runCommand(ID_FIND_TEXT);
    EXPECT_TRUE(box->inText());
    type("медленно");
    EXPECT_EQ(frame.foundListView()->rowCount(), 4);
    // Switching the mode looks for the same text the other way; with nothing typed the
    // list keeps what it shows.
    auto toggle = box->findChild<QAbstractButton*>("inTextToggle");
    ASSERT_NE(toggle, nullptr);
    toggle->click();
    EXPECT_FALSE(box->inText());
    EXPECT_EQ(frame.foundListView()->rowCount(), 0);
    toggle->click();
    EXPECT_EQ(frame.foundListView()->rowCount(), 4);
    box->field()->clear();
    frame.foundListView()->showFound(search::findByName(t.db, "Щи"));
    const QStringList shown = frame.foundListView()->texts();
    toggle->click();
    EXPECT_EQ(frame.foundListView()->texts(), shown);
    EXPECT_FALSE(shown.isEmpty());
    EXPECT_TRUE(Prompts::shown().empty()) << "the box never asks or tells anything";
}

TEST(TextIndex, ALargeBacklogIsBuiltBesideTheWindowAPieceAtATime) {
    TestDb t;
    t.addRecipe("Пирог с капустой", 0, "Печь в духовке.");
    // A generated collection: three thousand recipes never indexed.
    t.db.exec("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 3000) "
              "INSERT INTO Recipes (Catalog, Name, Recipe) SELECT 0, 'Рецепт ' || i, "
              "'Варить ' || i || ' минут.' FROM n");
    const qint64 backlog = search::textIndexBacklog(t.db);
    ASSERT_EQ(backlog, 3001);
    EXPECT_EQ(search::indexSomeRecipes(t.db, 10), 10);
    EXPECT_EQ(search::textIndexBacklog(t.db), backlog - 10);
    EXPECT_EQ(number(t.db, "SELECT count(*) FROM RecipeText WHERE RecipeText MATCH 'капуста'"), 1)
        << "the lowest IDs go first";

    ShownFrame frame(t.db);
    // The window's connection is writing (a recipe being edited): the builder waits for it.
    auto editing = std::make_unique<Transaction>(t.db);
    t.db.exec("UPDATE Recipes SET Name='Пирог с капустой и яйцом' WHERE Name='Пирог с капустой'");
    frame.searchCommands()->buildTextIndex();
    ASSERT_TRUE(frame.searchCommands()->textIndexBuilding());
    ASSERT_TRUE(waitUntil([&] { return frame.findChild<QWidget*>("textIndexProgress"); }))
        << "no progress in the status bar";
    // Search in the texts says it is not ready; by name it works at once.
    frame.searchCommands()->searchAsTyped("варить", true);
    EXPECT_EQ(frame.foundListView()->rowCount(), 0);
    EXPECT_TRUE(
        frame.statusBar()->currentMessage().startsWith("Указатель для поиска в тексте строится ("))
        << frame.statusBar()->currentMessage().toStdString();
    frame.searchCommands()->searchAsTyped("пирог", false);
    EXPECT_EQ(frame.foundListView()->texts(), QStringList{"Пирог с капустой и яйцом"});
    QTest::qWait(300);
    EXPECT_TRUE(frame.searchCommands()->textIndexBuilding());
    editing->commit();
    editing.reset();

    ASSERT_TRUE(waitUntil([&] { return !frame.searchCommands()->textIndexBuilding(); }, 60000))
        << "the index was never finished";
    ASSERT_TRUE(waitUntil([&] { return !frame.findChild<QWidget*>("textIndexProgress"); }));
    EXPECT_EQ(search::textIndexBacklog(t.db), 0);
    frame.searchCommands()->searchAsTyped("яйцом", true);
    EXPECT_EQ(frame.foundListView()->texts(), QStringList{"Пирог с капустой и яйцом"});
    EXPECT_EQ(search::findByText(t.db, "варить 2999").size(), 1u);
}

TEST(TextIndex, ClosingTheWindowMidwayLeavesTheRestForNextTime) {
    TestDb t;
    t.db.exec("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 20000) "
              "INSERT INTO Recipes (Catalog, Name, Recipe) SELECT 0, 'Рецепт ' || i, "
              "'Варить ' || i || ' минут.' FROM n");
    {
        ShownFrame frame(t.db);
        frame.searchCommands()->buildTextIndex();
        ASSERT_TRUE(frame.searchCommands()->textIndexBuilding());
    }
    const qint64 left = search::textIndexBacklog(t.db);
    EXPECT_GT(left, 0);
    EXPECT_EQ(left % TextIndexBuilder::kPiece, 0) << "pieces are whole";
    EXPECT_EQ(number(t.db, "SELECT count(*) FROM RecipeText"), 20000 - left);
}
