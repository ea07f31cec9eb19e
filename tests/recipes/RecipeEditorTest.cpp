#include "app/CMainFrame.h"
#include "catalog/CCatalogView.h"
#include "catalog/CatalogStore.h"
#include "recipes/CRView.h"
#include "recipes/CRecipeForm.h"
#include "recipes/IngredientDialogs.h"
#include "search/CFoundListView.h"
#include "support/TestDb.h"
#include "support/Widgets.h"
#include "ui/Commands.h"
#include "ui/NameCompleter.h"
#include "ui/Prompts.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <functional>
#include <gtest/gtest.h>

namespace {

// In an open line dialog: choose a product (making it first when newProduct is set), the
// first unit of the list, type the amount and press "Да".
void fillLine(QWidget* lineForm, const QString& product, bool newProduct, const QString& amount) {
    onNextModal(
        [=](QWidget* picker) {
            auto list = child<QListWidget>(picker, "list");
            if (newProduct) {
                onNextModal(
                    [=](QWidget* nameForm) {
                        EXPECT_EQ(nameForm->windowTitle(), QStringLiteral("Новый продукт"));
                        enterAndConfirm(nameForm, "name", product);
                    },
                    picker);
                click(picker, "newButton");
                EXPECT_EQ(list->currentItem()->text(), product);
                // The focus waits on "Выбрать", whether or not the window is active.
                EXPECT_EQ(picker->focusWidget(), child<QWidget>(picker, "chooseButton"));
            } else {
                auto found = list->findItems(product, Qt::MatchExactly);
                ASSERT_EQ(found.size(), 1);
                list->setCurrentItem(found[0]);
            }
            click(picker, "chooseButton");
        },
        lineForm);
    click(lineForm, "productButton");
    onNextModal([](QWidget* picker) { click(picker, "chooseButton"); }, lineForm);
    click(lineForm, "unitButton");
    enterAndConfirm(lineForm, "amount", amount);
}

class RecipeEditor : public ::testing::Test {
protected:
    void SetUp() override {
        Prompts::clear();
        soups = t.addSection(QStringLiteral("Супы"));
        borscht = t.addRecipe(QStringLiteral("Борщ"), soups, QStringLiteral("Варить"));
        flour = t.addProduct(QStringLiteral("Мука"));
        gram = t.addUnit(QStringLiteral("г"));
        t.addLine(borscht, flour, 100, gram);
    }
    // Opens "Супы" and selects "Борщ" in it; returns the section's item.
    static QTreeWidgetItem* selectBorscht(CCatalogView* tree) {
        QTreeWidgetItem* soupItem = byText(tree->invisibleRootItem(), QStringLiteral("Супы"));
        tree->expandSection(soupItem);
        tree->selectEntry(byText(soupItem, QStringLiteral("Борщ")));
        return soupItem;
    }

    TestDb t;
    int soups = 0, borscht = 0, flour = 0, gram = 0;
};

} // namespace

TEST_F(RecipeEditor, CancellingANewRecipeLeavesNoTrace) {
    CMainFrame frame(t.db);
    frame.show();
    const QString before = snapshot(t.db);
    onNextModal([&](QWidget* form) {
        EXPECT_EQ(form->windowTitle(), QStringLiteral("Новый рецепт"));
        child<QLineEdit>(form, "name")->setText(QStringLiteral("Блины"));
        for (int i = 0; i < 3; ++i) {
            onNextModal(
                [&, i](QWidget* line) {
                    EXPECT_EQ(line->windowTitle(), QStringLiteral("Добавление продукта"));
                    fillLine(line, i == 0 ? QStringLiteral("Молоко") : QStringLiteral("Мука"),
                             i == 0, QStringLiteral("2"));
                },
                form);
            click(form, "addButton");
        }
        EXPECT_EQ(child<QListWidget>(form, "lines")->count(), 3);
        EXPECT_EQ(number(t.db, "SELECT count(*) FROM Ingredients WHERE Recipe=0"), 3);
        click(form, "noButton");
    });
    frame.runCommand(ID_ADD_RECIPE_ROOT);
    EXPECT_EQ(snapshot(t.db), before);
    EXPECT_EQ(t.db.transactionDepth(), 0);
}

TEST_F(RecipeEditor, SavingANewRecipeFilesItsLinesAndSelectsIt) {
    CMainFrame frame(t.db);
    frame.show();
    CCatalogView* tree = frame.catalogView();
    QTreeWidgetItem* soupItem = selectBorscht(tree);
    QStringList entries;
    onNextModal([&](QWidget* form) {
        child<QLineEdit>(form, "name")->setText(QStringLiteral("Акрошка"));
        child<QPlainTextEdit>(form, "text")->setPlainText(QStringLiteral("Нарезать\nСмешать"));
        for (const char* amount : {"2.5", "0"}) {
            onNextModal(
                [&](QWidget* line) {
                    fillLine(line, QStringLiteral("Мука"), false, QString::fromLatin1(amount));
                },
                form);
            click(form, "addButton");
        }
        auto lines = child<QListWidget>(form, "lines");
        for (int i = 0; i < lines->count(); ++i)
            entries << lines->item(i)->text();
        click(form, "yesButton");
    });
    frame.runCommand(ID_ADD_RECIPE); // a recipe is selected: the new one goes into its section
    EXPECT_EQ(entries, (QStringList{"Мука 2.5 г", "Мука"}));

    const int id = int(number(t.db, "SELECT max(ID) FROM Recipes"));
    EXPECT_EQ(number(t.db, "SELECT Catalog FROM Recipes WHERE ID=?", {qint64(id)}), soups);
    EXPECT_EQ(std::get<QString>(t.db.scalar("SELECT Recipe FROM Recipes WHERE ID=?", {qint64(id)})),
              QStringLiteral("Нарезать\r\nСмешать"));
    EXPECT_EQ(number(t.db, "SELECT count(*) FROM Ingredients WHERE Recipe=?", {qint64(id)}), 2);
    EXPECT_EQ(number(t.db, "SELECT count(*) FROM Ingredients WHERE Recipe=0"), 0);
    ASSERT_EQ(soupItem->childCount(), 2);
    EXPECT_EQ(soupItem->child(0)->text(0), QStringLiteral("Акрошка")); // sorted first
    EXPECT_EQ(tree->selectedEntry(), soupItem->child(0));
    EXPECT_EQ(frame.recipeView()->CurrentRecipeId(), id);
    EXPECT_EQ(t.db.transactionDepth(), 0);

    // Nothing selected: the root.
    tree->clearSelection();
    onNextModal([&](QWidget* form) { enterAndConfirm(form, "name", QStringLiteral("  ")); });
    frame.runCommand(ID_ADD_RECIPE);
    EXPECT_EQ(number(t.db, "SELECT Catalog FROM Recipes WHERE Name='  '"), 0);
    EXPECT_NE(byText(tree->invisibleRootItem(), QStringLiteral("  ")), nullptr);
}

TEST_F(RecipeEditor, EmptyNameAndBadAmountsKeepTheDialogsOpen) {
    CMainFrame frame(t.db);
    frame.show();
    QStringList messages;
    onNextModal([&](QWidget* form) {
        click(form, "yesButton"); // empty name
        EXPECT_TRUE(form->isVisible());
        onNextModal(
            [&](QWidget* line) {
                auto amount = child<QLineEdit>(line, "amount");
                EXPECT_EQ(amount->text(), QStringLiteral("0"));
                click(line, "yesButton"); // no product yet
                for (const char* bad : {"", "1,5,0", "abc"}) {
                    amount->setText(QString::fromUtf8(bad));
                    click(line, "yesButton");
                    EXPECT_TRUE(line->isVisible()) << bad;
                }
                amount->setText(QStringLiteral(" 2.5\t"));
                onNextModal([](QWidget* picker) { click(picker, "chooseButton"); }, line);
                click(line, "productButton");
                click(line, "yesButton"); // no unit
                EXPECT_EQ(number(t.db, "SELECT count(*) FROM Ingredients"), 1);
                onNextModal([](QWidget* picker) { click(picker, "chooseButton"); }, line);
                click(line, "unitButton");
                EXPECT_EQ(amount->text(), QStringLiteral(" 2.5\t")); // survives the pickers
                click(line, "yesButton");
            },
            form);
        click(form, "addButton");
        EXPECT_EQ(child<QListWidget>(form, "lines")->item(0)->text(), QStringLiteral("Мука 2.5 г"));
        click(form, "noButton");
    });
    frame.runCommand(ID_ADD_RECIPE_ROOT);
    for (const Prompts::Shown& s : Prompts::shown())
        messages << s.text;
    ASSERT_EQ(messages.size(), 6);
    EXPECT_EQ(messages[0], QStringLiteral("Необходимо заполнить название рецепта"));
    EXPECT_EQ(Prompts::shown()[0].caption, QStringLiteral("Ovelta"));
    EXPECT_EQ(messages[1], QStringLiteral("Заполните наименование продукта"));
    EXPECT_TRUE(messages[2].contains(QStringLiteral("числом")));
    EXPECT_EQ(messages[3], messages[2]);
    EXPECT_EQ(messages[4], messages[2]);
    EXPECT_EQ(messages[5], QStringLiteral("Заполните единицы измерения"));
    EXPECT_EQ(number(t.db, "SELECT count(*) FROM Ingredients"), 1);
}

TEST_F(RecipeEditor, EditRenamesResortsAndReshowsAndDeleteClears) {
    t.addRecipe(QStringLiteral("Гаспачо"), soups);
    t.db.exec("INSERT INTO Menu (Recipe, Quantity) VALUES (?, 2)", {qint64(borscht)});
    CMainFrame frame(t.db);
    frame.show();
    CCatalogView* tree = frame.catalogView();

    frame.runCommand(ID_EDIT_RECIPE);
    EXPECT_EQ(Prompts::shown().back().text, QStringLiteral("Не выделен рецепт"));
    QTreeWidgetItem* soupItem = byText(tree->invisibleRootItem(), QStringLiteral("Супы"));
    tree->selectEntry(soupItem);
    frame.runCommand(ID_DELETE_RECIPE);
    EXPECT_EQ(Prompts::shown().back().text, QStringLiteral("Выберите рецепт"));
    EXPECT_EQ(Prompts::shown().back().caption, QStringLiteral("Ошибка"));

    tree->expandSection(soupItem);
    QTreeWidgetItem* item = byText(soupItem, QStringLiteral("Борщ"));
    tree->selectEntry(item);
    onNextModal([&](QWidget* form) {
        EXPECT_EQ(form->windowTitle(), QStringLiteral("Изменить рецепт"));
        auto lines = child<QListWidget>(form, "lines");
        EXPECT_EQ(lines->item(0)->text(), QStringLiteral("Мука 100 г"));
        // Change only the amount of the first line.
        onNextModal(
            [](QWidget* line) {
                EXPECT_EQ(line->windowTitle(), QStringLiteral("Изменение продукта"));
                EXPECT_EQ(child<QLineEdit>(line, "productName")->text(), QStringLiteral("Мука"));
                enterAndConfirm(line, "amount", QStringLiteral("150"));
            },
            form);
        click(form, "changeButton");
        EXPECT_EQ(lines->item(0)->text(), QStringLiteral("Мука 150 г"));
        enterAndConfirm(form, "name", QStringLiteral("Я борщ"));
    });
    frame.runCommand(ID_EDIT_RECIPE);
    EXPECT_EQ(soupItem->child(1), item);
    EXPECT_EQ(item->text(0), QStringLiteral("Я борщ"));
    EXPECT_TRUE(frame.recipeView()->toPlainText().startsWith(QStringLiteral("Я борщ")));
    EXPECT_TRUE(frame.recipeView()->toPlainText().contains(QStringLiteral("Мука\t 150 г")));

    onNextModal([&](QWidget* form) {
        EXPECT_EQ(form->windowTitle(), QStringLiteral("Удалить рецепт"));
        EXPECT_FALSE(child<QLineEdit>(form, "name")->isEnabled());
        EXPECT_FALSE(child<QWidget>(form, "addButton")->isEnabled());
        click(form, "yesButton");
    });
    frame.runCommand(ID_DELETE_RECIPE);
    EXPECT_EQ(soupItem->childCount(), 1);
    EXPECT_EQ(frame.recipeView()->CurrentRecipeId(), 0);
    EXPECT_TRUE(frame.recipeView()->toPlainText().isEmpty());
    EXPECT_EQ(number(t.db, "SELECT count(*) FROM Recipes WHERE ID=?", {qint64(borscht)}), 0);
    EXPECT_EQ(number(t.db, "SELECT count(*) FROM Ingredients"), 0);
    EXPECT_EQ(number(t.db, "SELECT count(*) FROM Menu"), 1);
}

TEST_F(RecipeEditor, LinesCanBeDeletedAndButtonsWaitForASelection) {
    t.addLine(borscht, flour, 0, gram);
    CMainFrame frame(t.db);
    frame.show();
    selectBorscht(frame.catalogView());
    onNextModal([&](QWidget* form) {
        auto lines = child<QListWidget>(form, "lines");
        EXPECT_EQ(lines->item(1)->text(), QStringLiteral("Мука"));
        lines->setCurrentRow(1); // the last line
        onNextModal(
            [](QWidget* line) {
                EXPECT_EQ(line->windowTitle(), QStringLiteral("Удаление продукта"));
                EXPECT_FALSE(child<QWidget>(line, "amount")->isEnabled());
                click(line, "yesButton");
            },
            form);
        click(form, "deleteButton");
        EXPECT_EQ(lines->count(), 1);
        // Nothing is chosen for the user after a deletion: no dialog opens now.
        EXPECT_TRUE(lines->selectedItems().isEmpty());
        click(form, "changeButton");
        click(form, "deleteButton");
        click(form, "yesButton");
    });
    frame.runCommand(ID_EDIT_RECIPE);
    EXPECT_EQ(number(t.db, "SELECT count(*) FROM Ingredients"), 1);
    EXPECT_EQ(number(t.db, "SELECT Quantity = 0 FROM Ingredients"), 0);
}

TEST(MultiplePicker, KeepsTheSelectionWhenANewProductIsMade) {
    Prompts::clear();
    TestDb t;
    for (const char* n : {"Яблоки", "Груши", "Вишня"})
        t.addProduct(QString::fromUtf8(n));
    CIngredientListM picker(t.db);
    QListWidget* list = picker.list();
    EXPECT_TRUE(list->selectedItems().isEmpty());
    onNextModal([](QWidget* w) {
        click(w, "chooseButton"); // nothing chosen yet
        EXPECT_EQ(Prompts::shown().back().text, QStringLiteral("Выберите продукт"));
        auto shown = child<QListWidget>(w, "list");
        shown->item(2)->setSelected(true); // Яблоки
        shown->item(0)->setSelected(true); // Вишня
        onNextModal(
            [](QWidget* name) { enterAndConfirm(name, "name", QStringLiteral("Абрикосы")); }, w);
        click(w, "newButton");
        EXPECT_EQ(shown->selectedItems().size(), 3);
        click(w, "chooseButton");
    });
    ASSERT_EQ(picker.exec(), QDialog::Accepted);
    EXPECT_EQ(picker.names(), (QStringList{"Абрикосы", "Вишня", "Яблоки"}));
    EXPECT_EQ(picker.ids().size(), 3);
    EXPECT_EQ(picker.ids()[0],
              int(std::get<qint64>(t.db.scalar("SELECT max(ID) FROM Ingredient"))));
}

TEST(NameDialogs, DeletingAProductTakesItOffBothKitchenLists) {
    Prompts::clear();
    TestDb t;
    int salt = t.addProduct(QStringLiteral("Соль"));
    t.db.exec("INSERT INTO Products VALUES (?)", {qint64(salt)});
    t.db.exec("INSERT INTO ProductsAlways VALUES (?)", {qint64(salt)});
    CIngredientForm form(t.db, CNameForm::Delete, salt);
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Удалить продукт"));
    EXPECT_EQ(form.name(), QStringLiteral("Соль"));
    onNextModal([](QWidget* w) { click(w, "yesButton"); });
    ASSERT_EQ(form.exec(), QDialog::Accepted);
    EXPECT_EQ(std::get<qint64>(t.db.scalar("SELECT count(*) FROM Products")), 0);
    EXPECT_EQ(std::get<qint64>(t.db.scalar("SELECT count(*) FROM ProductsAlways")), 0);
    EXPECT_EQ(std::get<qint64>(t.db.scalar("SELECT count(*) FROM Ingredient")), 0);

    CUnitForm unit(t.db, CNameForm::New);
    EXPECT_EQ(unit.windowTitle(), QStringLiteral("Новая единица"));
    onNextModal([](QWidget* w) { click(w, "yesButton"); }); // an empty name is allowed
    ASSERT_EQ(unit.exec(), QDialog::Accepted);
    EXPECT_GT(unit.entry(), 0);
}

TEST_F(RecipeEditor, AFullDiskOnSavingIsSaidAndKeepsNothing) {
    CMainFrame frame(t.db);
    frame.show();
    QTreeWidgetItem* soupItem = selectBorscht(frame.catalogView());
    const QString before = snapshot(t.db);
    bool told = false;
    onNextModal([&](QWidget* form) {
        // A line written during the visit, then a save that finds the disk full.
        onNextModal(
            [](QWidget* line) {
                fillLine(line, QStringLiteral("Свёкла"), true, QStringLiteral("2"));
            },
            form, "the line dialog");
        click(form, "addButton");
        EXPECT_NE(snapshot(t.db), before);
        child<QLineEdit>(form, "name")->setText(QStringLiteral("Борщ украинский"));
        child<QPlainTextEdit>(form, "text")->setPlainText(QString(60000, QLatin1Char('x')));
        t.db.execScript("PRAGMA max_page_count=1");
        click(form, "yesButton");
        // The engine undoes either the one statement (the editor stays open, and "Нет"
        // undoes the rest) or the whole visit (the editor closes): said either way.
        const QString said = Prompts::shown().empty() ? QString() : Prompts::shown().back().text;
        told = said.contains(QStringLiteral("не хватает места")) ||
               said.startsWith(QStringLiteral("Изменения рецепта сохранить не удалось"));
        if (form->isVisible())
            click(form, "noButton");
        EXPECT_FALSE(form->isVisible());
    });
    frame.runCommand(ID_EDIT_RECIPE);
    t.db.execScript("PRAGMA max_page_count=1073741823");
    EXPECT_TRUE(told);
    EXPECT_EQ(snapshot(t.db), before);
    EXPECT_EQ(texts(soupItem), QStringList{"Борщ"});
    EXPECT_FALSE(t.db.transactionLost());
    EXPECT_EQ(t.db.transactionDepth(), 0);
}

TEST_F(RecipeEditor, ARecipeWithoutANameCanBeDeleted) {
    t.db.exec("UPDATE Recipes SET Name='' WHERE ID=?", {qint64(borscht)});
    CMainFrame frame(t.db);
    frame.show();
    QTreeWidgetItem* soupItem = byText(frame.catalogView()->invisibleRootItem(), "Супы");
    ASSERT_TRUE(soupItem);
    frame.catalogView()->expandSection(soupItem);
    ASSERT_EQ(soupItem->childCount(), 1);
    frame.catalogView()->selectEntry(soupItem->child(0));
    frame.foundListView()->appendResult(QString(), borscht);
    onNextModal([](QWidget* form) { click(form, "yesButton"); });
    frame.runCommand(ID_DELETE_RECIPE);
    EXPECT_EQ(number(t.db, "SELECT count(*) FROM Recipes"), 0);
    EXPECT_EQ(soupItem->childCount(), 0);
    // Its row in the results goes too, and nothing stays selected.
    EXPECT_EQ(frame.foundListView()->rowCount(), 0);
    EXPECT_FALSE(frame.catalogView()->selectedEntry());
}

TEST_F(RecipeEditor, RenamingKeepsTheResultsListTrue) {
    CMainFrame frame(t.db);
    frame.show();
    selectBorscht(frame.catalogView());
    frame.foundListView()->appendResult(QStringLiteral("Борщ"), borscht);
    frame.foundListView()->appendResult(QStringLiteral("Борщ"), borscht);
    onNextModal(
        [](QWidget* form) { enterAndConfirm(form, "name", QStringLiteral("Борщ зелёный")); });
    frame.runCommand(ID_EDIT_RECIPE);
    EXPECT_EQ(frame.foundListView()->texts(), (QStringList{"Борщ зелёный", "Борщ зелёный"}));
}

TEST_F(RecipeEditor, TheMethodHoldsExactly65535Characters) {
    CMainFrame frame(t.db);
    frame.show();
    selectBorscht(frame.catalogView());
    bool refused = false;
    onNextModal([&](QWidget* form) {
        auto text = child<QPlainTextEdit>(form, "text");
        ASSERT_TRUE(text);
        text->setPlainText(QString(CRecipeForm::kMaxTextLength + 1, QLatin1Char('x')));
        click(form, "yesButton");
        refused =
            form->isVisible() && !Prompts::shown().empty() &&
            Prompts::shown().back().text.startsWith(QStringLiteral("Описание слишком длинное"));
        // Line breaks count as stored: two characters each.
        text->setPlainText(QString(CRecipeForm::kMaxTextLength - 1, QLatin1Char('x')) + "\n");
        click(form, "yesButton");
        EXPECT_TRUE(form->isVisible());
        text->setPlainText(QString(CRecipeForm::kMaxTextLength, QLatin1Char('x')));
        click(form, "yesButton");
    });
    frame.runCommand(ID_EDIT_RECIPE);
    EXPECT_TRUE(refused);
    EXPECT_EQ(number(t.db, "SELECT length(Recipe) FROM Recipes WHERE ID=?", {qint64(borscht)}),
              65535);
}

TEST_F(RecipeEditor, ALineGetsANewMarkOnlyWhenItsProductChanges) {
    const int salt = t.addProduct(QStringLiteral("Соль"));
    t.db.exec("INSERT INTO Products (ID) VALUES (?)", {qint64(salt)});
    // A stored mark that no longer fits the lists stays while the product stays.
    const int line = t.addLine(borscht, flour, 5, gram, /*have=*/true);
    auto edit = [&](const std::function<void(QWidget*)>& act) {
        CIngredientsForm form(t.db, CIngredientsForm::Change, line, borscht);
        bool opened = false;
        onNextModal([&](QWidget* w) {
            opened = true;
            act(w);
        });
        form.exec();
        EXPECT_TRUE(opened);
    };
    auto have = [&] {
        return number(t.db, "SELECT Have FROM Ingredients WHERE ID=?", {qint64(line)});
    };
    auto pick = [](QWidget* dialog, const QString& product) {
        onNextModal(
            [product](QWidget* picker) {
                auto list = child<QListWidget>(picker, "list");
                ASSERT_TRUE(list);
                const auto found = list->findItems(product, Qt::MatchExactly);
                ASSERT_EQ(found.size(), 1);
                list->setCurrentItem(found[0]);
                click(picker, "chooseButton");
            },
            dialog, "the product picker");
        click(dialog, "productButton");
    };

    edit([](QWidget* w) { enterAndConfirm(w, "amount", QStringLiteral("7")); });
    EXPECT_EQ(have(), 1);
    edit([&](QWidget* w) {
        pick(w, QStringLiteral("Мука")); // the same product again
        click(w, "yesButton");
    });
    EXPECT_EQ(have(), 1);
    edit([&](QWidget* w) {
        pick(w, QStringLiteral("Соль")); // on hand
        click(w, "yesButton");
    });
    EXPECT_EQ(have(), 1);
    edit([&](QWidget* w) {
        pick(w, QStringLiteral("Мука")); // in neither list
        click(w, "yesButton");
    });
    EXPECT_EQ(have(), 0);
}

TEST(NameTyping, CompletionAndPickerFilterMatchInsideNamesCaseAndYoAside) {
    QLineEdit edit;
    NameCompleter completer(&edit, {"Мёд", "Мука", "Сметана", "ст.л.", "ч.л.", "МЕДВЕЖЬЯ лапа"});
    EXPECT_EQ(completer.matches(QStringLiteral("мед")), (QStringList{"Мёд", "МЕДВЕЖЬЯ лапа"}));
    EXPECT_EQ(completer.matches(QStringLiteral("ст.л")), QStringList{"ст.л."});
    EXPECT_EQ(completer.matches(QStringLiteral("ета")), QStringList{"Сметана"});
    EXPECT_EQ(completer.matches(QStringLiteral("  ")), QStringList());

    TestDb t;
    for (const char* name : {"Мёд", "Майонез", "Мука", "Медь"})
        t.addProduct(QString::fromUtf8(name));
    CIngredientList picker(t.db);
    picker.show();
    QApplication::setActiveWindow(&picker);
    QApplication::processEvents();
    EXPECT_EQ(QApplication::focusWidget(), picker.filter()) << "the filter has the focus";
    picker.filter()->setText(QStringLiteral("МЕД"));
    QStringList shown;
    for (int i = 0; i < picker.list()->count(); ++i)
        if (!picker.list()->item(i)->isHidden())
            shown << picker.list()->item(i)->text();
    EXPECT_EQ(shown, (QStringList{"Мёд", "Медь"}));
    QKeyEvent down(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
    QApplication::sendEvent(picker.filter(), &down);
    EXPECT_EQ(QApplication::focusWidget(), picker.list());
    ASSERT_TRUE(picker.list()->currentItem());
    EXPECT_EQ(picker.list()->currentItem()->text(), QStringLiteral("Мёд"));
    picker.list()->setCurrentRow(picker.list()->row(picker.list()->findItems("Медь", {})[0]));
    click(&picker, "chooseButton");
    EXPECT_EQ(picker.result(), QDialog::Accepted);
    EXPECT_EQ(picker.name(), QStringLiteral("Медь"));
}

TEST(NameTyping, TypedNamesAndACommaAmountMakeALineWithoutAPicker) {
    TestDb t;
    const int honey = t.addProduct(QStringLiteral("Мёд"));
    const int spoon = t.addUnit(QStringLiteral("ст.л."));
    const int recipe = t.addRecipe(QStringLiteral("Чай"));
    // A known name typed in other letters, a comma amount.
    {
        CIngredientsForm form(t.db, CIngredientsForm::Add, 0, recipe);
        form.show();
        EXPECT_EQ(form.focusWidget(), child<QLineEdit>(&form, "productName"));
        child<QLineEdit>(&form, "productName")->setText(QStringLiteral("мед"));
        child<QLineEdit>(&form, "unitName")->setText(QStringLiteral("СТ.Л."));
        enterAndConfirm(&form, "amount", QStringLiteral("1,5"));
        EXPECT_EQ(form.result(), QDialog::Accepted);
    }
    EXPECT_EQ(textOf(t.db, "SELECT Ingredient || ' ' || Quantity || ' ' || Unit FROM Ingredients"),
              QStringLiteral("%1 1.5 %2").arg(QString::number(honey), QString::number(spoon)));

    // A new name: the name dialog, filled in; "Нет" there stores nothing and keeps the line.
    CIngredientsForm form(t.db, CIngredientsForm::Add, 0, recipe);
    form.show();
    child<QLineEdit>(&form, "productName")->setText(QStringLiteral("Лимон"));
    child<QLineEdit>(&form, "unitName")->setText(QStringLiteral("ст.л."));
    child<QLineEdit>(&form, "amount")->setText(QStringLiteral("2"));
    onNextModal(
        [&](QWidget* nameForm) {
            EXPECT_EQ(nameForm->windowTitle(), QStringLiteral("Новый продукт"));
            EXPECT_EQ(child<QLineEdit>(nameForm, "name")->text(), QStringLiteral("Лимон"));
            click(nameForm, "noButton");
        },
        &form, "the product name dialog");
    click(&form, "yesButton");
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(number(t.db, "SELECT count(*) FROM Ingredient"), 1);
    EXPECT_EQ(number(t.db, "SELECT count(*) FROM Ingredients"), 1);
    onNextModal([&](QWidget* nameForm) { click(nameForm, "yesButton"); }, &form,
                "the product name dialog");
    click(&form, "yesButton");
    EXPECT_EQ(form.result(), QDialog::Accepted);
    EXPECT_EQ(textOf(t.db,
                     "SELECT p.Name FROM Ingredients i JOIN Ingredient p ON "
                     "p.ID=i.Ingredient WHERE i.ID=?",
                     {qint64(form.line())}),
              QStringLiteral("Лимон"));
}

TEST_F(RecipeEditor, EscapeAfterAChangeAsksAndNoKeepsTheChanges) {
    CRecipeForm form(t.db, CRecipeForm::Edit, borscht, 0);
    form.show();
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    child<QLineEdit>(&form, "name")->setText(QStringLiteral("Борщ украинский"));
    emit child<QLineEdit>(&form, "name")->textEdited(QStringLiteral("Борщ украинский"));
    Prompts::setNextAnswer(Prompts::No);
    QApplication::sendEvent(&form, &escape);
    ASSERT_FALSE(Prompts::shown().empty());
    EXPECT_EQ(Prompts::shown().back().text, QStringLiteral("Отменить изменения рецепта?"));
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(child<QLineEdit>(&form, "name")->text(), QStringLiteral("Борщ украинский"));
    Prompts::setNextAnswer(Prompts::Yes);
    QApplication::sendEvent(&form, &escape);
    EXPECT_FALSE(form.isVisible());

    // Without a change it closes at once, asking nothing.
    Prompts::clear();
    CRecipeForm unchanged(t.db, CRecipeForm::Edit, borscht, 0);
    unchanged.show();
    QApplication::sendEvent(&unchanged, &escape);
    EXPECT_FALSE(unchanged.isVisible());
    EXPECT_TRUE(Prompts::shown().empty());
}
