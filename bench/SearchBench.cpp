// The search box after large changes: the first keystroke once many recipes were added or
// deleted (the name list takes the changes then), and the export of one huge section.

#include "BenchFixture.h"
#include "data/Database.h"
#include "search/SearchStore.h"

#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

struct Copy {
    QTemporaryDir dir;
    Database db;
    Copy() {
        const QString path = dir.filePath(QStringLiteral("data.db"));
        QFile::copy(benchCollectionPath(), path);
        db.open(path, Database::OpenMode::Existing);
    }
};

void addRecipes(Database& db, int count) {
    Transaction tx(db);
    Statement add(db, SqlText("INSERT INTO Recipes (Catalog, Name, Recipe) VALUES (0, ?, '')"));
    for (int i = 0; i < count; ++i) {
        add.reset();
        add.bind(1, QStringLiteral("Пирог новый %1").arg(i * 7919 % 100003));
        add.step();
    }
    tx.commit();
}

// "ка" typed after count recipes came in by one import, the list knowing the rest. With a
// second argument of 1, as the user meets it: the window brings the names up to date right
// after each command (an import's own wait), so the keystroke finds them current.
void BM_FirstKeystrokeAfterAdding(benchmark::State& state) {
    Copy c;
    search::findByNameAsTyped(c.db, QStringLiteral("к"));
    const int count = int(state.range(0));
    const bool caughtUp = state.range(1) != 0;
    size_t rows = 0;
    for (auto _ : state) {
        state.PauseTiming();
        addRecipes(c.db, count);
        if (caughtUp)
            search::catchUpNames(c.db);
        state.ResumeTiming();
        rows = search::findByNameAsTyped(c.db, QStringLiteral("ка")).size();
        state.PauseTiming();
        c.db.exec("DELETE FROM Recipes WHERE Name LIKE 'Пирог новый %'");
        search::findByNameAsTyped(c.db, QStringLiteral("к"));
        state.ResumeTiming();
    }
    state.counters["rows"] = double(rows);
}
BENCHMARK(BM_FirstKeystrokeAfterAdding)
    ->Args({10000, 0})
    ->Args({30000, 0})
    ->Args({100000, 0})
    ->Args({100000, 1})
    ->Unit(benchmark::kMillisecond);

// "ка" typed after count recipes were deleted at once (a section with its contents).
void BM_FirstKeystrokeAfterDeleting(benchmark::State& state) {
    Copy c;
    const int count = int(state.range(0));
    addRecipes(c.db, count);
    search::findByNameAsTyped(c.db, QStringLiteral("к"));
    size_t rows = 0;
    for (auto _ : state) {
        state.PauseTiming();
        c.db.exec("DELETE FROM Recipes WHERE Name LIKE 'Пирог новый %'");
        state.ResumeTiming();
        rows = search::findByNameAsTyped(c.db, QStringLiteral("ка")).size();
        state.PauseTiming();
        addRecipes(c.db, count);
        search::findByNameAsTyped(c.db, QStringLiteral("к"));
        state.ResumeTiming();
    }
    state.counters["rows"] = double(rows);
}
BENCHMARK(BM_FirstKeystrokeAfterDeleting)
    ->Arg(10000)
    ->Arg(30000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond);

} // namespace
