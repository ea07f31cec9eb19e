#include "catalog/CCatalogView.h"
#include "catalog/CatalogStore.h"
#include "kitchen/KitchenStore.h"
#include "recipes/CRView.h"
#include "reference/CDictionaryWork.h"
#include "reference/ReferenceStore.h"
#include "search/CFoundListView.h"
#include "support/TestDb.h"
#include "support/Widgets.h"
#include "ui/Commands.h"

#include <QPushButton>

using recipes::Dictionary;

namespace {

QString selectedText(QListWidget* list) {
    const auto selected = list->selectedItems();
    return selected.isEmpty() ? QString() : selected.front()->text();
}

bool enabled(QWidget* dialog, const char* name) {
    auto b = child<QPushButton>(dialog, name);
    return b && b->isEnabled();
}

// What the window shows: the entry selected [in brackets] among the others, its uses, and
// whether it can be changed and deleted.
QString state(QWidget* dialog) {
    auto entries = child<QListWidget>(dialog, "entries");
    QStringList shown = listTexts(entries);
    for (QString& e : shown)
        if (e == selectedText(entries))
            e = "[" + e + "]";
    return shown.join(',') + " / " + listTexts(child<QListWidget>(dialog, "usage")).join(',') +
           (enabled(dialog, "changeButton") ? " / change" : "") +
           (enabled(dialog, "deleteButton") ? " / delete" : "");
}

// The same behaviour for both dictionaries, with what differs as data.
struct Case {
    Dictionary which;
    int command;
    const char* title;
};

class DictionaryWork : public ::testing::TestWithParam<Case> {
protected:
    bool products() const { return GetParam().which == Dictionary::Products; }
    int addEntry(const char* name) {
        return products() ? t.product(QString::fromUtf8(name)) : t.unit(QString::fromUtf8(name));
    }
    // A line of the recipe that uses the entry, and something else for the other field.
    void use(int recipe, int entry) {
        if (products())
            t.addLine(recipe, entry, 1, t.unit("г"));
        else
            t.addLine(recipe, t.product("Соль"), 1, entry);
    }
    TestDb t;
};

} // namespace

TEST_P(DictionaryWork, ListsUsesAndDeletesOnlyWhatNoRecipeUses) {
    const int used = addEntry("Мука");
    const int spare = addEntry("банка");
    addEntry("Яйцо");
    const int blini = t.addRecipe("Блины");
    use(blini, used);
    use(t.addRecipe("Бисквит"), used);
    use(blini, used); // twice in one recipe: listed twice
    if (products())
        kitchen::addProducts(t.db, kitchen::List::OnHand, {{spare, "банка"}});
    ShownFrame frame(t.db);

    withDialog(frame, GetParam().command, [&](QWidget* dialog) {
        EXPECT_EQ(dialog->windowTitle(), QString::fromUtf8(GetParam().title));
        auto entries = child<QListWidget>(dialog, "entries");
        // Russian order, letter case aside; the first entry selected with its uses.
        EXPECT_EQ(state(dialog), "[банка],Мука,Яйцо /  / change / delete");
        entries->setCurrentRow(1);
        EXPECT_EQ(state(dialog), "банка,[Мука],Яйцо / Бисквит,Блины,Блины / change");

        // "Изменить рецепт" with no recipe chosen says so.
        click(dialog, "editRecipeButton");
        EXPECT_EQ(lastShown(), "Ошибка: Выберите рецепт");

        // Rename: the entry moves to its sorted place and stays selected.
        entries->setCurrentRow(0);
        onNextModal(
            [](QWidget* form) {
                EXPECT_EQ(child<QLineEdit>(form, "name")->text(), "банка");
                enterAndConfirm(form, "name", "ящик");
            },
            dialog, "the rename dialog");
        click(dialog, "changeButton");
        EXPECT_EQ(state(dialog), "Мука,Яйцо,[ящик] /  / change / delete");

        // Delete: gone from the list, nothing selected, no uses shown, buttons off.
        onNextModal([](QWidget* form) { click(form, "yesButton"); }, dialog, "the delete dialog");
        click(dialog, "deleteButton");
        EXPECT_EQ(state(dialog), "Мука,Яйцо / ");

        // A new entry is selected at once, unused.
        onNextModal([](QWidget* form) { enterAndConfirm(form, "name", "Ананас"); }, dialog,
                    "the new-entry dialog");
        click(dialog, "addButton");
        EXPECT_EQ(state(dialog), "[Ананас],Мука,Яйцо /  / change / delete");

        // A write the file refuses is reported, and the form stays open with the name.
        if (products())
            t.db.execScript("CREATE TEMP TRIGGER NoAdd BEFORE INSERT ON Ingredient "
                            "BEGIN SELECT RAISE(ABORT, 'refused'); END;");
        else
            t.db.execScript("CREATE TEMP TRIGGER NoAdd BEFORE INSERT ON Units "
                            "BEGIN SELECT RAISE(ABORT, 'refused'); END;");
        bool stayed = false;
        onNextModal(
            [&](QWidget* form) {
                enterAndConfirm(form, "name", "Банан");
                EXPECT_TRUE(lastShown().contains("refused")) << lastShown().toStdString();
                stayed = form->isVisible();
                click(form, "noButton");
            },
            dialog, "the new-entry dialog");
        click(dialog, "addButton");
        EXPECT_TRUE(stayed);
        EXPECT_EQ(state(dialog), "[Ананас],Мука,Яйцо /  / change / delete");
        t.db.execScript("DROP TRIGGER NoAdd");
        click(dialog, "exitButton");
    });
    // Deleting takes a product off the kitchen lists; nothing else is touched.
    EXPECT_EQ(number(t.db, "SELECT count(*) FROM Products"), 0);
    EXPECT_EQ(number(t.db, "SELECT count(*) FROM Ingredients"), 3);
}

TEST_P(DictionaryWork, RenamingARecipeThereRenamesItEverywhere) {
    const int section = t.addSection("Выпечка");
    const int blini = t.addRecipe("Блины", section);
    use(blini, addEntry("Мука"));
    ShownFrame frame(t.db);
    CCatalogView* tree = frame.catalogView();
    QTreeWidgetItem* sectionItem = tree->findChild(nullptr, section);
    tree->expandSection(sectionItem);
    tree->selectEntry(tree->findChild(sectionItem, catalog::recipeValue(blini)));
    frame.foundListView()->appendResult("Блины", blini);
    ASSERT_EQ(frame.recipeView()->CurrentRecipeId(), blini);

    withDialog(frame, GetParam().command, [&](QWidget* dialog) {
        auto usage = child<QListWidget>(dialog, "usage");
        usage->setCurrentRow(0);
        onNextModal([](QWidget* form) { enterAndConfirm(form, "name", "Блинчики"); }, dialog,
                    "the recipe editor");
        click(dialog, "editRecipeButton");
        EXPECT_EQ(listTexts(usage), QStringList{"Блинчики"});

        // Renaming the entry itself shows at once in the recipe view behind.
        onNextModal([](QWidget* form) { enterAndConfirm(form, "name", "Зерно"); }, dialog,
                    "the rename dialog");
        click(dialog, "changeButton");
        EXPECT_TRUE(frame.recipeView()->toPlainText().contains("Зерно"))
            << frame.recipeView()->toPlainText().toStdString();
        click(dialog, "exitButton");
    });
    EXPECT_EQ(texts(sectionItem), QStringList{"Блинчики"});
    EXPECT_EQ(frame.foundListView()->texts(), QStringList{"Блинчики"});
    EXPECT_TRUE(frame.recipeView()->toPlainText().startsWith("Блинчики"));
}

INSTANTIATE_TEST_SUITE_P(Both, DictionaryWork,
                         ::testing::Values(Case{Dictionary::Products, ID_PRODUCT_WORK, "Продукты"},
                                           Case{Dictionary::Units, ID_UNIT_WORK, "Единицы"}),
                         [](const auto& param) {
                             return param.param.which == Dictionary::Products ? "Products"
                                                                              : "Units";
                         });

TEST(ReferenceStore, UsageListsEveryLineOfEveryRecipe) {
    TestDb t;
    const int a = t.recipe("Суп", {{"Соль", 1, "г"}});
    const int b = t.recipe("Каша", {{"Соль", 1}});
    const int salt = t.product("Соль"), g = t.unit("г");
    t.addLine(a, salt, 2, g);
    t.addLine(0, salt, 2, g); // a recipe still being written is no use yet
    auto ids = [](const std::vector<reference::Use>& uses) {
        std::vector<int> out;
        for (const auto& u : uses)
            out.push_back(u.recipe);
        return out;
    };
    EXPECT_EQ(ids(reference::usage(t.db, Dictionary::Products, salt)), (std::vector<int>{a, b, a}));
    EXPECT_EQ(ids(reference::usage(t.db, Dictionary::Units, g)), (std::vector<int>{a, a}));
    EXPECT_TRUE(reference::usage(t.db, Dictionary::Units, 999).empty());
}
