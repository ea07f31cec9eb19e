// Benchmarks of the targets the program is held to, on the generated collection L.
// Run: build/bin/ovelta-bench (QT_QPA_PLATFORM=offscreen is set when none is given).
// Peak memory: build/bin/ovelta-generate /tmp/L.db && build/bin/ovelta-bench --memory /tmp/L.db

#include "CollectionGenerator.h"
#include "app/CCookbookApp.h"
#include "app/CMainFrame.h"
#include "catalog/CCatalogView.h"
#include "data/Schema.h"
#include "recipes/CRView.h"
#include "search/SearchStore.h"

#include <QApplication>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <sys/resource.h>

namespace {

// One collection L for all benchmarks, made once.
struct Fixture {
    QTemporaryDir dir;
    QString path;
    GeneratedCollection info;
    Fixture() {
        path = dir.filePath(QStringLiteral("data.db"));
        Database db;
        db.open(path, Database::OpenMode::Create);
        schema::create(db);
        CollectionSize size;
        size.bigSectionRecipes = 5000;
        info = generateCollection(db, size);
    }
};

Fixture& fixture() {
    static Fixture f;
    return f;
}

void BM_ShowRecipe30Lines(benchmark::State& state) {
    Database db;
    db.open(fixture().path, Database::OpenMode::Existing);
    CRView view(db);
    for (auto _ : state)
        benchmark::DoNotOptimize(view.ShowRecipe(fixture().info.recipeWith30Lines));
}
BENCHMARK(BM_ShowRecipe30Lines)->Unit(benchmark::kMillisecond);

void BM_ExpandSection5000Recipes(benchmark::State& state) {
    Database db;
    db.open(fixture().path, Database::OpenMode::Existing);
    for (auto _ : state) {
        state.PauseTiming();
        auto tree = std::make_unique<CCatalogView>(db);
        tree->loadTopLevel();
        QTreeWidgetItem* big = tree->findChild(nullptr, fixture().info.bigSection);
        state.ResumeTiming();
        tree->expandSection(big);
        benchmark::DoNotOptimize(big->childCount());
        state.PauseTiming();
        tree.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_ExpandSection5000Recipes)->Unit(benchmark::kMillisecond);

void BM_FindByName(benchmark::State& state) {
    Database db;
    db.open(fixture().path, Database::OpenMode::Existing);
    for (auto _ : state)
        benchmark::DoNotOptimize(search::findByName(db, QStringLiteral("ка")).size());
}
BENCHMARK(BM_FindByName)->Unit(benchmark::kMillisecond);

void BM_FindByProduct(benchmark::State& state) {
    Database db;
    db.open(fixture().path, Database::OpenMode::Existing);
    for (auto _ : state)
        benchmark::DoNotOptimize(search::findByProduct(db, 7).size());
}
BENCHMARK(BM_FindByProduct)->Unit(benchmark::kMillisecond);

void BM_StartupToPaintedWindow(benchmark::State& state) {
    for (auto _ : state) {
        CCookbookApp app(fixture().path);
        if (!app.initInstance())
            state.SkipWithError("start-up failed");
        app.mainWindow()->repaint();
        QApplication::processEvents();
    }
}
BENCHMARK(BM_StartupToPaintedWindow)->Unit(benchmark::kMillisecond);

// Opens a collection as the program does, expands every section of the tree, and reports
// the peak memory of the whole process. Run on a collection made by ovelta-generate, so
// that making it does not count.
int peakMemory(const QString& path) {
    CCookbookApp app(path);
    if (!app.initInstance())
        return 1;
    CCatalogView* tree = app.mainWindow()->catalogView();
    std::function<void(QTreeWidgetItem*)> expandAll = [&](QTreeWidgetItem* item) {
        tree->expandSection(item);
        for (int i = 0; i < item->childCount(); ++i)
            if (item->child(i)->childCount() > 0)
                expandAll(item->child(i));
    };
    for (int i = 0; i < tree->topLevelItemCount(); ++i)
        if (tree->topLevelItem(i)->childCount() > 0)
            expandAll(tree->topLevelItem(i));
    app.mainWindow()->repaint();
    QApplication::processEvents();
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("peak memory with the tree expanded: %.1f MB\n", double(usage.ru_maxrss) / 1024);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    initOveltaResources();
    if (argc == 3 && std::strcmp(argv[1], "--memory") == 0)
        return peakMemory(QString::fromLocal8Bit(argv[2]));
    benchmark::Initialize(&argc, argv);
    fixture();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
