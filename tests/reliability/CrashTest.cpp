#include "support/TestDb.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QThread>
#include <gtest/gtest.h>
#include <signal.h>

namespace {

QString integrity(const QString& path) {
    Database db;
    db.open(path, Database::OpenMode::Existing);
    return textOf(db, "PRAGMA integrity_check");
}

qint64 count(const QString& path, SqlText sql) {
    Database db;
    db.open(path, Database::OpenMode::Existing);
    return number(db, sql);
}

// Starts a program and kills it outright after the given time.
void killAfter(const QString& program, const QStringList& args, int ms) {
    QProcess p;
    p.start(program, args);
    ASSERT_TRUE(p.waitForStarted(10000));
    QThread::msleep(ulong(ms));
    ::kill(pid_t(p.processId()), SIGKILL);
    p.waitForFinished(10000);
}

} // namespace

TEST(CrashSafety, AKilledImportStoresAllOfTheFileOrNone) {
    TestDb t;
    t.addRecipe("Было до импорта");
    // A file that takes the tool a good while to read.
    QByteArray file = "Ovelta 2.01\r\nCATALOG=Большой\r\n";
    for (int i = 0; i < 4000; ++i) {
        file += "RECIPE=R" + QByteArray::number(i) + "\r\n";
        for (int j = 0; j < 10; ++j)
            file += "INGREDIENT=P" + QByteArray::number((i * 7 + j) % 900) +
                    "\r\nQUANTITY=1\r\nUNIT=g\r\n~INGREDIENT\r\n";
        file += "text\r\n~RECIPE\r\n";
    }
    file += "~CATALOG\r\n";
    const QString path = t.dir() + "/big.ovl";
    writeFile(path, file);
    t.db.close();

    // How long a whole import takes here, to kill it early, half-way and near the end.
    QElapsedTimer timer;
    {
        TestDb probe;
        probe.db.close();
        timer.start();
        QProcess p;
        p.start(QStringLiteral(OVELTA_DB_TOOL), {"import", "--db", probe.path(), path});
        ASSERT_TRUE(p.waitForFinished(60000));
        ASSERT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    }
    const int whole = int(timer.elapsed());
    qint64 recipes = 1;
    for (int ms : {whole / 10, whole / 2, whole * 9 / 10, whole / 3}) {
        killAfter(QStringLiteral(OVELTA_DB_TOOL), {"import", "--db", t.path(), path}, ms);
        EXPECT_EQ(integrity(t.path()), "ok") << "killed after " << ms << " ms";
        const qint64 now = count(t.path(), "SELECT count(*) FROM Recipes");
        EXPECT_TRUE(now == recipes || now == recipes + 4000) << now << " after " << ms << " ms";
        EXPECT_EQ(count(t.path(), "SELECT count(*) FROM Ingredients"), (now - 1) * 10);
        recipes = now;
    }
}
