// A backup of the whole collection, and the check every start-up makes.

#include "BenchFixture.h"
#include "backup/Backups.h"
#include "data/Database.h"

#include <QDir>
#include <QFile>
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
