#include "plan/MealPlan.h"
#include "app/CMainFrame.h"
#include "recipes/CRView.h"
#include "recipes/Servings.h"
#include "support/TestDb.h"
#include "support/ToolRun.h"
#include "support/Widgets.h"
#include "trash/TrashStore.h"
#include "ui/Commands.h"

#include <QComboBox>
#include <QDateEdit>
#include <QRegularExpression>
#include <QSpinBox>
#include <gtest/gtest.h>

using plan::Meal;

namespace {

const QDate kMonday(2026, 12, 7);

QStringList entries(Database& db, const QDate& from, const QDate& to) {
    QStringList out;
    for (const plan::PlanEntry& e : plan::planBetween(db, from, to))
        out << QStringLiteral("%1 %2 %3 %4")
                   .arg(e.day.toString(Qt::ISODate), plan::mealName(e.meal), e.name)
                   .arg(e.servings);
    return out;
}

} // namespace

TEST(MealPlan, EntriesAcrossWeeksAndMealsInTheirOrderAndGoWithTheirRecipe) {
    TestDb t;
    const int borscht = t.recipe("Борщ");
    const int porridge = t.recipe("Каша");
    const int tea = t.recipe("Чай");
    plan::addToPlan(t.db, kMonday.addDays(7), Meal::Dinner, borscht, 4);
    plan::addToPlan(t.db, kMonday, Meal::Dinner, borscht, 6);
    plan::addToPlan(t.db, kMonday, Meal::Breakfast, porridge, 2);
    plan::addToPlan(t.db, kMonday, Meal::Dinner, tea, 1);
    plan::addToPlan(t.db, kMonday.addDays(6), Meal::Snack, tea, 1);
    EXPECT_EQ(entries(t.db, kMonday, kMonday.addDays(6)),
              (QStringList{"2026-12-07 Завтрак Каша 2", "2026-12-07 Ужин Борщ 6",
                           "2026-12-07 Ужин Чай 1", "2026-12-13 Перекус Чай 1"}));
    EXPECT_EQ(entries(t.db, kMonday.addDays(7), kMonday.addDays(13)),
              QStringList{"2026-12-14 Ужин Борщ 4"});
    EXPECT_EQ(plan::mealNamed("ужин"), Meal::Dinner);
    EXPECT_FALSE(plan::mealNamed("полдник"));

    EXPECT_EQ(plan::removeFromPlan(t.db, kMonday, tea), 1);
    EXPECT_EQ(plan::removeFromPlan(t.db, kMonday, tea), 0);
    // A recipe deleted, to the trash or for good, takes its entries along.
    trash::moveRecipe(t.db, borscht);
    EXPECT_EQ(entries(t.db, kMonday, kMonday.addDays(13)),
              (QStringList{"2026-12-07 Завтрак Каша 2", "2026-12-13 Перекус Чай 1"}));
    EXPECT_EQ(number(t.db, "SELECT count(*) FROM MealPlan WHERE Recipe=?", {borscht}), 0);
}

TEST(MealPlan, BadInputIsRefusedInRussianAndWritesNothing) {
    TestDb t;
    const int tea = t.recipe("Чай");
    auto refused = [&](const std::function<void()>& f) {
        try {
            f();
        } catch (const plan::InputError& e) {
            return e.message();
        }
        return QString();
    };
    EXPECT_EQ(refused([&] { plan::addToPlan(t.db, QDate(2026, 2, 30), Meal::Lunch, tea, 1); }),
              "Такой даты нет");
    EXPECT_EQ(refused([&] { plan::addToPlan(t.db, kMonday, Meal::Lunch, 999, 1); }),
              "Нет рецепта 999");
    EXPECT_EQ(refused([&] { plan::addToPlan(t.db, kMonday, Meal::Lunch, tea, 0); }),
              "Порций может быть от 1 до 1000");
    EXPECT_EQ(refused([&] { plan::addToPlan(t.db, kMonday, Meal::Lunch, tea, 1001); }),
              "Порций может быть от 1 до 1000");
    EXPECT_TRUE(refused([&] { plan::addToPlan(t.db, kMonday, Meal::Lunch, tea, 1000); }).isEmpty());
    EXPECT_EQ(number(t.db, "SELECT count(*) FROM MealPlan"), 1);
    EXPECT_EQ(refused([&] { plan::checkRange(kMonday, kMonday.addDays(365)); }), "");
    EXPECT_EQ(refused([&] { plan::checkRange(kMonday, kMonday.addDays(366)); }),
              "Не больше 366 дней");
    EXPECT_EQ(refused([&] { plan::checkRange(kMonday, kMonday.addDays(-1)); }),
              "Конец раньше начала");
}

TEST(MealPlan, TheToolAddsWithTheRecipesServingsListsAndRemoves) {
    TestDb t;
    const int borscht = t.recipe("Борщ");
    recipes::setServings(t.db, borscht, {6, {}});
    const int tea = t.recipe("Чай");
    const QString db = t.path(), b = QString::number(borscht), c = QString::number(tea);
    t.db.close();
    EXPECT_EQ(runTool({"plan", "--db", db, "add", "2026-12-07", b, "--meal", "Ужин"}).exitCode, 0);
    EXPECT_EQ(runTool({"plan", "--db", db, "add", "2026-12-08", c}).exitCode, 0);
    ToolRun run = runTool({"plan", "--db", db, "list", "--from", "2026-12-07"});
    EXPECT_EQ(run.out,
              QStringLiteral("2026-12-07\tужин\t%1\tБорщ\t6\n2026-12-08\tобед\t%2\tЧай\t1\n")
                  .arg(borscht)
                  .arg(tea));
    const QByteArray before = fileBytes(db);
    for (const QStringList& args :
         {QStringList{"add", "2026-02-30", b}, QStringList{"add", "2026-12-07", "999"},
          QStringList{"add", "2026-12-07", b, "--servings", "0"},
          QStringList{"add", "2026-12-07", b, "--meal", "полдник"},
          QStringList{"remove", "2026-12-09", b}, QStringList{"add", "2026-12-07"},
          QStringList{"list", "--from", "2026-12-09", "--to", "2026-12-01"}, QStringList{"fly"}}) {
        run = runTool(QStringList{"plan", "--db", db} + args);
        EXPECT_EQ(run.exitCode, 1) << args.join(' ').toStdString();
        EXPECT_TRUE(run.err.contains(QRegularExpression("[а-я]"))) << run.err.toStdString();
    }
    EXPECT_EQ(fileBytes(db), before);
    EXPECT_EQ(runTool({"plan", "--db", db, "remove", "2026-12-07", b}).exitCode, 0);
    EXPECT_EQ(runTool({"plan", "--db", db, "list"}).out.count('\n'), 1);
}

TEST(MealPlan, TheShownRecipeGoesInThePlanForADayAMealAndItsServings) {
    TestDb t;
    const int borscht = t.recipe("Борщ");
    recipes::setServings(t.db, borscht, {6, {}});
    const int tea = t.recipe("Чай");
    ShownFrame frame(t.db);
    frame.runCommand(ID_PLAN_ADD);
    EXPECT_EQ(lastMessage(), "Не выбран рецепт");

    ASSERT_TRUE(frame.recipeView()->ShowRecipe(borscht));
    bool shown = false;
    onNextModal([&](QWidget* dialog) {
        shown = true;
        EXPECT_EQ(dialog->windowTitle(), "Добавить в план");
        EXPECT_EQ(child<QSpinBox>(dialog, "servings")->value(), 6) << "the recipe's own";
        EXPECT_FALSE(dialog->findChild<QWidget*>("servingsUnknown"));
        child<QDateEdit>(dialog, "day")->setDate(kMonday);
        EXPECT_EQ(child<QDateEdit>(dialog, "day")->text(), "понедельник, 07.12.2026");
        auto meal = child<QComboBox>(dialog, "meal");
        EXPECT_EQ(meal->currentText(), "Обед");
        meal->setCurrentIndex(int(Meal::Dinner));
        child<QSpinBox>(dialog, "servings")->setValue(8);
        click(dialog, "yesButton");
    });
    frame.runCommand(ID_PLAN_ADD);
    ASSERT_TRUE(shown) << "the dialog never opened";
    EXPECT_EQ(entries(t.db, kMonday, kMonday), QStringList{"2026-12-07 Ужин Борщ 8"});

    // A recipe that does not say its servings counts once, and says so; "Нет" writes nothing.
    ASSERT_TRUE(frame.recipeView()->ShowRecipe(tea));
    onNextModal([&](QWidget* dialog) {
        EXPECT_EQ(child<QSpinBox>(dialog, "servings")->value(), 1);
        EXPECT_TRUE(dialog->findChild<QWidget*>("servingsUnknown"));
        click(dialog, "noButton");
    });
    frame.runCommand(ID_PLAN_ADD);
    EXPECT_EQ(number(t.db, "SELECT count(*) FROM MealPlan"), 1);
}
