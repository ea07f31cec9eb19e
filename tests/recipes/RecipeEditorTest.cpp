#include "app/CMainFrame.h"
#include "catalog/CCatalogView.h"
#include "recipes/CRView.h"
#include "recipes/CRecipeForm.h"
#include "recipes/IngredientDialogs.h"
#include "recipes/Servings.h"
#include "search/CFoundListView.h"
#include "support/TestDb.h"
#include "support/Widgets.h"
#include "ui/Commands.h"
#include "ui/NameCompleter.h"

#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QTest>

namespace {

// Types a line into the open line dialog and presses "Да"; the name dialog of a new
// product is confirmed as it comes.
void typeLine(QWidget* line, const char* product, const char* unit, const char* amount,
              bool newProduct = false) {
    child<QLineEdit>(line, "productName")->setText(QString::fromUtf8(product));
    child<QLineEdit>(line, "unitName")->setText(QString::fromUtf8(unit));
    if (newProduct)
        onNextModal([](QWidget* name) { click(name, "yesButton"); }, line, "the name dialog");
    enterAndConfirm(line, "amount", QString::fromUtf8(amount));
}

// Opens the line dialog from the recipe form and lets act fill it.
void addLineWith(QWidget* form, const std::function<void(QWidget*)>& act) {
    onNextModal(act, form, "the line dialog");
    click(form, "addButton");
}

class RecipeEditor : public ::testing::Test {
protected:
    void SetUp() override { frame.show(); }
    // Opens "Супы" and selects "Борщ" in it; returns the section's item.
    QTreeWidgetItem* selectBorscht() {
        CCatalogView* tree = frame.catalogView();
        QTreeWidgetItem* soupItem = byText(tree->invisibleRootItem(), "Супы");
        tree->expandSection(soupItem);
        tree->selectEntry(byText(soupItem, "Борщ"));
        return soupItem;
    }

    TestDb t;
    const int soups = t.addSection("Супы");
    const int borscht = t.recipe("Борщ", {{"Мука", 100, "г"}}, soups, "Варить");
    CMainFrame frame{t.db}; // last: it reads the collection above
};

} // namespace

TEST_F(RecipeEditor, CancellingANewRecipeLeavesNoTraceAndSavingFilesItsLines) {
    const QString before = snapshot(t.db);
    onNextModal([&](QWidget* form) {
        EXPECT_EQ(form->windowTitle(), "Новый рецепт");
        child<QLineEdit>(form, "name")->setText("Блины");
        addLineWith(form, [](QWidget* line) { typeLine(line, "Молоко", "г", "2", true); });
        addLineWith(form, [](QWidget* line) { typeLine(line, "Мука", "г", "2"); });
        EXPECT_EQ(number(t.db, "SELECT count(*) FROM Ingredients WHERE Recipe=0"), 2);
        click(form, "noButton");
    });
    frame.runCommand(ID_ADD_RECIPE_ROOT);
    EXPECT_EQ(snapshot(t.db), before);
    EXPECT_EQ(t.db.transactionDepth(), 0);

    // A recipe is selected: the new one goes into its section, sorted, selected and shown.
    QTreeWidgetItem* soupItem = selectBorscht();
    QStringList entries;
    onNextModal([&](QWidget* form) {
        child<QLineEdit>(form, "name")->setText("Акрошка");
        child<QPlainTextEdit>(form, "text")->setPlainText("Нарезать\nСмешать");
        addLineWith(form, [](QWidget* line) { typeLine(line, "Мука", "г", "2.5"); });
        addLineWith(form, [](QWidget* line) { typeLine(line, "Мука", "г", "0"); });
        entries = listTexts(child<QListWidget>(form, "lines"));
        // The line just added is current, ready for the next key.
        EXPECT_EQ(child<QListWidget>(form, "lines")->currentRow(), 1);
        click(form, "yesButton");
    });
    frame.runCommand(ID_ADD_RECIPE);
    EXPECT_EQ(entries, (QStringList{"Мука 2.5 г", "Мука"}));
    const int id = int(number(t.db, "SELECT max(ID) FROM Recipes"));
    EXPECT_EQ(textOf(t.db, "SELECT Catalog || ':' || Recipe FROM Recipes WHERE ID=?", {id}),
              QStringLiteral("%1:Нарезать\r\nСмешать").arg(soups));
    EXPECT_EQ(number(t.db, "SELECT count(*) FROM Ingredients WHERE Recipe=?", {id}), 2);
    EXPECT_EQ(number(t.db, "SELECT count(*) FROM Ingredients WHERE Recipe=0"), 0);
    EXPECT_EQ(texts(soupItem), (QStringList{"Акрошка", "Борщ"}));
    EXPECT_EQ(frame.catalogView()->selectedEntry(), soupItem->child(0));
    EXPECT_EQ(frame.recipeView()->CurrentRecipeId(), id);

    // Nothing selected: the root.
    frame.catalogView()->clearSelection();
    onNextModal([&](QWidget* form) { enterAndConfirm(form, "name", "  "); });
    frame.runCommand(ID_ADD_RECIPE);
    EXPECT_EQ(number(t.db, "SELECT Catalog FROM Recipes WHERE Name='  '"), 0);
    EXPECT_NE(byText(frame.catalogView()->invisibleRootItem(), "  "), nullptr);
}

TEST_F(RecipeEditor, EmptyNameAndIncompleteLinesKeepTheDialogsOpen) {
    onNextModal([&](QWidget* form) {
        click(form, "yesButton"); // empty name
        EXPECT_TRUE(form->isVisible());
        addLineWith(form, [&](QWidget* line) {
            auto amount = child<QLineEdit>(line, "amount");
            EXPECT_EQ(amount->text(), "0");
            click(line, "yesButton"); // no product yet
            amount->setText("1,5,0");
            click(line, "yesButton");
            EXPECT_TRUE(line->isVisible());
            amount->setText(" 2.5\t");
            onNextModal([](QWidget* picker) { click(picker, "chooseButton"); }, line);
            click(line, "productButton");
            click(line, "yesButton"); // no unit
            // A picker closed without a choice changes nothing.
            child<QLineEdit>(line, "unitName")->setText("ложка");
            onNextModal([](QWidget* picker) { click(picker, "cancelButton"); }, line);
            click(line, "unitButton");
            EXPECT_EQ(child<QLineEdit>(line, "unitName")->text(), "ложка");
            child<QLineEdit>(line, "unitName")->clear();
            onNextModal([](QWidget* picker) { click(picker, "chooseButton"); }, line);
            click(line, "unitButton");
            EXPECT_EQ(amount->text(), " 2.5\t"); // survives the pickers
            click(line, "yesButton");
        });
        EXPECT_EQ(listTexts(child<QListWidget>(form, "lines")), QStringList{"Мука 2.5 г"});
        click(form, "noButton");
    });
    frame.runCommand(ID_ADD_RECIPE_ROOT);
    QStringList messages;
    for (const Prompts::Shown& s : Prompts::shown())
        messages << s.caption + ": " + s.text.section(',', 0, 0);
    EXPECT_EQ(messages, (QStringList{"Ovelta: Необходимо заполнить название рецепта",
                                     "Ошибка: Заполните наименование продукта",
                                     "Ошибка: Введите количество числом",
                                     "Ошибка: Заполните единицы измерения"}));
    EXPECT_EQ(number(t.db, "SELECT count(*) FROM Ingredients"), 1);
}

TEST_F(RecipeEditor, EditRenamesEverywhereAndDeleteTakesEvenAnUnnamedRecipe) {
    const int unnamed = t.addRecipe(QString(), soups);
    t.addLine(borscht, t.product("Мука"), 0, t.unit("г"));
    CCatalogView* tree = frame.catalogView();
    frame.runCommand(ID_EDIT_RECIPE);
    EXPECT_EQ(lastMessage(), "Не выделен рецепт");
    QTreeWidgetItem* soupItem = byText(tree->invisibleRootItem(), "Супы");
    tree->selectEntry(soupItem);
    frame.runCommand(ID_DELETE_RECIPE);
    EXPECT_EQ(lastShown(), "Ошибка: Выберите рецепт");

    selectBorscht();
    QTreeWidgetItem* item = tree->selectedEntry();
    frame.foundListView()->appendResult(QString(), unnamed);
    frame.foundListView()->appendResult("Борщ", borscht);
    frame.foundListView()->appendResult("Борщ", borscht);
    onNextModal([&](QWidget* form) {
        EXPECT_EQ(form->windowTitle(), "Изменить рецепт");
        auto lines = child<QListWidget>(form, "lines");
        EXPECT_EQ(listTexts(lines), (QStringList{"Мука 100 г", "Мука"}));
        lines->setCurrentRow(0);
        onNextModal(
            [](QWidget* line) {
                EXPECT_EQ(line->windowTitle(), "Изменение продукта");
                EXPECT_EQ(child<QLineEdit>(line, "productName")->text(), "Мука");
                enterAndConfirm(line, "amount", "150");
            },
            form);
        click(form, "changeButton");
        EXPECT_EQ(lines->item(0)->text(), "Мука 150 г");
        EXPECT_EQ(lines->currentRow(), 0); // the changed line stays chosen
        // The last line goes; nothing is chosen for the user afterwards.
        lines->setCurrentRow(1);
        onNextModal(
            [](QWidget* line) {
                EXPECT_EQ(line->windowTitle(), "Удаление продукта");
                EXPECT_FALSE(child<QWidget>(line, "amount")->isEnabled());
                click(line, "yesButton");
            },
            form);
        click(form, "deleteButton");
        EXPECT_EQ(lines->count(), 1);
        EXPECT_TRUE(lines->selectedItems().isEmpty());
        click(form, "changeButton"); // no dialog opens now
        click(form, "deleteButton");
        enterAndConfirm(form, "name", "Я борщ");
    });
    frame.runCommand(ID_EDIT_RECIPE);
    EXPECT_EQ(texts(soupItem), (QStringList{"", "Я борщ"}));
    EXPECT_EQ(tree->selectedEntry(), item);
    EXPECT_TRUE(frame.recipeView()->toPlainText().startsWith("Я борщ\n\nМука\t 150 г"));
    EXPECT_EQ(frame.foundListView()->texts(), (QStringList{"", "Я борщ", "Я борщ"}));
    EXPECT_EQ(number(t.db, "SELECT count(*) FROM Ingredients"), 1);

    // A recipe without a name (an import can make one) can still be deleted: to the trash,
    // with no question, and back from the trash's window into its place, selected.
    tree->selectEntry(soupItem->child(0));
    frame.runCommand(ID_DELETE_RECIPE);
    EXPECT_EQ(texts(soupItem), QStringList{"Я борщ"});
    EXPECT_EQ(number(t.db, "SELECT count(*) FROM Recipes WHERE ID=?", {unnamed}), 0);
    EXPECT_EQ(frame.foundListView()->texts(), (QStringList{"Я борщ", "Я борщ"}));
    EXPECT_FALSE(tree->selectedEntry());
    EXPECT_EQ(frame.recipeView()->CurrentRecipeId(), 0);
    withDialog(frame, ID_TRASH, [](QWidget* w) {
        EXPECT_EQ(w->windowTitle(), "Корзина");
        auto list = child<QTreeWidget>(w, "trashList");
        ASSERT_EQ(list->topLevelItemCount(), 1);
        EXPECT_EQ(list->topLevelItem(0)->text(0), "(без названия)");
        EXPECT_EQ(list->topLevelItem(0)->text(1), "Супы");
        click(w, "restoreButton");
        EXPECT_EQ(list->topLevelItemCount(), 0);
        EXPECT_FALSE(child<QWidget>(w, "emptyButton")->isEnabled());
        click(w, "closeButton");
    });
    EXPECT_EQ(texts(soupItem), (QStringList{"", "Я борщ"}));
    EXPECT_EQ(tree->selectedEntry(), soupItem->child(0));

    // Where the file has no trash, deleting asks first and is for good.
    t.db.execScript("DROP TABLE TrashServings");
    onNextModal([&](QWidget* form) {
        EXPECT_EQ(form->windowTitle(), "Удалить рецепт");
        EXPECT_FALSE(child<QLineEdit>(form, "name")->isEnabled());
        EXPECT_FALSE(child<QWidget>(form, "addButton")->isEnabled());
        click(form, "yesButton");
    });
    frame.runCommand(ID_DELETE_RECIPE);
    EXPECT_EQ(texts(soupItem), QStringList{"Я борщ"});
    EXPECT_EQ(number(t.db, "SELECT count(*) FROM Recipes WHERE ID=?", {unnamed}), 0);
}

TEST(MultiplePicker, KeepsTheSelectionWhenANewProductIsMade) {
    TestDb t;
    for (const char* n : {"Яблоки", "Груши", "Вишня"})
        t.addProduct(QString::fromUtf8(n));
    CIngredientListM picker(t.db);
    onNextModal([](QWidget* w) {
        click(w, "chooseButton"); // nothing chosen yet
        EXPECT_EQ(lastMessage(), "Выберите продукт");
        auto shown = child<QListWidget>(w, "list");
        shown->item(2)->setSelected(true); // Яблоки
        shown->item(0)->setSelected(true); // Вишня
        onNextModal([](QWidget* name) { enterAndConfirm(name, "name", "Абрикосы"); }, w);
        click(w, "newButton");
        click(w, "chooseButton");
    });
    ASSERT_EQ(picker.exec(), QDialog::Accepted);
    EXPECT_EQ(picker.names(), (QStringList{"Абрикосы", "Вишня", "Яблоки"}));
    EXPECT_EQ(picker.ids().value(0), t.product("Абрикосы"));
    // Filtered down to one row, that row is the choice.
    CIngredientListM filtered(t.db);
    EXPECT_EQ(filtered.windowTitle(), "Продукты");
    filtered.filter()->setText("груш");
    click(&filtered, "chooseButton");
    EXPECT_EQ(filtered.result(), QDialog::Accepted);
    EXPECT_EQ(filtered.names(), QStringList{"Груши"});
    // Down from the filter of a list with no current row yet lands on the first row shown.
    CIngredientListM stepped(t.db);
    stepped.filter()->setText("груш");
    QKeyEvent down(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
    QApplication::sendEvent(stepped.filter(), &down);
    ASSERT_NE(stepped.list()->currentItem(), nullptr);
    EXPECT_EQ(stepped.list()->currentItem()->text(), "Груши");
    // Filtered to two rows, Down then Enter takes the first of them.
    CIngredientListM two(t.db);
    // The list had the keyboard once: its first row is current, and not selected.
    two.list()->setCurrentRow(0, QItemSelectionModel::NoUpdate);
    onNextModal([&two](QWidget*) {
        QApplication::setActiveWindow(&two);
        two.filter()->setFocus();
        two.filter()->setText("я");
        QTest::keyClick(two.filter(), Qt::Key_Down);
        QTest::keyClick(two.list(), Qt::Key_Return);
    });
    EXPECT_EQ(two.exec(), QDialog::Accepted) << lastMessage().toStdString();
    EXPECT_EQ(two.names(), QStringList{"Вишня"});
}

TEST_F(RecipeEditor, AFullDiskOnSavingIsSaidAndKeepsNothing) {
    QTreeWidgetItem* soupItem = selectBorscht();
    const QString before = snapshot(t.db);
    bool told = false;
    onNextModal([&](QWidget* form) {
        // A line written during the visit, then a save that finds the disk full.
        addLineWith(form, [](QWidget* line) { typeLine(line, "Свёкла", "г", "2", true); });
        EXPECT_NE(snapshot(t.db), before);
        child<QLineEdit>(form, "name")->setText("Борщ украинский");
        child<QPlainTextEdit>(form, "text")->setPlainText(QString(60000, QLatin1Char('x')));
        t.db.execScript("PRAGMA max_page_count=1");
        click(form, "yesButton");
        // The engine undoes either the one statement (the editor stays open, and "Нет"
        // undoes the rest) or the whole visit (the editor closes): said either way.
        told = lastMessage().contains("не хватает места") ||
               lastMessage().startsWith("Изменения рецепта сохранить не удалось");
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

TEST_F(RecipeEditor, TheMethodHoldsExactly65535Characters) {
    selectBorscht();
    QStringList refusals;
    onNextModal([&](QWidget* form) {
        auto text = child<QPlainTextEdit>(form, "text");
        // Line breaks count as stored: two characters each.
        for (const QString& tooLong :
             {QString(CRecipeForm::kMaxTextLength + 1, QLatin1Char('x')),
              QString(CRecipeForm::kMaxTextLength - 1, QLatin1Char('x')) + "\n"}) {
            text->setPlainText(tooLong);
            click(form, "yesButton");
            if (form->isVisible())
                refusals << lastMessage().left(24);
        }
        text->setPlainText(QString(CRecipeForm::kMaxTextLength, QLatin1Char('x')));
        click(form, "yesButton");
    });
    frame.runCommand(ID_EDIT_RECIPE);
    EXPECT_EQ(refusals, QStringList(2, "Описание слишком длинное"));
    EXPECT_EQ(number(t.db, "SELECT length(Recipe) FROM Recipes WHERE ID=?", {borscht}), 65535);
}

TEST_F(RecipeEditor, ALineTakesTheMarkOfItsNewProduct) {
    const int salt = t.product("Соль");
    t.db.exec("INSERT INTO Products (ID) VALUES (?)", {salt});
    const int line = int(number(t.db, "SELECT ID FROM Ingredients"));
    CIngredientsForm form(t.db, CIngredientsForm::Change, line, borscht);
    form.show();
    typeLine(&form, "Соль", "г", "100");
    EXPECT_EQ(number(t.db, "SELECT Ingredient * 10 + Have FROM Ingredients WHERE ID=?", {line}),
              salt * 10 + 1);
}

TEST(NameTyping, CompletionAndPickerFilterMatchInsideNamesCaseAndYoAside) {
    QLineEdit edit;
    NameCompleter completer(&edit, {"Мёд", "Мука", "Сметана", "ст.л.", "ч.л.", "МЕДВЕЖЬЯ лапа"});
    EXPECT_EQ(completer.matches("мед"), (QStringList{"Мёд", "МЕДВЕЖЬЯ лапа"}));
    EXPECT_EQ(completer.matches("ст.л"), QStringList{"ст.л."});
    EXPECT_EQ(completer.matches("ета"), QStringList{"Сметана"});
    EXPECT_EQ(completer.matches("  "), QStringList());
    // Its popup shows while something matches and goes when nothing does; a suggestion
    // chosen is what the field then holds.
    edit.show();
    typeText(&edit, "ета");
    EXPECT_TRUE(completer.popup()->isVisible());
    typeText(&edit, "xx");
    EXPECT_FALSE(completer.popup()->isVisible());
    emit completer.activated(QStringLiteral("Сметана"));
    EXPECT_EQ(edit.text(), "Сметана");

    TestDb t;
    for (const char* name : {"Мёд", "Майонез", "Мука", "Медь"})
        t.addProduct(QString::fromUtf8(name));
    CIngredientList picker(t.db);
    picker.show();
    QApplication::setActiveWindow(&picker);
    QApplication::processEvents();
    EXPECT_EQ(QApplication::focusWidget(), picker.filter()) << "the filter has the focus";
    // Laid out beside its label across the dialog, not left lying at the corner.
    EXPECT_GT(picker.filter()->x(), 0);
    EXPECT_GT(picker.filter()->width(), picker.width() / 2);
    picker.filter()->setText("МЕД");
    QStringList shown;
    for (int i = 0; i < picker.list()->count(); ++i)
        if (!picker.list()->item(i)->isHidden())
            shown << picker.list()->item(i)->text();
    EXPECT_EQ(shown, (QStringList{"Мёд", "Медь"}));
    QKeyEvent down(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
    QApplication::sendEvent(picker.filter(), &down);
    EXPECT_EQ(QApplication::focusWidget(), picker.list());
    EXPECT_EQ(picker.list()->currentItem()->text(), "Мёд");
    // Filtered past the current row, "Выбрать" takes the first row shown, never a hidden one.
    picker.filter()->setText("едь");
    click(&picker, "chooseButton");
    EXPECT_EQ(picker.result(), QDialog::Accepted);
    EXPECT_EQ(picker.name(), "Медь");
}

TEST(NameTyping, TypedNamesAndACommaAmountMakeALineWithoutAPicker) {
    TestDb t;
    const int honey = t.addProduct("Мёд");
    const int spoon = t.addUnit("ст.л.");
    const int recipe = t.addRecipe("Чай");
    // A known name typed in other letters, a comma amount.
    {
        CIngredientsForm form(t.db, CIngredientsForm::Add, 0, recipe);
        form.show();
        EXPECT_EQ(form.focusWidget(), child<QLineEdit>(&form, "productName"));
        typeLine(&form, "мед", "СТ.Л.", "1,5");
        EXPECT_EQ(form.result(), QDialog::Accepted);
    }
    EXPECT_EQ(textOf(t.db, "SELECT Ingredient || ' ' || Quantity || ' ' || Unit FROM Ingredients"),
              QStringLiteral("%1 1.5 %2").arg(honey).arg(spoon));

    // A new name: the name dialog, filled in; "Нет" there stores nothing and keeps the line.
    CIngredientsForm form(t.db, CIngredientsForm::Add, 0, recipe);
    form.show();
    onNextModal(
        [&](QWidget* nameForm) {
            EXPECT_EQ(nameForm->windowTitle(), "Новый продукт");
            EXPECT_EQ(child<QLineEdit>(nameForm, "name")->text(), "Лимон");
            click(nameForm, "noButton");
        },
        &form, "the product name dialog");
    typeLine(&form, "Лимон", "ст.л.", "2");
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(number(t.db, "SELECT count(*) FROM Ingredient"), 1);
    EXPECT_EQ(number(t.db, "SELECT count(*) FROM Ingredients"), 1);
    onNextModal([&](QWidget* nameForm) { click(nameForm, "yesButton"); }, &form,
                "the product name dialog");
    click(&form, "yesButton");
    EXPECT_EQ(form.result(), QDialog::Accepted);
    EXPECT_EQ(number(t.db, "SELECT Ingredient FROM Ingredients WHERE ID=?", {form.line()}),
              t.product("Лимон"));
}

TEST_F(RecipeEditor, EscapeAfterAChangeAsksAndNoKeepsTheChanges) {
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    // Without a change it closes at once, asking nothing.
    CRecipeForm unchanged(t.db, CRecipeForm::Edit, borscht, 0);
    unchanged.show();
    QApplication::sendEvent(&unchanged, &escape);
    EXPECT_FALSE(unchanged.isVisible());
    EXPECT_TRUE(Prompts::shown().empty());

    // A line added counts as a change.
    CRecipeForm form(t.db, CRecipeForm::Edit, borscht, 0);
    form.show();
    addLineWith(&form, [](QWidget* line) { typeLine(line, "Мука", "г", "5"); });
    Prompts::setNextAnswer(Prompts::No);
    QApplication::sendEvent(&form, &escape);
    EXPECT_EQ(lastMessage(), "Отменить изменения рецепта?");
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(child<QListWidget>(&form, "lines")->count(), 2);
    Prompts::setNextAnswer(Prompts::Yes);
    QApplication::sendEvent(&form, &escape);
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(number(t.db, "SELECT count(*) FROM Ingredients"), 1);
}

TEST_F(RecipeEditor, KeysGoFromFieldToFieldAndCtrlEnterSaves) {
    CRecipeForm form(t.db, CRecipeForm::Edit, borscht, 0);
    form.show();
    QApplication::setActiveWindow(&form);
    // In the line dialog Tab follows the fields; F4 opens a field's picker.
    addLineWith(&form, [](QWidget* line) {
        QApplication::setActiveWindow(line);
        auto product = child<QLineEdit>(line, "productName");
        product->setFocus();
        QStringList order;
        for (int i = 0; i < 3; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            order << QApplication::focusWidget()->objectName();
        }
        EXPECT_EQ(order, (QStringList{"amount", "unitName", "yesButton"}));
        onNextModal([](QWidget* picker) { click(picker, "cancelButton"); }, line,
                    "the unit picker");
        child<QLineEdit>(line, "unitName")->setFocus();
        QTest::keyClick(child<QLineEdit>(line, "unitName"), Qt::Key_F4);
        click(line, "noButton");
    });
    child<QLineEdit>(&form, "name")->setText("Борщ зелёный");
    QApplication::setActiveWindow(&form);
    child<QPlainTextEdit>(&form, "text")->setFocus();
    QTest::keyClick(child<QPlainTextEdit>(&form, "text"), Qt::Key_Return, Qt::ControlModifier);
    EXPECT_EQ(form.result(), QDialog::Accepted);
    EXPECT_EQ(textOf(t.db, "SELECT Name FROM Recipes WHERE ID=?", {qint64(borscht)}),
              "Борщ зелёный");
}

TEST_F(RecipeEditor, ServingsAreTypedKeptAsWordsRefusedOutOfBoundsAndUndoneByCancel) {
    {
        CRecipeForm form(t.db, CRecipeForm::Edit, borscht, 0);
        form.show();
        auto servings = child<QLineEdit>(&form, "servings");
        ASSERT_TRUE(servings);
        EXPECT_TRUE(servings->text().isEmpty());
        for (const char* bad : {"0", "-2", "1001", "2,5"}) {
            servings->setText(QString::fromUtf8(bad));
            click(&form, "yesButton");
            EXPECT_TRUE(form.isVisible()) << bad;
            EXPECT_EQ(lastMessage(), "Порций может быть от 1 до 1000; пусто — не сказано.") << bad;
        }
        servings->setText("6");
        click(&form, "yesButton");
        EXPECT_FALSE(form.isVisible());
    }
    EXPECT_EQ(recipes::servingsOf(t.db, borscht), (recipes::Servings{6, {}}));
    {
        // Cancel undoes the servings with everything else.
        CRecipeForm form(t.db, CRecipeForm::Edit, borscht, 0);
        form.show();
        auto servings = child<QLineEdit>(&form, "servings");
        EXPECT_EQ(servings->text(), "6");
        servings->setText("на большую семью");
        form.reject();
    }
    EXPECT_EQ(recipes::servingsOf(t.db, borscht), (recipes::Servings{6, {}}));
    {
        CRecipeForm form(t.db, CRecipeForm::Edit, borscht, 0);
        form.show();
        child<QLineEdit>(&form, "servings")->setText("на большую семью");
        click(&form, "yesButton");
    }
    EXPECT_EQ(recipes::servingsOf(t.db, borscht), (recipes::Servings{0, "на большую семью"}));
    CRecipeForm again(t.db, CRecipeForm::Edit, borscht, 0);
    EXPECT_EQ(child<QLineEdit>(&again, "servings")->text(), "на большую семью");
}
