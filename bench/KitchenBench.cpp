// The kitchen's rows: what to cook, what is missing, the shopping list, the menu's
// product list; and the two questions held against the pass over the lines.

#include "BenchFixture.h"
#include "app/CMainFrame.h"
#include "data/Database.h"
#include "kitchen/KitchenStore.h"
#include "ui/Commands.h"
#include "ui/Progress.h"
#include "ui/Prompts.h"

#include <benchmark/benchmark.h>
#include <cstdio>
#include <functional>

namespace {

// "Что приготовить?" as the user runs it: progress window, scan, results list filled.
void BM_WhatToCookCommand(benchmark::State& state) {
    Database db;
    db.open(benchCollection().path, Database::OpenMode::Existing);
    CMainFrame frame(db);
    frame.show();
    Prompts::setTestMode(true); // an empty result's message must not wait for a click
    for (auto _ : state)
        frame.runCommand(ID_WHAT_TO_COOK);
    Prompts::setTestMode(false);
}
BENCHMARK(BM_WhatToCookCommand)->Unit(benchmark::kMillisecond);

// The bare pass over the stored query of every line with its recipe, for comparison.
void BM_IngredientUseScan(benchmark::State& state) {
    Database db;
    db.open(benchCollection().path, Database::OpenMode::Existing);
    for (auto _ : state) {
        Statement rows(db, SqlText("SELECT ID, Name, Have FROM IngredientUse"));
        qint64 n = 0;
        while (rows.step())
            n += rows.int64(2);
        benchmark::DoNotOptimize(n);
    }
}
BENCHMARK(BM_IngredientUseScan)->Unit(benchmark::kMillisecond);

// "Чего не хватает?" with up to three products lacking, as the dialog fills its list.
void BM_WhatIsMissing3(benchmark::State& state) {
    Database db;
    db.open(benchCollection().path, Database::OpenMode::Existing);
    size_t rows = 0;
    for (auto _ : state) {
        NoProgress quiet;
        rows = kitchen::whatIsMissing(db, 3, quiet).size();
    }
    state.counters["rows"] = double(rows);
}
BENCHMARK(BM_WhatIsMissing3)->Unit(benchmark::kMillisecond);

// The floor under both kitchen questions: one pass over the lines in the engine.
void BM_LinesScanFloor(benchmark::State& state) {
    Database db;
    db.open(benchCollection().path, Database::OpenMode::Existing);
    for (auto _ : state) {
        Statement rows(db, SqlText("SELECT Recipe, Ingredient, Have FROM Ingredients"));
        qint64 n = 0;
        while (rows.step())
            n += rows.int64(0) + rows.int64(2);
        benchmark::DoNotOptimize(n);
    }
}
BENCHMARK(BM_LinesScanFloor)->Unit(benchmark::kMillisecond);

void BM_ShoppingList50Dishes(benchmark::State& state) {
    Database db;
    db.open(benchCollection().path, Database::OpenMode::Existing);
    for (auto _ : state)
        benchmark::DoNotOptimize(kitchen::shoppingList(db).size());
}
BENCHMARK(BM_ShoppingList50Dishes)->Unit(benchmark::kMillisecond);

void BM_MenuProductList50Dishes(benchmark::State& state) {
    Database db;
    db.open(benchCollection().path, Database::OpenMode::Existing);
    CMainFrame frame(db);
    frame.show();
    for (auto _ : state)
        frame.runCommand(ID_MENU_PRODUCT_LIST);
}
BENCHMARK(BM_MenuProductList50Dishes)->Unit(benchmark::kMillisecond);

void BM_MenuProductListDocument(benchmark::State& state) {
    Database db;
    db.open(benchCollection().path, Database::OpenMode::Existing);
    for (auto _ : state)
        benchmark::DoNotOptimize(kitchen::menuProductListRtf(db).size());
}
BENCHMARK(BM_MenuProductListDocument)->Unit(benchmark::kMillisecond);

} // namespace

int kitchenRatios(const QString& path) {
    Database db;
    db.open(path, Database::OpenMode::Existing);
    size_t cook = 0, missing = 0;
    auto cookOnce = [&] {
        NoProgress quiet;
        cook = kitchen::whatToCook(db, quiet).size();
    };
    auto missingOnce = [&] {
        NoProgress quiet;
        missing = kitchen::whatIsMissing(db, 3, quiet).size();
    };
    const qint64 usual = kitchen::parallelScanFrom;
    auto inOneThread = [usual](const std::function<void()>& f) {
        return [f, usual] {
            kitchen::parallelScanFrom = std::numeric_limits<qint64>::max();
            f();
            kitchen::parallelScanFrom = usual;
        };
    };
    const std::vector<double> ms = medianMsInTurns(
        {[&] {
             Statement rows(db, SqlText("SELECT Recipe, Ingredient, Have FROM Ingredients"));
             qint64 n = 0;
             while (rows.step())
                 n += rows.int64(0) + rows.int64(2);
             benchmark::DoNotOptimize(n);
         },
         cookOnce, missingOnce, inOneThread(cookOnce), inOneThread(missingOnce)});
    const double floor = ms[0];
    std::printf("lines scan floor %.1f ms; what to cook %.1f ms (%.2fx, %zu rows); "
                "missing 3 %.1f ms (%.2fx, %zu rows)\n",
                floor, ms[1], ms[1] / floor, cook, ms[2], ms[2] / floor, missing);
    std::printf("in one thread: what to cook %.1f ms (%.2fx); missing 3 %.1f ms (%.2fx)\n", ms[3],
                ms[3] / floor, ms[4], ms[4] / floor);
    return 0;
}
