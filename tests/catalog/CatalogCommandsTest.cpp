#include "app/CMainFrame.h"
#include "catalog/CCatalogView.h"
#include "catalog/CatalogDialogs.h"
#include "catalog/CatalogStore.h"
#include "support/TestDb.h"
#include "support/Widgets.h"
#include "ui/Commands.h"
#include "ui/Prompts.h"

#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <gtest/gtest.h>

namespace {

// Types a name into the section dialog and presses a button; reports the title seen.
void answerForm(QString* title, const QString& name, const char* button = "yesButton") {
    onNextModal([=](QWidget* w) {
        *title = w->windowTitle();
        if (!name.isNull())
            child<QLineEdit>(w, "name")->setText(name);
        child<QPushButton>(w, button)->click();
    });
}

class CatalogCommandsTest : public ::testing::Test {
protected:
    void SetUp() override { Prompts::clear(); }
    TestDb t;
};

} // namespace

TEST_F(CatalogCommandsTest, AddingLandsBesideOrInsideTheSelection) {
    int soups = t.addSection(QStringLiteral("Супы"));
    t.addRecipe(QStringLiteral("Борщ"), soups);
    CMainFrame frame(t.db);
    frame.show();
    CCatalogView* tree = frame.catalogView();
    QTreeWidgetItem* root = tree->invisibleRootItem();

    QString title;
    answerForm(&title, QStringLiteral("Напитки"));
    frame.runCommand(ID_ADD_SECTION); // nothing selected: top level
    EXPECT_EQ(title, QStringLiteral("Новый раздел"));
    QTreeWidgetItem* drinks = byText(root, QStringLiteral("Напитки"));
    ASSERT_NE(drinks, nullptr);
    EXPECT_EQ(tree->selectedEntry(), drinks);
    EXPECT_EQ(drinks->childCount(), 0);
    EXPECT_EQ(catalog::readSection(t.db, CCatalogView::itemValue(drinks))->parent, 0);
    EXPECT_EQ(root->child(0), drinks); // sorted: Напитки before Супы

    // With a recipe selected, "add section" goes into that recipe's section.
    QTreeWidgetItem* soupItem = byText(root, QStringLiteral("Супы"));
    tree->expandSection(soupItem);
    tree->selectEntry(byText(soupItem, QStringLiteral("Борщ")));
    answerForm(&title, QStringLiteral("Холодные"));
    frame.runCommand(ID_ADD_SECTION);
    EXPECT_EQ(title, QStringLiteral("Новый подраздел"));
    QTreeWidgetItem* cold = byText(soupItem, QStringLiteral("Холодные"));
    ASSERT_NE(cold, nullptr);
    EXPECT_EQ(catalog::readSection(t.db, CCatalogView::itemValue(cold))->parent, soups);

    // "Add subsection" with a recipe selected is refused.
    tree->selectEntry(byText(soupItem, QStringLiteral("Борщ")));
    frame.runCommand(ID_ADD_SUBSECTION);
    ASSERT_EQ(Prompts::shown().size(), 1u);
    EXPECT_EQ(Prompts::shown()[0].text, QStringLiteral("Не возможно создать подраздел"));
    EXPECT_EQ(Prompts::shown()[0].caption, QStringLiteral("Ошибка"));

    // Inside a section; an empty name and a repeated name are both fine.
    tree->selectEntry(cold);
    answerForm(&title, QString(""));
    frame.runCommand(ID_ADD_SUBSECTION);
    EXPECT_EQ(title, QStringLiteral("Новый подраздел"));
    EXPECT_EQ(cold->childCount(), 1);
    EXPECT_EQ(number(t.db, "SELECT count(*) FROM Catalog WHERE Name=''"), 1);

    // "Нет" writes nothing.
    tree->clearSelection();
    answerForm(&title, QStringLiteral("Лишний"), "noButton");
    frame.runCommand(ID_ADD_SUBSECTION);
    EXPECT_EQ(title, QStringLiteral("Новый раздел"));
    EXPECT_EQ(number(t.db, "SELECT count(*) FROM Catalog"), 4);
}

TEST_F(CatalogCommandsTest, RenameResortsAndRefusesRecipes) {
    t.addSection(QStringLiteral("Б"));
    t.addSection(QStringLiteral("В"));
    t.addRecipe(QStringLiteral("Г"));
    CMainFrame frame(t.db);
    frame.show();
    CCatalogView* tree = frame.catalogView();
    QTreeWidgetItem* root = tree->invisibleRootItem();

    frame.runCommand(ID_RENAME_SECTION);
    EXPECT_EQ(Prompts::shown().back().text, QStringLiteral("Не выделен раздел"));
    tree->selectEntry(byText(root, QStringLiteral("Г")));
    frame.runCommand(ID_RENAME_SECTION);
    EXPECT_EQ(Prompts::shown().back().text, QStringLiteral("Не возможно редактирование раздела"));
    frame.runCommand(ID_DELETE_SECTION);
    EXPECT_EQ(Prompts::shown().back().text, QStringLiteral("Не возможно удаление раздела"));

    tree->selectEntry(byText(root, QStringLiteral("В")));
    QString title;
    onNextModal([&](QWidget* w) {
        title = w->windowTitle();
        EXPECT_EQ(child<QLineEdit>(w, "name")->text(), QStringLiteral("В"));
        child<QLineEdit>(w, "name")->setText(QStringLiteral("А"));
        child<QPushButton>(w, "yesButton")->click();
    });
    frame.runCommand(ID_RENAME_SECTION);
    EXPECT_EQ(title, QStringLiteral("Переименовать раздел"));
    EXPECT_EQ(root->child(0)->text(0), QStringLiteral("А"));
    EXPECT_EQ(number(t.db, "SELECT count(*) FROM Catalog WHERE Name='А'"), 1);
}

TEST_F(CatalogCommandsTest, DeleteAsksTheChoiceOnlyForNonEmptySections) {
    int soups = t.addSection(QStringLiteral("Супы"));
    int cold = t.addSection(QStringLiteral("Холодные"), soups);
    t.addRecipe(QStringLiteral("Окрошка"), cold);
    int borscht = t.addRecipe(QStringLiteral("Борщ"), soups);
    t.addLine(borscht, t.addProduct(QStringLiteral("Свёкла")), 1, t.addUnit(QStringLiteral("шт")));
    t.addSection(QStringLiteral("Пусто"));
    CMainFrame frame(t.db);
    frame.show();
    CCatalogView* tree = frame.catalogView();
    QTreeWidgetItem* root = tree->invisibleRootItem();

    // Empty: no choice, just the confirmation.
    tree->selectEntry(byText(root, QStringLiteral("Пусто")));
    QString title;
    onNextModal([&](QWidget* w) {
        title = w->windowTitle();
        EXPECT_FALSE(child<QLineEdit>(w, "name")->isEnabled());
        child<QPushButton>(w, "yesButton")->click();
    });
    frame.runCommand(ID_DELETE_SECTION);
    EXPECT_EQ(title, QStringLiteral("Удалить раздел"));
    EXPECT_EQ(byText(root, QStringLiteral("Пусто")), nullptr);
    EXPECT_EQ(number(t.db, "SELECT count(*) FROM Catalog"), 2);

    // "Отмена" in the choice: nothing changes.
    QTreeWidgetItem* soupItem = byText(root, QStringLiteral("Супы"));
    tree->selectEntry(soupItem);
    onNextModal([&](QWidget* w) {
        title = w->windowTitle();
        child<QPushButton>(w, "cancelButton")->click();
    });
    frame.runCommand(ID_DELETE_SECTION);
    EXPECT_EQ(title, QStringLiteral("Удаление раздела"));
    EXPECT_EQ(byText(root, QStringLiteral("Супы")), soupItem);
    EXPECT_EQ(number(t.db, "SELECT count(*) FROM Catalog"), 2);

    // Move the contents up: children of a top-level section become top-level.
    tree->selectEntry(soupItem);
    onNextModal([&](QWidget* choice) {
        child<QRadioButton>(choice, "moveUp")->click();
        child<QPushButton>(choice, "deleteButton")->click();
        onNextModal([&](QWidget* form) { child<QPushButton>(form, "yesButton")->click(); }, choice);
    });
    frame.runCommand(ID_DELETE_SECTION);
    EXPECT_EQ(byText(root, QStringLiteral("Супы")), nullptr);
    QTreeWidgetItem* coldItem = byText(root, QStringLiteral("Холодные"));
    ASSERT_NE(coldItem, nullptr);
    ASSERT_NE(byText(root, QStringLiteral("Борщ")), nullptr);
    EXPECT_EQ(catalog::readSection(t.db, cold)->parent, 0);
    EXPECT_EQ(number(t.db, "SELECT Catalog FROM Recipes WHERE Name='Борщ'"), 0);
    tree->expandSection(coldItem);
    EXPECT_EQ(coldItem->child(0)->text(0), QStringLiteral("Окрошка"));

    // Delete with everything in it.
    tree->selectEntry(coldItem);
    onNextModal([&](QWidget* choice) {
        child<QPushButton>(choice, "deleteButton")->click();
        onNextModal([&](QWidget* form) { child<QPushButton>(form, "yesButton")->click(); }, choice);
    });
    frame.runCommand(ID_DELETE_SECTION);
    EXPECT_EQ(byText(root, QStringLiteral("Холодные")), nullptr);
    EXPECT_EQ(number(t.db, "SELECT count(*) FROM Recipes"), 1);
    EXPECT_EQ(number(t.db, "SELECT count(*) FROM Ingredients"), 1);
}
