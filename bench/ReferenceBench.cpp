// Product maintenance: adding a product that many lines use, the product window.

#include "BenchFixture.h"
#include "data/Database.h"
#include "kitchen/KitchenStore.h"
#include "reference/CDictionaryWork.h"

#include <QApplication>
#include <QListWidget>
#include <benchmark/benchmark.h>

namespace {

void BM_AddProductUsedBy1000Lines(benchmark::State& state) {
    Database db;
    db.open(benchCollection().path, Database::OpenMode::Existing);
    const int product = benchCollection().popular;
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            kitchen::addProducts(db, kitchen::List::OnHand, {{product, QString()}}).size());
        state.PauseTiming();
        kitchen::removeProducts(db, kitchen::List::OnHand, {product});
        state.ResumeTiming();
    }
}
BENCHMARK(BM_AddProductUsedBy1000Lines)->Unit(benchmark::kMillisecond);

void BM_ProductWorkOpen(benchmark::State& state) {
    Database db;
    db.open(benchCollection().path, Database::OpenMode::Existing);
    for (auto _ : state) {
        CIngredientWork dialog(db);
        dialog.show();
        QApplication::processEvents();
        benchmark::DoNotOptimize(dialog.entries()->count());
    }
}
BENCHMARK(BM_ProductWorkOpen)->Unit(benchmark::kMillisecond);

// Moving to a product that 500 lines use, which fills the usage list with them.
void BM_ProductWorkMove(benchmark::State& state) {
    Database db;
    db.open(benchCollection().path, Database::OpenMode::Existing);
    CIngredientWork dialog(db);
    dialog.show();
    QListWidget* list = dialog.entries();
    int frequentRow = -1;
    for (int i = 0; i < list->count(); ++i)
        if (list->item(i)->data(Qt::UserRole).toInt() == benchCollection().frequent)
            frequentRow = i;
    for (auto _ : state) {
        list->setCurrentRow(frequentRow);
        QApplication::processEvents();
        state.PauseTiming();
        list->setCurrentRow(frequentRow == 0 ? 1 : 0);
        state.ResumeTiming();
    }
    if (dialog.usage()->count() == 0)
        state.SkipWithError("the usage list stayed empty");
}
BENCHMARK(BM_ProductWorkMove)->Unit(benchmark::kMillisecond);

} // namespace
