// The recipe pane at another scale and with grams, and the cooking mode opened.

#include "BenchFixture.h"
#include "cooking/CookingWindow.h"
#include "cooking/ScaleBar.h"
#include "data/Database.h"
#include "recipes/CRView.h"

#include <QApplication>
#include <QDBusConnection>
#include <benchmark/benchmark.h>

namespace {

// The 30-line recipe re-shown at another scale, as the servings box or Ctrl+plus does.
void BM_RescaleRecipe30Lines(benchmark::State& state) {
    Database db;
    db.open(benchCollection().path, Database::OpenMode::Existing);
    CRView view(db);
    ScaleBar bar(db, view);
    view.ShowRecipe(benchCollection().info.recipeWith30Lines);
    bool odd = false;
    for (auto _ : state) {
        odd = !odd;
        benchmark::DoNotOptimize(bar.setFactor(odd ? 1.5 : 2));
    }
}
BENCHMARK(BM_RescaleRecipe30Lines)->Unit(benchmark::kMillisecond);

// "в граммах" turned on and off on the 30-line recipe.
void BM_GramsToggle30Lines(benchmark::State& state) {
    Database db;
    db.open(benchCollection().path, Database::OpenMode::Existing);
    CRView view(db);
    ScaleBar bar(db, view);
    view.ShowRecipe(benchCollection().info.recipeWith30Lines);
    for (auto _ : state)
        bar.setGrams(!bar.view().grams);
}
BENCHMARK(BM_GramsToggle30Lines)->Unit(benchmark::kMillisecond);

// From the command to the cooking mode painted at full screen.
void BM_EnterCookingMode(benchmark::State& state) {
    Database db;
    db.open(benchCollection().path, Database::OpenMode::Existing);
    for (auto _ : state) {
        CookingWindow window(db, benchCollection().info.recipeWith30Lines, {1.5, true},
                             QDBusConnection::sessionBus());
        window.show();
        window.repaint();
        QApplication::processEvents();
        state.PauseTiming();
        window.hide();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_EnterCookingMode)->Unit(benchmark::kMillisecond);

} // namespace
