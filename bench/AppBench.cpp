// Start-up to the painted window and peak memory, each in a process of its own.

#include "BenchFixture.h"
#include "app/CCookbookApp.h"
#include "app/CMainFrame.h"
#include "catalog/CCatalogView.h"
#include "exchange/ExchangeFormat.h"
#include "exchange/ExchangeStore.h"
#include "search/SearchCommands.h"
#include "search/TextIndex.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <functional>
#include <sys/resource.h>

double startOnce(const QString& path) {
    QElapsedTimer timer;
    timer.start();
    CCookbookApp app(path);
    if (!app.initInstance())
        return -1;
    app.mainWindow()->repaint();
    QApplication::processEvents();
    return double(timer.nsecsElapsed()) / 1e6;
}

// One start-up in a process of its own, as the user's is, in milliseconds (-1: failed).
// Start-ups repeated in one process inherit the heap that the previous one freed, which
// a real start never meets: the thread that reads the tree ahead pays for it.
double startInOwnProcess(const QString& path) {
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--startup-once"), path});
    if (!child.waitForFinished(60000) || child.exitCode() != 0)
        return -1;
    bool ok = false;
    const double ms = QString::fromLatin1(child.readAllStandardOutput()).trimmed().toDouble(&ok);
    return ok ? ms : -1;
}

void BM_StartupToPaintedWindow(benchmark::State& state) {
    for (auto _ : state) {
        const double ms = startInOwnProcess(collectionFor(state));
        if (ms < 0) {
            state.SkipWithError("start-up failed");
            break;
        }
        state.SetIterationTime(ms / 1000);
    }
}
BENCHMARK(BM_StartupToPaintedWindow)
    ->Arg(0)
    ->Arg(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// The process's peak resident memory in kilobytes since the last reset, or -1 where the
// system does not tell it.
qint64 peakKb() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    return -1;
}

// Telling whether 24 MB of Cyrillic UTF-8 is UTF-8 must not decode a copy of it: the peak
// grows by less than 8 MB.
void encodingCheckMemory() {
    const QByteArray bytes = QByteArray("Ovelta 2.01\r\nRECIPE=") +
                             QStringLiteral("Щи\r\n").toUtf8().repeated(4 * 1024 * 1024);
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (!clear.open(QIODevice::WriteOnly) || clear.write("5") != 1 || peakKb() < 0)
        return;
    clear.close();
    const qint64 before = peakKb();
    exchange::Lines lines(bytes);
    const bool utf8 = lines.isUtf8();
    std::printf("peak memory added by telling the encoding of 24 MB: %.1f MB (%s, target < 8)\n",
                double(peakKb() - before) / 1024, utf8 ? "UTF-8" : "not UTF-8?");
}

// Opens a collection as the program does, expands every section of the tree, and reports
// the peak memory of the whole process. Run on a collection made by ovelta-generate, so
// that making it does not count.
int peakMemory(const QString& path) {
    encodingCheckMemory();
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

// The first start of a collection never indexed for the search in the texts (generated,
// imported, or of an older version), on a copy: the window, then the index built beside
// it, and how much the building adds to the memory the window itself took.
int firstStartWithoutIndex(const QString& path) {
    QTemporaryDir dir;
    const QString copy = dir.filePath(QStringLiteral("data.db"));
    if (!QFile::copy(path, copy))
        return 1;
    QElapsedTimer clock;
    clock.start();
    CCookbookApp app(copy);
    if (!app.initInstance())
        return 1;
    app.mainWindow()->repaint();
    QApplication::processEvents();
    const double windowMs = double(clock.nsecsElapsed()) / 1e6;
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const double windowMb = double(usage.ru_maxrss) / 1024;
    clock.restart();
    // A large file is indexed once the check beside the window finds it whole.
    SearchCommands* search = app.mainWindow()->searchCommands();
    Database& db = app.mainWindow()->database();
    while (search->textIndexBuilding() || search::textIndexBacklog(db) > 0) {
        QApplication::processEvents(QEventLoop::AllEvents, 50);
        if (clock.elapsed() > 600000)
            return 1;
    }
    const double buildS = double(clock.nsecsElapsed()) / 1e9;
    getrusage(RUSAGE_SELF, &usage);
    const double peakMb = double(usage.ru_maxrss) / 1024;
    std::printf("first start without a text index: window %.0f ms; index built beside it in "
                "%.1f s; peak %.1f MB, %.1f MB above the window's (target 50)\n",
                windowMs, buildS, peakMb, peakMb - windowMb);
    return 0;
}

// Start-up to the painted window on a collection made beforehand (ovelta-generate), the
// best of twenty: for XL without generating it in the run.
int startupTime(const QString& path) {
    double best = -1;
    for (int i = 0; i < 20; ++i) {
        const double ms = startInOwnProcess(path);
        if (ms < 0)
            return 1;
        if (best < 0 || ms < best)
            best = ms;
    }
    std::printf("start-up to the painted window: %.1f ms\n", best);
    return 0;
}
