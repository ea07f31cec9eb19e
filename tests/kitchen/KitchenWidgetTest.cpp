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
#include "ui/Prompts.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <gtest/gtest.h>

namespace {

class Kitchen : public ::testing::Test {
protected:
    void SetUp() override { Prompts::clear(); }
    void TearDown() override { Prompts::clear(); }

    QString lastMessage() const {
        return Prompts::shown().empty() ? QString() : Prompts::shown().back().text;
    }
};

// Gives the window the focus as a person's click would, and the pane the focus inside it.
void focusPane(CMainFrame& frame, QWidget* pane) {
    QApplication::setActiveWindow(&frame);
    frame.activateWindow();
    pane->setFocus(Qt::MouseFocusReason);
    QApplication::processEvents();
    ASSERT_EQ(QApplication::focusWidget(), pane) << "the pane did not take the focus";
}

} // namespace

TEST_F(Kitchen, ProductListAddsThroughThePickerAndRemovesWithOneQuestion) {
    TestDb t;
    const int egg = t.addProduct(QStringLiteral("Яйцо"));
    t.addProduct(QStringLiteral("Соль"));
    t.addProduct(QStringLiteral("Молоко"));
    const int r = t.addRecipe(QStringLiteral("Омлет"));
    t.addLine(r, egg, 2, 0);
    kitchen::addProducts(t.db, kitchen::List::Always, {{egg, "Яйцо"}});
    CMainFrame frame(t.db);
    frame.show();

    bool seen = false;
    onNextModal([&](QWidget* dialog) {
        seen = true;
        EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Продукты в наличии"));
        auto list = child<QListWidget>(dialog, "list");
        ASSERT_TRUE(list);
        EXPECT_EQ(list->count(), 0);
        click(dialog, "removeButton");
        EXPECT_EQ(lastMessage(), QStringLiteral("Выберите продукт"));
        EXPECT_EQ(Prompts::shown().back().caption, QStringLiteral("Ошибка"));

        onNextModal(
            [](QWidget* picker) {
                auto choices = child<QListWidget>(picker, "list");
                ASSERT_TRUE(choices);
                for (int i = 0; i < choices->count(); ++i)
                    choices->item(i)->setSelected(choices->item(i)->text() != "Молоко");
                click(picker, "chooseButton");
            },
            dialog, "the product picker");
        click(dialog, "addButton");
        EXPECT_EQ(listTexts(list), (QStringList{"Соль", "Яйцо"}));
        EXPECT_EQ(number(t.db, "SELECT count(*) FROM Products"), 2);

        // One question for both, in the plural; "No" keeps them.
        list->selectAll();
        Prompts::setNextAnswer(Prompts::No);
        click(dialog, "removeButton");
        EXPECT_EQ(lastMessage(), QStringLiteral("Удалить выбранные продукты?"));
        EXPECT_EQ(list->count(), 2);
        Prompts::setNextAnswer(Prompts::Yes);
        const size_t asked = Prompts::shown().size();
        click(dialog, "removeButton");
        EXPECT_EQ(Prompts::shown().size(), asked + 1);
        EXPECT_EQ(list->count(), 0);
        click(dialog, "exitButton");
    });
    frame.runCommand(ID_PRODUCTS_ON_HAND);
    EXPECT_TRUE(seen);
    EXPECT_EQ(number(t.db, "SELECT count(*) FROM Products"), 0);
    // Egg is still always present.
    EXPECT_EQ(number(t.db, "SELECT Have FROM Ingredients"), 1);

    onNextModal([&](QWidget* dialog) {
        EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Постоянные продукты"));
        auto list = child<QListWidget>(dialog, "list");
        ASSERT_TRUE(list);
        EXPECT_EQ(listTexts(list), QStringList{"Яйцо"});
        list->item(0)->setSelected(true);
        Prompts::setNextAnswer(Prompts::Yes);
        click(dialog, "removeButton");
        EXPECT_EQ(lastMessage(), QStringLiteral("Удалить выбранный продукт?"));
        click(dialog, "exitButton");
    });
    frame.runCommand(ID_PRODUCTS_ALWAYS);
    EXPECT_EQ(number(t.db, "SELECT Have FROM Ingredients"), 0);
}

TEST_F(Kitchen, AddToMenuTakesTheRecipeOfTheActivePane) {
    TestDb t;
    const int section = t.addSection(QStringLiteral("Супы"));
    const int soup = t.addRecipe(QStringLiteral("Щи"), section);
    CMainFrame frame(t.db);
    frame.show();
    CCatalogView* tree = frame.catalogView();

    // Tree with a section selected.
    focusPane(frame, tree);
    tree->selectEntry(tree->findChild(nullptr, section));
    frame.runCommand(ID_MENU_ADD);
    EXPECT_EQ(lastMessage(), QStringLiteral("Не выделен рецепт"));
    EXPECT_EQ(Prompts::shown().back().icon, Prompts::Icon::Error);

    // Results list with nothing selected.
    focusPane(frame, frame.foundListView());
    frame.runCommand(ID_MENU_ADD);
    EXPECT_EQ(lastMessage(), QStringLiteral("Не выбран рецепт"));

    // Recipe view showing no recipe.
    focusPane(frame, frame.recipeView());
    frame.runCommand(ID_MENU_ADD);
    EXPECT_EQ(lastMessage(), QStringLiteral("Не выделен рецепт"));

    // From the tree: the number dialog is titled with the recipe, refuses 0 and too many.
    focusPane(frame, tree);
    tree->expandSection(tree->findChild(nullptr, section));
    tree->selectEntry(
        tree->findChild(tree->findChild(nullptr, section), catalog::recipeValue(soup)));
    bool asked = false;
    onNextModal([&](QWidget* dialog) {
        asked = true;
        EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Щи"));
        auto edit = child<QLineEdit>(dialog, "servings");
        ASSERT_TRUE(edit);
        EXPECT_EQ(edit->text(), QStringLiteral("0"));
        click(dialog, "yesButton");
        EXPECT_TRUE(dialog->isVisible());
        EXPECT_EQ(lastMessage(), QStringLiteral("Введите целое число от 1 до 1000000."));
        edit->setText(QStringLiteral("1000001"));
        click(dialog, "yesButton");
        EXPECT_TRUE(dialog->isVisible());
        edit->setText(QStringLiteral("4"));
        click(dialog, "yesButton");
    });
    frame.runCommand(ID_MENU_ADD);
    EXPECT_TRUE(asked);
    EXPECT_EQ(kitchen::menuServings(t.db, soup), 4);

    // From the recipe view now showing it: the current number is offered and replaced.
    ASSERT_EQ(frame.recipeView()->CurrentRecipeId(), soup);
    focusPane(frame, frame.recipeView());
    onNextModal([&](QWidget* dialog) {
        auto edit = child<QLineEdit>(dialog, "servings");
        ASSERT_TRUE(edit);
        EXPECT_EQ(edit->text(), QStringLiteral("4"));
        edit->setText(QStringLiteral("2"));
        click(dialog, "yesButton");
    });
    frame.runCommand(ID_MENU_ADD);
    EXPECT_EQ(kitchen::menuServings(t.db, soup), 2);
    EXPECT_EQ(number(t.db, "SELECT count(*) FROM Menu"), 1);

    // "Нет" changes nothing.
    onNextModal([&](QWidget* dialog) {
        child<QLineEdit>(dialog, "servings")->setText(QStringLiteral("9"));
        click(dialog, "noButton");
    });
    frame.runCommand(ID_MENU_ADD);
    EXPECT_EQ(kitchen::menuServings(t.db, soup), 2);
}

TEST_F(Kitchen, MenuDialogSortsDropsOrphansAndAsksBeforeClearing) {
    TestDb t;
    const int a = t.addRecipe(QStringLiteral("Щи"));
    const int b = t.addRecipe(QStringLiteral("борщ"));
    const int c = t.addRecipe(QStringLiteral("Ёжики"));
    kitchen::setMenuServings(t.db, a, 2);
    kitchen::setMenuServings(t.db, b, 1);
    kitchen::setMenuServings(t.db, c, 3);
    kitchen::setMenuServings(t.db, 500, 1);
    kitchen::setMenuServings(t.db, 501, 1);
    CMainFrame frame(t.db);
    frame.show();

    onNextModal([&](QWidget* dialog) {
        EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Меню"));
        auto list = child<QTreeWidget>(dialog, "dishes");
        ASSERT_TRUE(list);
        EXPECT_EQ(texts(list->invisibleRootItem()), (QStringList{"борщ", "Ёжики", "Щи"}));
        EXPECT_EQ(list->topLevelItem(1)->text(1), QStringLiteral("3"));
        EXPECT_EQ(list->columnWidth(1), 40);
        EXPECT_EQ(list->columnWidth(0), list->viewport()->width() - 40);

        click(dialog, "removeButton");
        EXPECT_EQ(lastMessage(), QStringLiteral("Блюдо не выбрано."));
        click(dialog, "changeButton");
        EXPECT_EQ(lastMessage(), QStringLiteral("Блюдо не выбрано."));

        list->setCurrentItem(list->topLevelItem(1));
        onNextModal(
            [](QWidget* number) {
                EXPECT_EQ(number->windowTitle(), QStringLiteral("Ёжики"));
                auto edit = child<QLineEdit>(number, "servings");
                ASSERT_TRUE(edit);
                EXPECT_EQ(edit->text(), QStringLiteral("3"));
                edit->setText(QStringLiteral("7"));
                click(number, "yesButton");
            },
            dialog, "the number dialog");
        click(dialog, "changeButton");
        EXPECT_EQ(list->topLevelItem(1)->text(1), QStringLiteral("7"));

        list->setCurrentItem(list->topLevelItem(0));
        click(dialog, "removeButton");
        EXPECT_EQ(texts(list->invisibleRootItem()), (QStringList{"Ёжики", "Щи"}));

        Prompts::setNextAnswer(Prompts::No);
        click(dialog, "clearButton");
        EXPECT_EQ(lastMessage(), QStringLiteral("Очистить меню?"));
        EXPECT_EQ(list->topLevelItemCount(), 2);
        click(dialog, "exitButton");
    });
    frame.runCommand(ID_MENU_VIEW);
    EXPECT_EQ(textOf(t.db, "SELECT group_concat(Recipe || 'x' || Quantity, ' ') FROM "
                           "(SELECT * FROM Menu ORDER BY Recipe)"),
              QStringLiteral("%1x2 %2x7").arg(QString::number(a), QString::number(c)));
    EXPECT_EQ(kitchen::menuServings(t.db, c), 7);
    EXPECT_FALSE(kitchen::menuServings(t.db, b));
    EXPECT_FALSE(kitchen::menuServings(t.db, 500));
    EXPECT_EQ(number(t.db, "SELECT count(*) FROM Menu"), 2);

    onNextModal([&](QWidget* dialog) {
        Prompts::setNextAnswer(Prompts::Yes);
        click(dialog, "clearButton");
        EXPECT_EQ(child<QTreeWidget>(dialog, "dishes")->topLevelItemCount(), 0);
        click(dialog, "exitButton");
    });
    frame.runCommand(ID_MENU_VIEW);
    EXPECT_EQ(number(t.db, "SELECT count(*) FROM Menu"), 0);
}

TEST_F(Kitchen, WhatToCookAndTheProductListFillTheResultsAndTheView) {
    TestDb t;
    const int egg = t.addProduct(QStringLiteral("Яйцо"));
    const int a = t.addRecipe(QStringLiteral("Омлет"));
    const int b = t.addRecipe(QStringLiteral("Глазунья"));
    t.addLine(a, egg, 2, 0);
    t.addLine(b, egg, 0, 0);
    CMainFrame frame(t.db);
    frame.show();
    CFoundListView* results = frame.foundListView();

    results->appendResult(QStringLiteral("от прошлого поиска"), a);
    frame.runCommand(ID_WHAT_TO_COOK);
    EXPECT_EQ(results->rowCount(), 0);
    EXPECT_EQ(lastMessage(), QStringLiteral("Не знаю, что можно приготовить из ваших продуктов"));
    EXPECT_EQ(Prompts::shown().back().caption, Prompts::applicationTitle());

    kitchen::addProducts(t.db, kitchen::List::OnHand, {{egg, "Яйцо"}});
    Prompts::clear();
    frame.runCommand(ID_WHAT_TO_COOK);
    EXPECT_TRUE(Prompts::shown().empty());
    EXPECT_EQ(results->texts(), (QStringList{"Глазунья", "Омлет"}));
    // The progress window is gone again.
    EXPECT_FALSE(frame.findChild<CProgress*>());

    frame.recipeView()->ShowRecipe(a);
    kitchen::setMenuServings(t.db, a, 3);
    frame.runCommand(ID_MENU_PRODUCT_LIST);
    EXPECT_EQ(frame.recipeView()->CurrentRecipeId(), 0);
    EXPECT_EQ(frame.recipeView()->documentRtf(), kitchen::menuProductListRtf(t.db));
    EXPECT_TRUE(frame.recipeView()->toPlainText().contains(QStringLiteral("Яйцо : 6")))
        << frame.recipeView()->toPlainText().toStdString();
    EXPECT_EQ(results->texts(), QStringList{"Омлет"});
    EXPECT_EQ(results->recipeAt(0), a);
}

TEST(Progress, CentresOverTheOwnerAndFillsAtTheEnd) {
    // An owner narrower than the window: the window starts left of it.
    EXPECT_EQ(CProgress::placement({100, 50}, 200, 101, QSize(301, 40)), QPoint(50, 80));
    EXPECT_EQ(CProgress::placement({0, 0}, 800, 600, QSize(300, 40)), QPoint(250, 280));
    EXPECT_EQ(CProgress::placement({10, 10}, 100, 100, QSize(103, 100)), QPoint(9, 10));

    CProgress progress(nullptr);
    progress.setRange(0, 5'000'000'000LL); // more than an int holds
    progress.setPosition(2'500'000'000LL);
    EXPECT_NEAR(double(progress.bar()->value()) / progress.bar()->maximum(), 0.5, 0.01);
    progress.setPosition(5'000'000'000LL);
    EXPECT_EQ(progress.bar()->value(), progress.bar()->maximum());
    progress.setRange(0, 0);
    progress.setPosition(0);
    EXPECT_EQ(progress.bar()->value(), progress.bar()->maximum());
}

TEST_F(Kitchen, WhatIsMissingShowsChosenRecipesAndFeedsTheMenuAndTheShoppingList) {
    TestDb t;
    const int g = t.addUnit(QStringLiteral("г"));
    const int egg = t.addProduct(QStringLiteral("Яйцо"));
    const int milk = t.addProduct(QStringLiteral("Молоко"));
    const int omelette = t.addRecipe(QStringLiteral("Омлет"));
    t.addLine(omelette, egg, 2, g);
    t.addLine(omelette, milk, 50, g);
    CMainFrame frame(t.db);
    frame.show();
    bool seen = false;
    onNextModal(
        [&](QWidget* dialog) {
            seen = true;
            EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Чего не хватает?"));
            QListWidget* list = child<QListWidget>(dialog, "list");
            ASSERT_TRUE(list);
            EXPECT_EQ(listTexts(list), QStringList{"Омлет — нет: Молоко, Яйцо"});
            click(dialog, "shoppingButton"); // nothing chosen yet
            EXPECT_EQ(lastMessage(), QStringLiteral("Не выбран рецепт"));
            list->setCurrentRow(0);
            EXPECT_EQ(frame.recipeView()->CurrentRecipeId(), omelette);
            click(dialog, "shoppingButton");
            onNextModal(
                [&](QWidget* servings) {
                    child<QLineEdit>(servings, "servings")->setText(QStringLiteral("3"));
                    click(servings, "yesButton");
                    click(dialog, "exitButton");
                },
                dialog, "the servings dialog");
            click(dialog, "addToMenuButton");
        },
        nullptr, "Чего не хватает?");
    frame.runCommand(ID_WHAT_IS_MISSING);
    EXPECT_TRUE(seen);
    EXPECT_EQ(kitchen::menuServings(t.db, omelette), 3);

    // The shopping list: the menu's amounts, checked rows go on hand.
    onNextModal(
        [&](QWidget* dialog) {
            QListWidget* list = child<QListWidget>(dialog, "list");
            ASSERT_TRUE(list);
            EXPECT_EQ(listTexts(list), (QStringList{"Молоко : 150 г", "Яйцо : 6 г"}));
            list->item(1)->setCheckState(Qt::Checked);
            click(dialog, "onHandButton");
            EXPECT_EQ(listTexts(list), QStringList{"Молоко : 150 г"});
            click(dialog, "copyButton");
            EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("Молоко : 150 г\n"));
            click(dialog, "exitButton");
        },
        nullptr, "Список покупок");
    frame.runCommand(ID_SHOPPING_LIST);
    ASSERT_EQ(kitchen::listProducts(t.db, kitchen::List::OnHand).size(), 1u);
    EXPECT_EQ(kitchen::listProducts(t.db, kitchen::List::OnHand)[0].id, egg);
}
