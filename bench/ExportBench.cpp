#include "ExportBench.h"

#include "data/Database.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// The peak resident size, in MB, of one run of the tool.
double childPeakMb(const QStringList& args) {
    const QByteArray tool =
        (QCoreApplication::applicationDirPath() + QStringLiteral("/ovelta-db")).toLocal8Bit();
    std::vector<QByteArray> owned;
    for (const QString& a : args)
        owned.push_back(a.toLocal8Bit());
    std::vector<char*> argv{const_cast<char*>(tool.constData())};
    for (QByteArray& a : owned)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    const pid_t pid = fork();
    if (pid == 0) {
        execv(tool.constData(), argv.data());
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    return double(usage.ru_maxrss) / 1024;
}

} // namespace

int exportOneSectionMemory(const QString& collection) {
    QTemporaryDir dir;
    const QString copy = dir.filePath(QStringLiteral("data.db"));
    if (!QFile::copy(collection, copy)) {
        std::fprintf(stderr, "cannot copy %s\n", qPrintable(collection));
        return 2;
    }
    // The same export in the collection's own shape first, for comparison.
    const double usual = childPeakMb({QStringLiteral("export"), QStringLiteral("--db"), copy,
                                      dir.filePath(QStringLiteral("usual.ovl"))});
    qint64 section = 0, empty = 0;
    {
        Database db;
        db.open(copy, Database::OpenMode::Existing);
        db.exec("INSERT INTO Catalog (Parent, Name) VALUES (0, 'Все рецепты')");
        section = db.lastInsertRowId();
        db.exec("INSERT INTO Catalog (Parent, Name) VALUES (0, 'Пусто')");
        empty = db.lastInsertRowId();
        db.exec("UPDATE Recipes SET Catalog=?", {section});
    }
    const QString out = dir.filePath(QStringLiteral("out.ovl"));
    const double idle = childPeakMb({QStringLiteral("export"), QStringLiteral("--db"), copy,
                                     QStringLiteral("--section"), QString::number(empty),
                                     dir.filePath(QStringLiteral("empty.ovl"))});
    const double peak = childPeakMb({QStringLiteral("export"), QStringLiteral("--db"), copy,
                                     QStringLiteral("--section"), QString::number(section), out});
    // The file's pages that the engine maps count in the peak too, whatever the shape.
    std::printf("export of one section holding every recipe: peak %.1f MB (the whole collection "
                "in its own shape: %.1f MB; the tool idle: %.1f MB), file %.1f MB\n",
                peak, usual, idle, double(QFile(out).size()) / 1048576);
    return peak <= usual + 10 ? 0 : 1;
}
