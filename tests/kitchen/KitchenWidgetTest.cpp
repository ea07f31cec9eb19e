#include "app/CMainFrame.h"
#include "catalog/CCatalogView.h"
#include "catalog/CatalogStore.h"
#include "kitchen/KitchenStore.h"
#include "recipes/CRView.h"
#include "search/CFoundListView.h"
#include "support/TestDb.h"
#include "support/Widgets.h"
#include "ui/CProgress.h"
#include "ui/Commands.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QSpinBox>

namespace {

// Gives the window the focus as a person's click would, and the pane the focus inside it.
void focusPane(CMainFrame& frame, QWidget* pane) {
    QApplication::setActiveWindow(&frame);
    frame.activateWindow();
    pane->setFocus(Qt::MouseFocusReason);
    QApplication::processEvents();
    ASSERT_EQ(QApplication::focusWidget(), pane) << "the pane did not take the focus";
}

} // namespace

TEST(Kitchen, ProductListAddsThroughThePickerAndRemovesWithOneQuestion) {
    TestDb t;
    const int egg = t.product("Яйцо");
    t.recipe("Омлет", {{"Яйцо", 2}, {"Соль"}, {"Молоко"}});
    kitchen::addProducts(t.db, kitchen::List::Always, {{egg, "Яйцо"}});
    ShownFrame frame(t.db);

    withDialog(frame, ID_PRODUCTS_ON_HAND, [&](QWidget* dialog) {
        EXPECT_EQ(dialog->windowTitle(), "Продукты в наличии");
        auto list = child<QListWidget>(dialog, "list");
        click(dialog, "removeButton");
        EXPECT_EQ(lastShown(), "Ошибка: Выберите продукт");
        onNextModal(
            [](QWidget* picker) {
                auto choices = child<QListWidget>(picker, "list");
                for (int i = 0; i < choices->count(); ++i)
                    choices->item(i)->setSelected(choices->item(i)->text() != "Молоко");
                click(picker, "chooseButton");
            },
            dialog, "the product picker");
        click(dialog, "addButton");
        EXPECT_EQ(listTexts(list), (QStringList{"Соль", "Яйцо"}));

        // One question for both, in the plural; "No" keeps them.
        list->selectAll();
        Prompts::setNextAnswer(Prompts::No);
        click(dialog, "removeButton");
        EXPECT_EQ(lastMessage(), "Удалить выбранные продукты?");
        EXPECT_EQ(number(t.db, "SELECT count(*) FROM Products"), 2);
        list->item(0)->setSelected(false);
        Prompts::setNextAnswer(Prompts::Yes);
        click(dialog, "removeButton");
        EXPECT_EQ(lastMessage(), "Удалить выбранный продукт?");
        EXPECT_EQ(listTexts(list), QStringList{"Соль"});
        click(dialog, "exitButton");
    });
    EXPECT_EQ(number(t.db, "SELECT count(*) FROM Products WHERE ID<>?", {egg}), 1);
    withDialog(frame, ID_PRODUCTS_ALWAYS, [&](QWidget* dialog) {
        EXPECT_EQ(dialog->windowTitle(), "Постоянные продукты");
        EXPECT_EQ(listTexts(child<QListWidget>(dialog, "list")), QStringList{"Яйцо"});
        click(dialog, "exitButton");
    });
}

TEST(Kitchen, AddToMenuTakesTheRecipeOfTheActivePane) {
    TestDb t;
    const int section = t.addSection("Супы");
    const int soup = t.recipe("Щи", {}, section);
    ShownFrame frame(t.db);
    CCatalogView* tree = frame.catalogView();

    // A section in the tree, nothing in the results, no recipe in the view.
    focusPane(frame, tree);
    tree->selectEntry(tree->findChild(nullptr, section));
    frame.runCommand(ID_MENU_ADD);
    EXPECT_EQ(lastMessage(), "Не выделен рецепт");
    EXPECT_EQ(Prompts::shown().back().icon, Prompts::Icon::Error);
    focusPane(frame, frame.foundListView());
    frame.runCommand(ID_MENU_ADD);
    EXPECT_EQ(lastMessage(), "Не выбран рецепт");
    focusPane(frame, frame.recipeView());
    frame.runCommand(ID_MENU_ADD);
    EXPECT_EQ(lastMessage(), "Не выделен рецепт");

    // From the tree: the number dialog is titled with the recipe, refuses 0.
    focusPane(frame, tree);
    tree->expandSection(tree->findChild(nullptr, section));
    tree->selectEntry(
        tree->findChild(tree->findChild(nullptr, section), catalog::recipeValue(soup)));
    withDialog(frame, ID_MENU_ADD, [&](QWidget* dialog) {
        EXPECT_EQ(dialog->windowTitle(), "Щи");
        auto edit = child<QLineEdit>(dialog, "servings");
        EXPECT_EQ(edit->text(), "1"); // one dish unless said otherwise
        edit->setText("0");
        click(dialog, "yesButton");
        EXPECT_TRUE(dialog->isVisible());
        EXPECT_EQ(lastMessage(), "Введите целое число от 1 до 1000000.");
        edit->setText("4");
        click(dialog, "yesButton");
    });
    EXPECT_EQ(kitchen::menuServings(t.db, soup), 4);

    // From the recipe view now showing it: the current number is offered; "Нет" keeps it.
    ASSERT_EQ(frame.recipeView()->CurrentRecipeId(), soup);
    focusPane(frame, frame.recipeView());
    withDialog(frame, ID_MENU_ADD, [&](QWidget* dialog) {
        EXPECT_EQ(child<QLineEdit>(dialog, "servings")->text(), "4");
        child<QLineEdit>(dialog, "servings")->setText("9");
        click(dialog, "noButton");
    });
    EXPECT_EQ(kitchen::menuServings(t.db, soup), 4);
}

TEST(Kitchen, MenuDialogSortsChangesRemovesAndAsksBeforeClearing) {
    TestDb t;
    const int a = t.recipe("Щи"), b = t.recipe("борщ"), c = t.recipe("Ёжики");
    for (auto [recipe, servings] : {std::pair{a, 2}, {b, 1}, {c, 3}})
        kitchen::setMenuServings(t.db, recipe, servings);
    ShownFrame frame(t.db);

    withDialog(frame, ID_MENU_VIEW, [&](QWidget* dialog) {
        EXPECT_EQ(dialog->windowTitle(), "Меню");
        auto list = child<QTreeWidget>(dialog, "dishes");
        EXPECT_EQ(texts(list->invisibleRootItem()), (QStringList{"борщ", "Ёжики", "Щи"}));
        EXPECT_EQ(list->columnWidth(1), 40);
        EXPECT_EQ(list->columnWidth(0), list->viewport()->width() - 40);
        click(dialog, "removeButton");
        EXPECT_EQ(lastMessage(), "Блюдо не выбрано.");

        list->setCurrentItem(list->topLevelItem(1));
        onNextModal(
            [](QWidget* number) {
                EXPECT_EQ(number->windowTitle(), "Ёжики");
                EXPECT_EQ(child<QLineEdit>(number, "servings")->text(), "3");
                enterAndConfirm(number, "servings", "7");
            },
            dialog, "the number dialog");
        click(dialog, "changeButton");
        EXPECT_EQ(list->topLevelItem(1)->text(1), "7");
        // A double click on a dish changes its number too.
        onNextModal([](QWidget* number) { click(number, "noButton"); }, dialog,
                    "the number dialog on a double click");
        emit list->itemDoubleClicked(list->topLevelItem(1), 0);

        list->setCurrentItem(list->topLevelItem(0));
        click(dialog, "removeButton");
        EXPECT_EQ(texts(list->invisibleRootItem()), (QStringList{"Ёжики", "Щи"}));
        Prompts::setNextAnswer(Prompts::No);
        click(dialog, "clearButton");
        EXPECT_EQ(lastMessage(), "Очистить меню?");
        EXPECT_EQ(list->topLevelItemCount(), 2);
        click(dialog, "exitButton");
    });
    EXPECT_EQ(textOf(t.db, "SELECT group_concat(Recipe || 'x' || Quantity, ' ') FROM "
                           "(SELECT * FROM Menu ORDER BY Recipe)"),
              QStringLiteral("%1x2 %2x7").arg(a).arg(c));

    withDialog(frame, ID_MENU_VIEW, [&](QWidget* dialog) {
        Prompts::setNextAnswer(Prompts::Yes);
        click(dialog, "clearButton");
        EXPECT_EQ(child<QTreeWidget>(dialog, "dishes")->topLevelItemCount(), 0);
        click(dialog, "exitButton");
    });
    EXPECT_EQ(number(t.db, "SELECT count(*) FROM Menu"), 0);
}

TEST(Kitchen, WhatToCookAndTheProductListFillTheResultsAndTheView) {
    TestDb t;
    const int a = t.recipe("Омлет", {{"Яйцо", 2}});
    t.recipe("Глазунья", {{"Яйцо", 0}});
    ShownFrame frame(t.db);
    CFoundListView* results = frame.foundListView();

    results->appendResult("от прошлого поиска", a);
    frame.runCommand(ID_WHAT_TO_COOK);
    EXPECT_EQ(results->rowCount(), 0);
    EXPECT_EQ(lastShown(), "Ovelta: Не знаю, что можно приготовить из ваших продуктов: список "
                           "продуктов в наличии пуст.\nОткрыть «Продукты в наличии»?");
    // With nothing at hand, the answer offers the list of what is.
    Prompts::setNextAnswer(Prompts::Yes);
    withDialog(frame, ID_WHAT_TO_COOK, [](QWidget* dialog) {
        EXPECT_EQ(dialog->objectName(), "productsList");
        click(dialog, "exitButton");
    });
    kitchen::addProducts(t.db, kitchen::List::OnHand, {{t.product("Соль"), "Соль"}});
    frame.runCommand(ID_WHAT_TO_COOK);
    EXPECT_EQ(lastShown(), "Ovelta: Не знаю, что можно приготовить из ваших продуктов");

    kitchen::addProducts(t.db, kitchen::List::OnHand, {{t.product("Яйцо"), "Яйцо"}});
    Prompts::clear();
    frame.runCommand(ID_WHAT_TO_COOK);
    EXPECT_TRUE(Prompts::shown().empty());
    EXPECT_EQ(results->texts(), (QStringList{"Глазунья", "Омлет"}));
    EXPECT_FALSE(frame.findChild<CProgress*>()) << "the progress window stays";

    frame.recipeView()->ShowRecipe(a);
    kitchen::setMenuServings(t.db, a, 3);
    frame.runCommand(ID_MENU_PRODUCT_LIST);
    EXPECT_EQ(frame.recipeView()->CurrentRecipeId(), 0);
    EXPECT_EQ(frame.recipeView()->documentRtf(), kitchen::menuProductListRtf(t.db));
    EXPECT_EQ(results->texts(), QStringList{"Омлет"});
    EXPECT_EQ(results->recipeAt(0), a);
}

TEST(Kitchen, WhatIsMissingShowsChosenRecipesAndFeedsTheMenuAndTheShoppingList) {
    TestDb t;
    const int omelette = t.recipe("Омлет", {{"Яйцо", 2, "г"}, {"Молоко", 50, "г"}});
    ShownFrame frame(t.db);
    frame.setGeometry(0, 0, 1024, 600); // the smallest screen the program is made for
    withDialog(frame, ID_WHAT_IS_MISSING, [&](QWidget* dialog) {
        EXPECT_EQ(dialog->windowTitle(), "Чего не хватает?");
        // Beside the recipe pane it changes, never over it; long lines wrap.
        const QRect pane(frame.recipeView()->mapToGlobal(QPoint(0, 0)), frame.recipeView()->size());
        EXPECT_FALSE(dialog->geometry().intersects(pane))
            << dialog->geometry().x() << " " << dialog->geometry().width() << " / " << pane.x();
        QListWidget* list = child<QListWidget>(dialog, "list");
        EXPECT_TRUE(list->wordWrap());
        EXPECT_EQ(listTexts(list), QStringList{"Омлет — нет: Молоко, Яйцо"});
        child<QSpinBox>(dialog, "maxMissing")->setValue(1);
        EXPECT_EQ(list->count(), 0);
        child<QSpinBox>(dialog, "maxMissing")->setValue(2);
        click(dialog, "shoppingButton"); // nothing chosen yet
        EXPECT_EQ(lastMessage(), "Не выбран рецепт");
        list->setCurrentRow(0);
        EXPECT_EQ(frame.recipeView()->CurrentRecipeId(), omelette);
        click(dialog, "shoppingButton");
        EXPECT_EQ(kitchen::shoppingListText(t.db), "Молоко\nЯйцо\n");
        onNextModal(
            [&](QWidget* servings) {
                enterAndConfirm(servings, "servings", "3");
                click(dialog, "exitButton");
            },
            dialog, "the servings dialog");
        click(dialog, "addToMenuButton");
    });
    EXPECT_EQ(kitchen::menuServings(t.db, omelette), 3);

    // The shopping list: the menu's amounts; a ticked row goes on hand, an unticked not.
    withDialog(frame, ID_SHOPPING_LIST, [&](QWidget* dialog) {
        QListWidget* list = child<QListWidget>(dialog, "list");
        EXPECT_EQ(listTexts(list), (QStringList{"Молоко : 150 г", "Яйцо : 6 г"}));
        list->item(0)->setCheckState(Qt::Checked);
        list->item(0)->setCheckState(Qt::Unchecked);
        list->item(1)->setCheckState(Qt::Checked);
        click(dialog, "onHandButton");
        EXPECT_EQ(listTexts(list), QStringList{"Молоко : 150 г"});
        click(dialog, "copyButton");
        EXPECT_EQ(QGuiApplication::clipboard()->text(), "Молоко : 150 г\n");
        click(dialog, "exitButton");
    });
    ASSERT_EQ(kitchen::listProducts(t.db, kitchen::List::OnHand).size(), 1u);
    EXPECT_EQ(kitchen::listProducts(t.db, kitchen::List::OnHand)[0].id, t.product("Яйцо"));
}
