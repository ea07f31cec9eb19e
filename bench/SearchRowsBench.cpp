// Finding recipes: by name, through the search box, in the texts, by product.

#include "BenchFixture.h"
#include "app/CMainFrame.h"
#include "data/Database.h"
#include "search/CFoundListView.h"
#include "search/CSearchBox.h"
#include "search/SearchStore.h"
#include "search/TextIndex.h"

#include <QApplication>
#include <QLineEdit>
#include <benchmark/benchmark.h>

namespace {

void BM_FindByName(benchmark::State& state) {
    Database db;
    db.open(collectionFor(state), Database::OpenMode::Existing);
    for (auto _ : state)
        benchmark::DoNotOptimize(search::findByName(db, QStringLiteral("ка")).size());
}
BENCHMARK(BM_FindByName)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// The floor under the name search: the engine alone runs the same match over every name.
void BM_FindByNameSqliteFloor(benchmark::State& state) {
    Database db;
    db.open(benchCollection().path, Database::OpenMode::Existing);
    for (auto _ : state)
        benchmark::DoNotOptimize(
            db.scalar("SELECT count(*) FROM Recipes WHERE Name LIKE '%ка%'").index());
}
BENCHMARK(BM_FindByNameSqliteFloor)->Unit(benchmark::kMillisecond);

// "ка" typed into the search box: the results list filled with every recipe it finds.
void BM_SearchBoxListFilled(benchmark::State& state) {
    Database db;
    db.open(collectionFor(state), Database::OpenMode::Existing);
    CMainFrame frame(db);
    frame.show();
    QLineEdit* field = frame.searchBox()->field();
    field->setText(QStringLiteral("к")); // the names are read into memory once
    for (auto _ : state) {
        state.PauseTiming();
        field->clear();
        state.ResumeTiming();
        field->setText(QStringLiteral("ка"));
        QApplication::processEvents();
    }
    state.counters["rows"] = frame.foundListView()->rowCount();
}
BENCHMARK(BM_SearchBoxListFilled)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// One more letter in the box: "ка" becomes "кар".
void BM_SearchBoxKeystroke(benchmark::State& state) {
    Database db;
    db.open(benchCollection().path, Database::OpenMode::Existing);
    CMainFrame frame(db);
    frame.show();
    QLineEdit* field = frame.searchBox()->field();
    for (auto _ : state) {
        state.PauseTiming();
        field->setText(QStringLiteral("ка"));
        state.ResumeTiming();
        field->insert(QStringLiteral("р"));
        QApplication::processEvents();
    }
    state.counters["rows"] = frame.foundListView()->rowCount();
}
BENCHMARK(BM_SearchBoxKeystroke)->Unit(benchmark::kMillisecond);

void BM_FullTextTwoWords(benchmark::State& state) {
    Database db;
    db.open(benchCollection().path, Database::OpenMode::Existing);
    size_t found = 0;
    for (auto _ : state)
        found = search::findByText(db, benchCollection().twoWords).size();
    state.counters["rows"] = double(found);
}
BENCHMARK(BM_FullTextTwoWords)->Unit(benchmark::kMillisecond);

void BM_FindByProduct(benchmark::State& state) {
    Database db;
    db.open(benchCollection().path, Database::OpenMode::Existing);
    for (auto _ : state)
        benchmark::DoNotOptimize(search::findByProduct(db, 7).size());
}
BENCHMARK(BM_FindByProduct)->Unit(benchmark::kMillisecond);

} // namespace
