#include "plan/WeekView.h"
#include "app/CMainFrame.h"
#include "catalog/CCatalogView.h"
#include "plan/CookLog.h"
#include "plan/MealPlan.h"
#include "recipes/CRView.h"
#include "recipes/Servings.h"
#include "search/CFoundListView.h"
#include "support/TestDb.h"
#include "support/Widgets.h"
#include "ui/Commands.h"
#include "ui/Prompts.h"
#include "ui/RecipeDrag.h"

#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QSpinBox>
#include <QTest>
#include <gtest/gtest.h>

using plan::Meal;

namespace {

const QDate kMonday(2026, 12, 7);

QStringList plannedOn(Database& db, const QDate& day) {
    QStringList out;
    for (const plan::PlanEntry& e : plan::planBetween(db, day, day))
        out << QStringLiteral("%1 %2 %3").arg(plan::mealName(e.meal), e.name).arg(e.servings);
    return out;
}

// Lets go of what the data carries over a cell, as a drop from another widget does.
bool dropOn(QListWidget* cell, const QMimeData& data) {
    const QPoint at = cell->viewport()->rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton,
                          Qt::NoModifier);
    QApplication::sendEvent(cell->viewport(), &enter);
    if (!enter.isAccepted())
        return false;
    QDropEvent drop(at, Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(cell->viewport(), &drop);
    QCoreApplication::processEvents();
    return drop.isAccepted();
}

// Puts the focus on a cell and its current row on an entry, as a click does.
void choose(QListWidget* cell, int row) {
    cell->window()->activateWindow();
    QCoreApplication::processEvents();
    cell->setFocus();
    ASSERT_EQ(QApplication::focusWidget(), cell) << "the cell cannot take the focus";
    cell->setCurrentRow(row);
}

void press(QWidget* w, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::keyClick(w, Qt::Key(key), modifiers);
}

struct Kitchen {
    TestDb t;
    int borscht, tea;
    Kitchen() {
        borscht = t.recipe("Борщ", {{"Свёкла", 2, "шт"}});
        recipes::setServings(t.db, borscht, {4, {}});
        tea = t.recipe("Чай", {{"Чай", 1, "ч.л."}});
    }
};

} // namespace

TEST(WeekView, RecipesDraggedFromTheResultsAndTheTreeLandInTheirDayAndMeal) {
    Kitchen k;
    ShownFrame frame(k.t.db);
    frame.move(0, 0);
    frame.runCommand(ID_MEAL_PLAN);
    auto week = qApp->findChild<WeekView*>("mealPlan");
    if (!week)
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->objectName() == "mealPlan")
                week = qobject_cast<WeekView*>(w);
    ASSERT_TRUE(week) << "План питания did not open";
    ASSERT_TRUE(QTest::qWaitForWindowExposed(week));
    week->showWeek(kMonday);
    EXPECT_EQ(child<QLabel>(week, "weekTitle")->text(), "7–13 декабря 2026");
    EXPECT_EQ(child<QLabel>(week, "day0")->text(), "пн, 7 дек.");
    // The whole week fits a 1024 by 600 screen.
    EXPECT_LE(week->minimumSizeHint().width(), 1024);
    EXPECT_LE(week->minimumSizeHint().height(), 560);

    // From the results: the row's recipe with its own servings.
    CFoundListView* results = frame.foundListView();
    results->setResults({{"Борщ", k.borscht}});
    std::unique_ptr<QMimeData> fromResults(
        results->model()->mimeData({results->model()->index(0, 0)}));
    ASSERT_TRUE(fromResults);
    EXPECT_TRUE(dropOn(week->cell(1, Meal::Dinner), *fromResults));
    EXPECT_EQ(plannedOn(k.t.db, kMonday.addDays(1)), QStringList{"Ужин Борщ 4"});
    EXPECT_EQ(listTexts(week->cell(1, Meal::Dinner)), QStringList{"Борщ (4)"});
    // What carries no recipe is refused.
    QMimeData text;
    text.setText("Борщ");
    EXPECT_FALSE(dropOn(week->cell(2, Meal::Lunch), text));

    // From the tree: the pointer let go over a cell of the week, which is another window.
    // Side by side on the screen, neither over the other.
    frame.setGeometry(0, 0, 390, 580);
    week->setGeometry(400, 0, 390, 580);
    QCoreApplication::processEvents();
    CCatalogView* tree = frame.catalogView();
    QTreeWidgetItem* teaItem = byText(tree->invisibleRootItem(), "Чай");
    ASSERT_TRUE(teaItem);
    QListWidget* snack = week->cell(3, Meal::Snack);
    const QPoint over = snack->viewport()->mapToGlobal(snack->viewport()->rect().center());
    tree->beginDrag(teaItem, tree->visualItemRect(teaItem).center());
    tree->dropAt(tree->viewport()->mapFromGlobal(over));
    EXPECT_TRUE(Prompts::shown().empty()) << "no question of moving it in the tree";
    EXPECT_EQ(plannedOn(k.t.db, kMonday.addDays(3)), QStringList{"Перекус Чай 1"});
    EXPECT_EQ(listTexts(snack), QStringList{"Чай (один раз)"});
    EXPECT_TRUE(snack->item(0)->toolTip().contains("один раз"));

    // Double-click shows the recipe in the main window.
    choose(week->cell(1, Meal::Dinner), 0);
    QListWidget* dinner = week->cell(1, Meal::Dinner);
    emit dinner->itemDoubleClicked(dinner->item(0));
    EXPECT_EQ(frame.recipeView()->CurrentRecipeId(), k.borscht);
    // Enter does the same.
    ASSERT_TRUE(frame.recipeView()->ShowRecipe(k.tea));
    QTest::keyClick(dinner, Qt::Key_Return);
    EXPECT_EQ(frame.recipeView()->CurrentRecipeId(), k.borscht);
    week->close();
}

TEST(WeekView, EntriesMoveByDragAndByCutAndPasteAndGoWithDelete) {
    Kitchen k;
    WeekView week(k.t.db, nullptr, kMonday.addDays(2));
    week.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&week));
    const qint64 entry = plan::addToPlan(k.t.db, kMonday, Meal::Lunch, k.borscht, 4);
    plan::addToPlan(k.t.db, kMonday, Meal::Lunch, k.tea, 1);
    week.reload();
    EXPECT_EQ(listTexts(week.cell(0, Meal::Lunch)), (QStringList{"Борщ (4)", "Чай (один раз)"}));

    // Dragged to Tuesday's breakfast.
    QMimeData carried;
    carried.setData("application/x-ovelta-plan-entry", QByteArray::number(entry));
    EXPECT_TRUE(dropOn(week.cell(1, Meal::Breakfast), carried));
    ASSERT_TRUE(waitUntil([&] { return week.cell(1, Meal::Breakfast)->count() == 1; }))
        << "the entry never moved";
    EXPECT_EQ(plannedOn(k.t.db, kMonday.addDays(1)), QStringList{"Завтрак Борщ 4"});
    EXPECT_EQ(listTexts(week.cell(0, Meal::Lunch)), QStringList{"Чай (один раз)"});

    // Cut, then pasted into Sunday's dinner, the arrows taking the focus there.
    QListWidget* tuesday = week.cell(1, Meal::Breakfast);
    choose(tuesday, 0);
    press(tuesday, Qt::Key_X, Qt::ControlModifier);
    EXPECT_TRUE(tuesday->item(0)->font().italic()) << "the cut entry looks cut";
    for (int i = 0; i < 5; ++i)
        press(QApplication::focusWidget(), Qt::Key_Right);
    press(QApplication::focusWidget(), Qt::Key_Down);
    press(QApplication::focusWidget(), Qt::Key_Down);
    ASSERT_EQ(QApplication::focusWidget(), week.cell(6, Meal::Dinner));
    press(week.cell(6, Meal::Dinner), Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(plannedOn(k.t.db, kMonday.addDays(6)), QStringList{"Ужин Борщ 4"});
    EXPECT_EQ(plannedOn(k.t.db, kMonday.addDays(1)), QStringList{});

    // Delete takes the current entry, and only it.
    QListWidget* monday = week.cell(0, Meal::Lunch);
    choose(monday, 0);
    press(monday, Qt::Key_Delete);
    EXPECT_EQ(plannedOn(k.t.db, kMonday), QStringList{});
    EXPECT_EQ(plannedOn(k.t.db, kMonday.addDays(6)), QStringList{"Ужин Борщ 4"});

    // The weeks turn with PageDown and PageUp and "Сегодня" comes back.
    press(monday, Qt::Key_PageDown);
    EXPECT_EQ(week.monday(), kMonday.addDays(7));
    EXPECT_EQ(week.cell(6, Meal::Dinner)->count(), 0);
    click(&week, "prevWeek");
    click(&week, "prevWeek");
    EXPECT_EQ(week.monday(), kMonday.addDays(-7));
    click(&week, "today");
    EXPECT_EQ(week.monday(), kMonday);
    EXPECT_EQ(listTexts(week.cell(6, Meal::Dinner)), QStringList{"Борщ (4)"});
}

TEST(WeekView, TheKeyboardAddsARecipeByNameAndMarksAPastEntryCooked) {
    Kitchen k;
    WeekView week(k.t.db, nullptr, kMonday.addDays(2));
    week.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&week));
    QListWidget* cell = week.cell(1, Meal::Dinner);
    choose(cell, -1);
    bool shown = false;
    onNextModal([&](QWidget* dialog) {
        shown = true;
        EXPECT_EQ(dialog->windowTitle(), "Добавить в план");
        click(dialog, "yesButton");
        EXPECT_EQ(lastMessage(), "Выберите рецепт: наберите часть его названия");
        typeText(child<QLineEdit>(dialog, "name"), "бор");
        EXPECT_EQ(listTexts(child<QListWidget>(dialog, "matches")), QStringList{"Борщ"});
        EXPECT_EQ(child<QSpinBox>(dialog, "servings")->value(), 4);
        child<QSpinBox>(dialog, "servings")->setValue(6);
        click(dialog, "yesButton");
    });
    press(cell, Qt::Key_Insert);
    ASSERT_TRUE(shown) << "Insert opened no dialog";
    EXPECT_EQ(plannedOn(k.t.db, kMonday.addDays(1)), QStringList{"Ужин Борщ 6"});

    // Tuesday has come (today is Wednesday): cooked on the entry's day, and shown done.
    choose(cell, 0);
    onNextModal([&](QWidget* dialog) {
        EXPECT_EQ(child<QDateEdit>(dialog, "day")->date(), kMonday.addDays(1));
        click(dialog, "yesButton");
    });
    click(&week, "cooked");
    EXPECT_EQ(plan::history(k.t.db, k.borscht).size(), 1u);
    EXPECT_EQ(listTexts(cell), QStringList{"✓ Борщ (6)"});

    // A day to come cannot be marked.
    plan::addToPlan(k.t.db, kMonday.addDays(4), Meal::Lunch, k.tea, 1);
    week.reload();
    QListWidget* friday = week.cell(4, Meal::Lunch);
    choose(friday, 0);
    click(&week, "cooked");
    EXPECT_TRUE(lastMessage().startsWith("Этот день ещё не наступил"));
    EXPECT_EQ(plan::history(k.t.db, k.tea).size(), 0u);
}

TEST(WeekView, TheShoppingListForDaysNamesThemAndCountsUnknownServingsOnce) {
    Kitchen k;
    WeekView week(k.t.db, nullptr, kMonday.addDays(2));
    week.show();
    plan::addToPlan(k.t.db, kMonday.addDays(3), Meal::Lunch, k.borscht, 8);
    plan::addToPlan(k.t.db, kMonday.addDays(4), Meal::Lunch, k.tea, 3);
    plan::addToPlan(k.t.db, kMonday, Meal::Lunch, k.borscht, 4); // before the days asked
    bool listed = false;
    onNextModal([&](QWidget* days) {
        EXPECT_EQ(days->windowTitle(), "Список покупок на дни");
        EXPECT_EQ(child<QDateEdit>(days, "from")->date(), kMonday.addDays(2)) << "from today";
        EXPECT_EQ(child<QDateEdit>(days, "to")->date(), kMonday.addDays(6)) << "to Sunday";
        onNextModal([&](QWidget* list) {
            listed = true;
            EXPECT_EQ(list->windowTitle(), "Список покупок на 9–13 декабря");
            EXPECT_EQ(listTexts(child<QListWidget>(list, "list")),
                      (QStringList{"Свёкла : 4 шт", "Чай : 1 ч.л."}));
            EXPECT_EQ(child<QLabel>(list, "note")->text(),
                      "Рецепты без числа порций посчитаны по разу: Чай");
            click(list, "exitButton");
        });
        click(days, "yesButton");
    });
    click(&week, "shopping");
    EXPECT_TRUE(listed) << "no list opened";
}
