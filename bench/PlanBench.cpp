// The week's plan and the cooking log on the collection with a plan of three entries a day
// for a year: the week view opened and turned, the shopping list for a week and a month,
// and the results sorted by the log.

#include "BenchFixture.h"
#include "data/Database.h"
#include "plan/CookLog.h"
#include "plan/MealPlan.h"
#include "plan/PlanCommands.h"
#include "plan/PlanOutput.h"
#include "plan/WeekView.h"
#include "recipes/CRView.h"
#include "search/CFoundListView.h"

#include <QApplication>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

const QDate kFirstMonday(2026, 1, 5);

// A copy of the collection with the year's plan and a log of a fifth of its recipes cooked
// a few times each, made once.
const QString& plannedCollection() {
    static QTemporaryDir dir;
    static const QString path = [] {
        const QString copy = dir.filePath(QStringLiteral("planned.db"));
        QFile::copy(benchCollectionPath(), copy);
        Database db;
        db.open(copy, Database::OpenMode::Existing);
        const int recipes = int(std::get<qint64>(db.scalar("SELECT max(ID) FROM Recipes")));
        QRandomGenerator random(42);
        Transaction tx(db);
        for (int day = 0; day < 365; ++day)
            for (int meal = 0; meal < 3; ++meal)
                db.exec("INSERT INTO MealPlan (Day, Meal, Recipe, Servings) SELECT ?, ?, ID, ? "
                        "FROM Recipes WHERE ID >= ? ORDER BY ID LIMIT 1",
                        {kFirstMonday.addDays(day).toString(Qt::ISODate), qint64(meal),
                         qint64(random.bounded(1, 9)), qint64(random.bounded(1, recipes))});
        for (int i = 0; i < recipes / 5 * 3; ++i)
            db.exec("INSERT INTO CookLog (Recipe, Day, Rating) SELECT ID, ?, ? FROM Recipes "
                    "WHERE ID >= ? ORDER BY ID LIMIT 1",
                    {kFirstMonday.addDays(random.bounded(0, 700)).toString(Qt::ISODate),
                     qint64(random.bounded(1, 6)), qint64(random.bounded(1, recipes))});
        tx.commit();
        return copy;
    }();
    return path;
}

void BM_OpenWeekView(benchmark::State& state) {
    Database db;
    db.open(plannedCollection(), Database::OpenMode::Existing);
    for (auto _ : state) {
        WeekView week(db, nullptr, kFirstMonday.addDays(100));
        week.show();
        QApplication::processEvents();
        state.PauseTiming();
        week.hide();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_OpenWeekView)->Unit(benchmark::kMillisecond);

void BM_ChangeWeek(benchmark::State& state) {
    Database db;
    db.open(plannedCollection(), Database::OpenMode::Existing);
    WeekView week(db, nullptr, kFirstMonday.addDays(100));
    week.show();
    QApplication::processEvents();
    bool forward = true;
    for (auto _ : state) {
        week.showWeek(week.monday().addDays(forward ? 7 : -7));
        QApplication::processEvents();
        forward = !forward;
    }
}
BENCHMARK(BM_ChangeWeek)->Unit(benchmark::kMillisecond);

// The list for 7 or 31 days: 21 or 93 entries, each a recipe's lines.
void BM_PlanShoppingList(benchmark::State& state) {
    Database db;
    db.open(plannedCollection(), Database::OpenMode::Existing);
    const QDate from = kFirstMonday.addDays(100);
    for (auto _ : state)
        benchmark::DoNotOptimize(
            plan::shoppingBetween(db, from, from.addDays(int(state.range(0)) - 1)));
}
BENCHMARK(BM_PlanShoppingList)->Arg(7)->Arg(31)->Unit(benchmark::kMillisecond);

// Every recipe in the results, sorted by the day it was last cooked.
void BM_SortResultsByLastCooked(benchmark::State& state) {
    Database db;
    db.open(plannedCollection(), Database::OpenMode::Existing);
    CRView pane(db);
    CFoundListView results(db);
    std::vector<std::pair<QString, int>> all;
    Statement rows(db, SqlText("SELECT Name, ID FROM Recipes"));
    while (rows.step())
        all.emplace_back(rows.text(0), int(rows.int64(1)));
    PlanCommands commands(db, pane, results, nullptr);
    for (auto _ : state) {
        state.PauseTiming();
        results.setResults(all);
        state.ResumeTiming();
        commands.sortResults(false);
    }
    state.counters["rows"] = double(all.size());
}
BENCHMARK(BM_SortResultsByLastCooked)->Unit(benchmark::kMillisecond);

} // namespace
