// Benchmarks of the targets the program is held to, on the generated collection L.
// Run: build/bin/ovelta-bench (QT_QPA_PLATFORM=offscreen is set when none is given).
// XL, ten times L (100,000 recipes, 1,000,000 lines): build/bin/ovelta-bench --xl, or
// OVELTA_BENCH_XL=1 in the environment.
// Peak memory: build/bin/ovelta-generate /tmp/L.db && build/bin/ovelta-bench --memory /tmp/L.db
// Intake CPU per page: build/bin/ovelta-bench --intake-cpu ../shared/corpus/pages-ru ...
// Export of one huge section: build/bin/ovelta-bench --export-one-section /tmp/XL.db
// The kitchen's two questions against the pass over the lines, on a collection already made
// (XL takes minutes to generate): build/bin/ovelta-bench --kitchen /tmp/XL.db

#include "BenchFixture.h"
#include "ExportBench.h"
#include "IntakeBench.h"
#include "app/CCookbookApp.h"

#include <QApplication>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    initOveltaResources();
    if (argc == 3 && std::strcmp(argv[1], "--memory") == 0)
        return peakMemory(QString::fromLocal8Bit(argv[2]));
    if (argc == 3 && std::strcmp(argv[1], "--startup-once") == 0) {
        const double ms = startOnce(QString::fromLocal8Bit(argv[2]));
        std::printf("%.3f\n", ms);
        return ms < 0 ? 1 : 0;
    }
    if (argc == 3 && std::strcmp(argv[1], "--export-one-section") == 0)
        return exportOneSectionMemory(QString::fromLocal8Bit(argv[2]));
    if (argc >= 3 && std::strcmp(argv[1], "--intake-cpu") == 0) {
        QStringList dirs;
        for (int i = 2; i < argc; ++i)
            dirs << QString::fromLocal8Bit(argv[i]);
        return intakeCpu(dirs);
    }
    if (argc == 3 && std::strcmp(argv[1], "--kitchen") == 0)
        return kitchenRatios(QString::fromLocal8Bit(argv[2]));
    if (argc == 3 && std::strcmp(argv[1], "--first-start") == 0)
        return firstStartWithoutIndex(QString::fromLocal8Bit(argv[2]));
    if (argc == 3 && std::strcmp(argv[1], "--startup") == 0)
        return startupTime(QString::fromLocal8Bit(argv[2]));
    if (argc >= 2 && std::strcmp(argv[1], "--xl") == 0) {
        setBenchScale(10);
        for (int i = 1; i + 1 < argc; ++i)
            argv[i] = argv[i + 1];
        --argc;
    }
    if (qEnvironmentVariableIntValue("OVELTA_BENCH_XL") != 0)
        setBenchScale(10);
    std::printf("Collection %s\n", benchScale() == 1 ? "L" : "XL");
    benchmark::Initialize(&argc, argv);
    benchCollection();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    exchangeFigures();
    return 0;
}
