// The window's rows: a recipe of 30 lines shown, a section of 5,000 recipes expanded.

#include "BenchFixture.h"
#include "catalog/CCatalogView.h"
#include "data/Database.h"
#include "recipes/CRView.h"

#include <benchmark/benchmark.h>
#include <memory>

namespace {

void BM_ShowRecipe30Lines(benchmark::State& state) {
    Database db;
    db.open(benchCollection().path, Database::OpenMode::Existing);
    CRView view(db);
    for (auto _ : state)
        benchmark::DoNotOptimize(view.ShowRecipe(benchCollection().info.recipeWith30Lines));
}
BENCHMARK(BM_ShowRecipe30Lines)->Unit(benchmark::kMillisecond);

void BM_ExpandSection5000Recipes(benchmark::State& state) {
    Database db;
    db.open(collectionFor(state), Database::OpenMode::Existing);
    for (auto _ : state) {
        state.PauseTiming();
        auto tree = std::make_unique<CCatalogView>(db);
        tree->loadTopLevel();
        QTreeWidgetItem* big = tree->findChild(nullptr, benchCollection().info.bigSection);
        state.ResumeTiming();
        tree->expandSection(big);
        benchmark::DoNotOptimize(big->childCount());
        state.PauseTiming();
        tree.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_ExpandSection5000Recipes)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

} // namespace
