#include "plan/CookLog.h"
#include "app/CMainFrame.h"
#include "recipes/CRView.h"
#include "search/CFoundListView.h"
#include "support/TestDb.h"
#include "support/ToolRun.h"
#include "support/Widgets.h"
#include "trash/TrashStore.h"
#include "ui/Commands.h"

#include <QComboBox>
#include <QDateEdit>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QTreeWidget>
#include <gtest/gtest.h>

namespace {

const QDate kToday(2026, 12, 9);

struct Kitchen {
    TestDb t;
    const int borscht = t.recipe("Борщ", {{"Свёкла", 1, "шт"}});
    const int pancakes = t.recipe("Блины", {{"Мука", 200, "г"}});
    const int tea = t.recipe("Чай");
    qint64 log() { return number(t.db, "SELECT count(*) FROM CookLog"); }
};

} // namespace

TEST(CookLog, KeepsDaysRatingsAndNotesNewestFirstAndRefusesBadInput) {
    Kitchen k;
    plan::addCooked(k.t.db, k.borscht, QDate(2026, 10, 1), 4, "Мало соли", kToday);
    plan::addCooked(k.t.db, k.borscht, QDate(2026, 12, 1), 5, "", kToday);
    plan::addCooked(k.t.db, k.pancakes, QDate(2026, 11, 20), 0, "", kToday);
    plan::addCooked(k.t.db, k.borscht, kToday, 0, "На дачу", kToday);

    const std::vector<plan::Cooked> all = plan::history(k.t.db);
    ASSERT_EQ(all.size(), 4u);
    EXPECT_EQ(all[0].day, kToday);
    EXPECT_EQ(all[0].note, "На дачу");
    EXPECT_EQ(all[1].name, "Борщ");
    EXPECT_EQ(all[2].name, "Блины");
    EXPECT_EQ(all[3].rating, 4);
    EXPECT_EQ(plan::history(k.t.db, k.pancakes).size(), 1u);

    const plan::Summary s = plan::summaryOf(k.t.db, k.borscht);
    EXPECT_EQ(s.times, 3);
    EXPECT_EQ(s.last, kToday);
    EXPECT_EQ(s.rated, 2);
    EXPECT_DOUBLE_EQ(s.rating, 4.5);
    EXPECT_EQ(plan::summaryText(s), "Готовили 3 раза, последний — 9 декабря 2026, оценка 4,5");
    EXPECT_EQ(plan::summaryText(plan::summaryOf(k.t.db, k.pancakes)),
              "Готовили 1 раз, последний — 20 ноября 2026");
    EXPECT_TRUE(plan::summaryText(plan::summaryOf(k.t.db, k.tea)).isEmpty());

    // Cooked before and not in the last four weeks: the pancakes (20 November) only after
    // the 23rd of December; never cooked is never "long ago".
    EXPECT_TRUE(plan::notCookedSince(k.t.db, kToday.addDays(-28)).empty());
    EXPECT_EQ(namesOf(plan::notCookedSince(k.t.db, QDate(2026, 11, 21))), QStringList{"Блины"});
    EXPECT_EQ(namesOf(plan::notCookedSince(k.t.db, QDate(2026, 12, 31))),
              (QStringList{"Блины", "Борщ"}));

    // Every bad input is refused in Russian, and nothing is written.
    const qint64 before = k.log();
    auto refused = [&](int recipe, QDate day, int rating, QString note) {
        try {
            plan::addCooked(k.t.db, recipe, day, rating, note, kToday);
        } catch (const plan::InputError& e) {
            return e.message();
        }
        return QString();
    };
    EXPECT_EQ(refused(999, kToday, 0, ""), "Нет рецепта 999");
    EXPECT_EQ(refused(k.tea, QDate(2026, 2, 30), 0, ""), "Такой даты нет");
    EXPECT_EQ(refused(k.tea, kToday.addDays(1), 0, ""), "Этот день ещё не наступил");
    EXPECT_EQ(refused(k.tea, kToday, 6, ""), "Оценка — от 1 до 5");
    EXPECT_EQ(refused(k.tea, kToday, -1, ""), "Оценка — от 1 до 5");
    EXPECT_EQ(refused(k.tea, kToday, 0, QString(4001, 'a')), "Заметка длиннее 4000 знаков");
    EXPECT_TRUE(refused(k.tea, kToday, 0, QString(4000, 'a')).isEmpty());
    EXPECT_EQ(k.log(), before + 1);
}

TEST(CookLog, ADeletedRecipeHidesItsHistoryUntilItComesBackAndTakesItWhenGoneForGood) {
    Kitchen k;
    plan::addCooked(k.t.db, k.borscht, QDate(2026, 12, 1), 5, "", kToday);
    const qint64 entry = trash::moveRecipe(k.t.db, k.borscht);
    EXPECT_TRUE(plan::history(k.t.db).empty());
    EXPECT_TRUE(plan::notCookedSince(k.t.db, kToday).empty());
    EXPECT_FALSE(plan::standings(k.t.db).isEmpty()) << "the rows themselves stay";
    ASSERT_TRUE(trash::restore(k.t.db, entry));
    EXPECT_EQ(plan::history(k.t.db).size(), 1u);
    trash::moveRecipe(k.t.db, k.borscht);
    trash::empty(k.t.db);
    EXPECT_EQ(k.log(), 0);
}

TEST(CookLog, TheWindowMarksTheShownRecipeShowsItAndSortsTheResults) {
    Kitchen k;
    plan::addCooked(k.t.db, k.pancakes, QDate(2026, 11, 1), 3, "", kToday);
    plan::addCooked(k.t.db, k.tea, QDate(2026, 10, 1), 5, "", kToday);
    ShownFrame frame(k.t.db);
    frame.runCommand(ID_COOKED);
    EXPECT_EQ(lastMessage(), "Не выбран рецепт");

    ASSERT_TRUE(frame.recipeView()->ShowRecipe(k.borscht));
    EXPECT_FALSE(frame.recipeView()->toPlainText().contains("Готовили"));
    // A day to come keeps the dialog open; then today, rated 4, with a note.
    onNextModal([&](QWidget* dialog) {
        EXPECT_EQ(dialog->windowTitle(), "Приготовлено");
        child<QDateEdit>(dialog, "day")->setDate(QDate::currentDate().addDays(2));
        click(dialog, "yesButton");
        EXPECT_EQ(lastMessage(), "Этот день ещё не наступил");
        EXPECT_TRUE(dialog->isVisible());
        child<QDateEdit>(dialog, "day")->setDate(QDate::currentDate());
        auto rating = child<QComboBox>(dialog, "rating");
        rating->setCurrentIndex(rating->findData(4));
        child<QPlainTextEdit>(dialog, "note")->setPlainText("Со сметаной");
        click(dialog, "yesButton");
    });
    frame.runCommand(ID_COOKED);
    EXPECT_EQ(k.log(), 3);
    EXPECT_TRUE(frame.recipeView()->toPlainText().contains("Готовили 1 раз, последний — "))
        << frame.recipeView()->toPlainText().toStdString();
    withDialog(frame, ID_COOK_HISTORY, [](QWidget* dialog) {
        auto list = child<QTreeWidget>(dialog, "history");
        ASSERT_EQ(list->topLevelItemCount(), 1);
        EXPECT_EQ(list->topLevelItem(0)->text(1), "★★★★☆");
        EXPECT_EQ(list->topLevelItem(0)->text(2), "Со сметаной");
        click(dialog, "closeButton");
    });

    // The results by the log: the last cooked first, or the best rated; never cooked last.
    CFoundListView* results = frame.foundListView();
    const int never = k.t.recipe("Кисель");
    results->setResults(
        {{"Кисель", never}, {"Чай", k.tea}, {"Блины", k.pancakes}, {"Борщ", k.borscht}});
    frame.runCommand(ID_SORT_BY_COOKED);
    EXPECT_EQ(results->texts(), (QStringList{"Борщ", "Блины", "Чай", "Кисель"}));
    frame.runCommand(ID_SORT_BY_RATING);
    EXPECT_EQ(results->texts(), (QStringList{"Чай", "Борщ", "Блины", "Кисель"}));

    // Not cooked for 4 weeks (the default): the tea and the pancakes... as of today.
    Prompts::setNextFileName("4");
    frame.runCommand(ID_NOT_COOKED_LATELY);
    EXPECT_EQ(results->texts(), (QStringList{"Блины", "Чай"}));
    Prompts::setNextFileName("0");
    frame.runCommand(ID_NOT_COOKED_LATELY);
    EXPECT_EQ(lastMessage(), "Число недель — от 1 до 520");
}

TEST(CookLog, TheToolMarksAndListsAndRefusesBadInputWritingNothing) {
    Kitchen k;
    const QString db = k.t.path();
    const QString id = QString::number(k.borscht);
    k.t.db.close();
    ToolRun run = runTool(
        {"cooked", "--db", db, id, "--date", "2026-12-01", "--rating", "5", "--note", "Ок"});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    run = runTool({"cooked", "--db", db, QString::number(k.tea), "--date", "2026-11-02"});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    run = runTool({"history", "--db", db});
    EXPECT_EQ(run.out, QStringLiteral("2026-12-01\t%1\tБорщ\t5\tОк\n2026-11-02\t%2\tЧай\t\t\n")
                           .arg(k.borscht)
                           .arg(k.tea));
    EXPECT_EQ(runTool({"history", "--db", db, id}).out.count('\n'), 1);

    const QByteArray before = fileBytes(db);
    for (const QStringList& extra :
         {QStringList{id, "--date", "2026-02-30"}, QStringList{id, "--date", "9.12.2026"},
          QStringList{"999"}, QStringList{id, "--rating", "6"}, QStringList{id, "--rating", "0"},
          QStringList{id, "--note", QString(4001, 'a')}, QStringList{id, "--date", "2999-01-01"},
          QStringList{}}) {
        run = runTool(QStringList{"cooked", "--db", db} + extra);
        EXPECT_EQ(run.exitCode, 1) << extra.join(' ').toStdString();
        EXPECT_TRUE(run.err.contains(QRegularExpression("[а-я]"))) << run.err.toStdString();
    }
    EXPECT_EQ(fileBytes(db), before);
}
