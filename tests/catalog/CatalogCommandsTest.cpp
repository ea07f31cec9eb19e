#include "app/CMainFrame.h"
#include "catalog/CCatalogView.h"
#include "catalog/CatalogStore.h"
#include "recipes/CRView.h"
#include "search/CFoundListView.h"
#include "search/SearchStore.h"
#include "support/TestDb.h"
#include "support/Widgets.h"
#include "ui/Commands.h"

#include <QPushButton>
#include <QRadioButton>
#include <QTest>

namespace {

class CatalogCommandsTest : public ::testing::Test {
protected:
    void SetUp() override { frame.show(); }
    // Runs a command whose section dialog takes a name (unless it is null) and a button;
    // gives the dialog's title.
    QString answer(int command, const QString& name, const char* button = "yesButton") {
        QString title;
        withDialog(frame, command, [&](QWidget* w) {
            title = w->windowTitle();
            if (!name.isNull())
                child<QLineEdit>(w, "name")->setText(name);
            click(w, button);
        });
        return title;
    }
    int parentOf(QTreeWidgetItem* item) {
        return catalog::readSection(t.db, CCatalogView::itemValue(item))->parent;
    }

    TestDb t;
    const int soups = t.addSection("Супы");
    const int cold = t.addSection("Холодные", soups);
    const int okroshka = t.recipe("Окрошка", {}, cold);
    const int borscht = t.recipe("Борщ", {{"Свёкла", 1, "шт"}}, soups);
    CMainFrame frame{t.db}; // last: it reads the collection above
    CCatalogView* tree = frame.catalogView();
    QTreeWidgetItem* root = tree->invisibleRootItem();
};

} // namespace

TEST_F(CatalogCommandsTest, AddingLandsBesideOrInsideTheSelection) {
    EXPECT_EQ(answer(ID_ADD_SECTION, "Напитки"), "Новый раздел");
    EXPECT_EQ(texts(root), (QStringList{"Напитки", "Супы"})); // nothing selected: top level
    EXPECT_EQ(tree->selectedEntry(), root->child(0));
    EXPECT_EQ(parentOf(root->child(0)), 0);

    // With a recipe selected, "add section" goes into that recipe's section.
    QTreeWidgetItem* soupItem = byText(root, "Супы");
    tree->expandSection(soupItem);
    tree->selectEntry(byText(soupItem, "Борщ"));
    EXPECT_EQ(answer(ID_ADD_SECTION, "Горячие"), "Новый подраздел");
    EXPECT_EQ(parentOf(byText(soupItem, "Горячие")), soups);

    // "Add subsection" with a recipe selected is refused.
    tree->selectEntry(byText(soupItem, "Борщ"));
    frame.runCommand(ID_ADD_SUBSECTION);
    EXPECT_EQ(lastShown(), "Ошибка: Не возможно создать подраздел");

    // Inside a section; an empty name is fine; "Нет" writes nothing.
    QTreeWidgetItem* coldItem = byText(soupItem, "Холодные");
    tree->selectEntry(coldItem);
    EXPECT_EQ(answer(ID_ADD_SUBSECTION, ""), "Новый подраздел");
    EXPECT_EQ(texts(coldItem), (QStringList{"", "Окрошка"}));
    tree->clearSelection();
    EXPECT_EQ(answer(ID_ADD_SUBSECTION, "Лишний", "noButton"), "Новый раздел");
    EXPECT_EQ(number(t.db, "SELECT count(*) FROM Catalog"), 5);

    // An empty section shows a folder and a recipe a sheet.
    const QIcon folder = qvariant_cast<QIcon>(coldItem->child(0)->data(0, Qt::DecorationRole));
    const QIcon sheet =
        qvariant_cast<QIcon>(byText(coldItem, "Окрошка")->data(0, Qt::DecorationRole));
    ASSERT_FALSE(folder.isNull() || sheet.isNull()) << "tree items without pictures";
    EXPECT_NE(folder.cacheKey(), sheet.cacheKey());
    // A new section far down a long tree is scrolled to.
    for (int i = 0; i < 80; ++i)
        tree->insertEntry(nullptr, QStringLiteral("Раздел %1").arg(i, 2, 10, QLatin1Char('0')),
                          100000 + i, false);
    frame.resize(800, 400);
    frame.show();
    tree->clearSelection();
    tree->scrollToTop();
    answer(ID_ADD_SECTION, "Мёд");
    QTreeWidgetItem* added = byText(root, "Мёд");
    ASSERT_NE(added, nullptr);
    EXPECT_TRUE(tree->viewport()->rect().intersects(tree->visualItemRect(added)))
        << "the new section is out of sight";
}

TEST_F(CatalogCommandsTest, RenameResortsAndRefusesRecipes) {
    t.recipe("Я");
    CMainFrame fresh(t.db);
    QTreeWidgetItem* top = fresh.catalogView()->invisibleRootItem();
    fresh.runCommand(ID_RENAME_SECTION);
    EXPECT_EQ(lastMessage(), "Не выделен раздел");
    fresh.catalogView()->selectEntry(byText(top, "Я"));
    fresh.runCommand(ID_RENAME_SECTION);
    EXPECT_EQ(lastMessage(), "Не возможно редактирование раздела");
    fresh.runCommand(ID_DELETE_SECTION);
    EXPECT_EQ(lastMessage(), "Не возможно удаление раздела");

    fresh.catalogView()->selectEntry(byText(top, "Супы"));
    withDialog(fresh, ID_RENAME_SECTION, [](QWidget* w) {
        EXPECT_EQ(w->windowTitle(), "Переименовать раздел");
        EXPECT_EQ(child<QLineEdit>(w, "name")->text(), "Супы");
        enterAndConfirm(w, "name", "Ё-супы");
    });
    EXPECT_EQ(texts(top), (QStringList{"Ё-супы", "Я"}));
    EXPECT_EQ(number(t.db, "SELECT count(*) FROM Catalog WHERE Name='Ё-супы'"), 1);
}

TEST_F(CatalogCommandsTest, DeleteGoesToTheTrashAskingOnlyWhereTheContentsGo) {
    t.addSection("Пусто");
    CMainFrame fresh(t.db);
    fresh.show();
    CCatalogView* view = fresh.catalogView();
    QTreeWidgetItem* top = view->invisibleRootItem();
    EXPECT_FALSE(fresh.action(ID_UNDO_DELETE)->isEnabled());
    // Empty: no question at all.
    view->selectEntry(byText(top, "Пусто"));
    fresh.runCommand(ID_DELETE_SECTION);
    EXPECT_EQ(texts(top), QStringList{"Супы"});
    EXPECT_TRUE(fresh.action(ID_UNDO_DELETE)->isEnabled());
    EXPECT_EQ(fresh.findChild<QPushButton*>("trashRow")->text(), "Корзина (1)");

    // "Отмена" in the choice: nothing changes.
    view->selectEntry(top->child(0));
    withDialog(fresh, ID_DELETE_SECTION, [](QWidget* w) {
        EXPECT_EQ(w->windowTitle(), "Удаление раздела");
        click(w, "cancelButton");
    });
    EXPECT_EQ(number(t.db, "SELECT count(*) FROM Catalog"), 2);

    // Move the contents up: children of a top-level section become top-level.
    auto choose = [](bool moveUp) {
        return [moveUp](QWidget* choice) {
            // Moving up, which loses nothing, is what Enter does; deleting all is chosen.
            if (moveUp)
                EXPECT_TRUE(child<QRadioButton>(choice, "moveUp")->isChecked());
            else
                child<QRadioButton>(choice, "deleteAll")->click();
            click(choice, "deleteButton");
        };
    };
    withDialog(fresh, ID_DELETE_SECTION, choose(true));
    EXPECT_EQ(texts(top), (QStringList{"Борщ", "Холодные"}));
    view->expandSection(byText(top, "Холодные"));
    EXPECT_EQ(texts(byText(top, "Холодные")), QStringList{"Окрошка"});

    // Delete with everything in it: what the results list and the recipe pane showed of it
    // goes with it.
    fresh.foundListView()->showFound(search::findByName(t.db, "%"));
    fresh.recipeView()->ShowRecipe(okroshka);
    view->selectEntry(byText(top, "Холодные"));
    withDialog(fresh, ID_DELETE_SECTION, choose(false));
    EXPECT_EQ(texts(top), QStringList{"Борщ"});
    EXPECT_EQ(number(t.db, "SELECT count(*) FROM Recipes"), 1);
    EXPECT_EQ(fresh.foundListView()->texts(), QStringList{"Борщ"});
    EXPECT_NE(fresh.recipeView()->CurrentRecipeId(), okroshka);

    // Ctrl+Z brings it back with what it held, selected; once.
    QApplication::setActiveWindow(&fresh);
    view->setFocus();
    QTest::keyClick(view, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(texts(top), (QStringList{"Борщ", "Холодные"}));
    EXPECT_EQ(view->selectedEntry(), byText(top, "Холодные"));
    view->expandSection(byText(top, "Холодные"));
    EXPECT_EQ(texts(byText(top, "Холодные")), QStringList{"Окрошка"});
    EXPECT_FALSE(fresh.action(ID_UNDO_DELETE)->isEnabled());
    EXPECT_EQ(fresh.findChild<QPushButton*>("trashRow")->text(), "Корзина (2)");

    // Put back from the trash's window, the last deleted leaves nothing to undo.
    view->selectEntry(byText(top, "Борщ"));
    fresh.runCommand(ID_DELETE_RECIPE);
    EXPECT_TRUE(fresh.action(ID_UNDO_DELETE)->isEnabled());
    bool restored = false;
    onNextModal([&](QWidget* w) {
        auto list = child<QTreeWidget>(w, "trashList");
        ASSERT_GT(list->topLevelItemCount(), 0);
        list->setCurrentItem(list->topLevelItem(0));
        EXPECT_EQ(list->topLevelItem(0)->text(0), "Борщ");
        click(w, "restoreButton");
        restored = true;
        click(w, "closeButton");
    });
    fresh.runCommand(ID_TRASH);
    EXPECT_TRUE(restored) << "the trash's window never opened";
    EXPECT_FALSE(fresh.action(ID_UNDO_DELETE)->isEnabled());

    // The row beneath the tree opens the trash. Putting back an older one keeps the undo of
    // the last; emptying it (asked first) leaves nothing to undo.
    view->selectEntry(byText(top, "Борщ"));
    fresh.runCommand(ID_DELETE_RECIPE);
    EXPECT_TRUE(fresh.action(ID_UNDO_DELETE)->isEnabled());
    bool opened = false;
    bool undoKept = false;
    onNextModal([&](QWidget* w) {
        opened = true;
        EXPECT_EQ(w->objectName(), "trashWindow");
        auto list = child<QTreeWidget>(w, "trashList");
        if (list->topLevelItemCount() > 1) {
            EXPECT_EQ(list->topLevelItem(0)->text(0), "Борщ");
            list->setCurrentItem(list->topLevelItem(1));
            click(w, "restoreButton");
            undoKept = fresh.action(ID_UNDO_DELETE)->isEnabled();
        }
        Prompts::setNextAnswer(Prompts::Yes);
        click(w, "emptyButton");
        EXPECT_EQ(lastMessage().left(33), "Удалить из корзины всё (2) насовс");
        click(w, "closeButton");
    });
    fresh.findChild<QPushButton*>("trashRow")->click();
    EXPECT_TRUE(opened) << "the trash's window never opened";
    EXPECT_TRUE(undoKept) << "putting back an older one ended the undo of the last";
    EXPECT_FALSE(fresh.action(ID_UNDO_DELETE)->isEnabled());
    EXPECT_EQ(fresh.findChild<QPushButton*>("trashRow")->text(), "Корзина");
}

TEST_F(CatalogCommandsTest, WithoutATrashDeletingAsksFirst) {
    t.db.execScript("DROP TABLE TrashServings");
    CMainFrame fresh(t.db);
    QTreeWidgetItem* top = fresh.catalogView()->invisibleRootItem();
    fresh.catalogView()->selectEntry(byText(top, "Супы"));
    withDialog(fresh, ID_DELETE_SECTION, [](QWidget* choice) {
        child<QRadioButton>(choice, "deleteAll")->click();
        onNextModal(
            [](QWidget* form) {
                EXPECT_EQ(form->windowTitle(), "Удалить раздел");
                EXPECT_FALSE(child<QLineEdit>(form, "name")->isEnabled());
                click(form, "yesButton");
            },
            choice);
        click(choice, "deleteButton");
    });
    EXPECT_TRUE(texts(top).isEmpty());
    EXPECT_EQ(number(t.db, "SELECT count(*) FROM Recipes"), 0);
    EXPECT_FALSE(fresh.findChild<QPushButton*>("trashRow")->isVisible());
}
