#include "IntakeBench.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <sys/resource.h>
#include <vector>

namespace {

double childrenCpuMs() {
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    auto ms = [](const timeval& t) { return double(t.tv_sec) * 1e3 + double(t.tv_usec) / 1e3; };
    return ms(usage.ru_utime) + ms(usage.ru_stime);
}

bool run(const QString& program, const QStringList& args) {
    QProcess p;
    p.start(program, args);
    return p.waitForFinished(60000) && p.exitStatus() == QProcess::NormalExit;
}

} // namespace

int intakeCpu(const QStringList& dirs) {
    const QString tool = QCoreApplication::applicationDirPath() + QStringLiteral("/ovelta-db");
    QTemporaryDir temp;
    const QString db = temp.filePath(QStringLiteral("data.db"));
    if (!run(tool, {QStringLiteral("create"), QStringLiteral("--sample"), db})) {
        std::fprintf(stderr, "cannot run %s\n", qPrintable(tool));
        return 2;
    }
    std::vector<double> costs;
    for (const QString& dir : dirs)
        for (const QFileInfo& page :
             QDir(dir).entryInfoList({QStringLiteral("*.html")}, QDir::Files, QDir::Name)) {
            const double before = childrenCpuMs();
            run(tool,
                {QStringLiteral("import-recipe"), QStringLiteral("--db"), db, page.filePath()});
            costs.push_back(childrenCpuMs() - before);
        }
    if (costs.empty()) {
        std::fprintf(stderr, "no pages\n");
        return 2;
    }
    std::sort(costs.begin(), costs.end());
    auto at = [&costs](double share) {
        return costs[std::min(costs.size() - 1, size_t(share * double(costs.size())))];
    };
    std::printf("import-recipe CPU over %zu pages: median %.0f ms, p90 %.0f ms (target 150), "
                "worst %.0f ms\n",
                costs.size(), at(0.5), at(0.9), costs.back());
    return at(0.9) <= 150 ? 0 : 1;
}
