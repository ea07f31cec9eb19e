// A backup of the whole collection, the check every start-up makes, and the trash.

#include "BenchFixture.h"
#include "backup/Backups.h"
#include "data/Database.h"
#include "trash/TrashStore.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

void BM_BackupWholeCollection(benchmark::State& state) {
    const QString collection = benchCollection().path;
    for (auto _ : state) {
        const QString made = backup::make(collection);
        state.PauseTiming();
        QFile::remove(made);
        state.ResumeTiming();
    }
    QDir(backup::folderFor(collection)).removeRecursively();
}
BENCHMARK(BM_BackupWholeCollection)->Unit(benchmark::kMillisecond)->Iterations(3);

// The engine's quick check over the connection the program opens. Start-up waits for it on
// files up to 64 MB (L); a larger one (XL) is checked on a thread of its own once the
// window shows, so this row on XL is no time anybody waits.
void BM_StartupQuickCheck(benchmark::State& state) {
    Database db;
    db.open(benchCollection().path, Database::OpenMode::Existing);
    for (auto _ : state)
        benchmark::DoNotOptimize(backup::problemsOf(db, true));
}
BENCHMARK(BM_StartupQuickCheck)->Unit(benchmark::kMillisecond);

} // namespace

namespace {

// A section of 5,000 recipes with their lines, photos none, goes to the trash and comes back:
// each way one transaction of a few statements over sets, on a copy of the collection.
void BM_TrashSectionOf5000(benchmark::State& state) {
    QTemporaryDir dir;
    const QString copy = dir.filePath(QStringLiteral("data.db"));
    if (!QFile::copy(benchCollection().path, copy)) {
        state.SkipWithError("cannot copy the collection");
        return;
    }
    Database db;
    db.open(copy, Database::OpenMode::Existing);
    db.exec("INSERT INTO Catalog (Parent, Name) VALUES (0, 'Пять тысяч')");
    const qint64 section = db.lastInsertRowId();
    db.exec("UPDATE Recipes SET Catalog=? WHERE ID IN (SELECT ID FROM Recipes ORDER BY ID "
            "LIMIT 5000)",
            {section});
    double moveMs = 0, restoreMs = 0;
    for (auto _ : state) {
        QElapsedTimer clock;
        clock.start();
        const qint64 entry = trash::moveSection(db, int(section));
        moveMs += double(clock.nsecsElapsed()) / 1e6;
        clock.restart();
        trash::restore(db, entry);
        restoreMs += double(clock.nsecsElapsed()) / 1e6;
    }
    state.counters["delete_ms"] = moveMs / double(state.iterations());
    state.counters["restore_ms"] = restoreMs / double(state.iterations());
}
BENCHMARK(BM_TrashSectionOf5000)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace
