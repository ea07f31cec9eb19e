#include "app/CCookbookApp.h"
#include "backup/BackupCommands.h"
#include "backup/Backups.h"
#include "backup/FileSystem.h"
#include "support/TestDb.h"
#include "support/ToolRun.h"
#include "support/Widgets.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMainWindow>
#include <QProcess>
#include <QThread>
#include <atomic>
#include <csignal>
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <thread>

namespace {

// A collection big enough that copying it takes a while: recipes of exactly five lines.
void fill(Database& db, int recipes) {
    Transaction tx(db);
    db.exec("INSERT INTO Ingredient (Name) VALUES ('Мука'), ('Соль')");
    db.exec("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < ?) "
            "INSERT INTO Recipes (Catalog, Name, Recipe) SELECT 0, 'Рецепт ' || i, "
            "printf('%.*c', 400, 'x') FROM n",
            {qint64(recipes)});
    db.exec("INSERT INTO Ingredients (Recipe, Ingredient, Quantity, Unit, Have) "
            "SELECT r.ID, 1 + (k % 2), k, 0, 0 FROM Recipes r, "
            "(SELECT 1 AS k UNION SELECT 2 UNION SELECT 3 UNION SELECT 4 UNION SELECT 5)");
    tx.commit();
}

// What a file says of itself: "ok" when whole, and its recipes and lines. Opened for writing
// as the program opens it, so that a journal left by a stopped write is rolled back first.
QString stateOf(const QString& file) {
    sqlite3* db = nullptr;
    QString out;
    if (sqlite3_open_v2(QFile::encodeName(file).constData(), &db, SQLITE_OPEN_READWRITE, nullptr) ==
        SQLITE_OK) {
        for (const char* sql : {"PRAGMA integrity_check", "SELECT count(*) FROM Recipes",
                                "SELECT count(*) FROM Ingredients"}) {
            sqlite3_stmt* st = nullptr;
            if (sqlite3_prepare_v2(db, sql, -1, &st, nullptr) == SQLITE_OK &&
                sqlite3_step(st) == SQLITE_ROW)
                out += QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
            else
                out += QStringLiteral("?(%1 %2)")
                           .arg(QString::fromUtf8(sqlite3_errmsg(db)))
                           .arg(sqlite3_extended_errcode(db));
            out += QLatin1Char(' ');
            sqlite3_finalize(st);
        }
    }
    sqlite3_close(db);
    return out.trimmed();
}

// Starts the tool and kills it outright after the given time.
void killAfter(const QStringList& args, int ms) {
    QProcess p;
    p.start(QStringLiteral(OVELTA_DB_TOOL), args);
    p.waitForStarted();
    QThread::msleep(ulong(ms));
    ::kill(pid_t(p.processId()), SIGKILL);
    p.waitForFinished();
}

int msFor(const QStringList& args) {
    QElapsedTimer clock;
    clock.start();
    runTool(args);
    return int(clock.elapsed());
}

} // namespace

TEST(Backup, CopiesAreListedNewestFirstAndThinnedToTenAndOneAWeek) {
    TestDb t;
    t.recipe("Борщ");
    const QString first = backup::make(t.db);
    t.recipe("Щи");
    const QString second = backup::make(t.db);
    const std::vector<backup::Backup> all = backup::list(t.path());
    ASSERT_EQ(all.size(), 2u);
    EXPECT_EQ(all[0].path, second);
    EXPECT_EQ(all[0].recipes, 2);
    EXPECT_EQ(all[1].recipes, 1);
    EXPECT_GT(all[0].bytes, 0);
    EXPECT_EQ(backup::problemsOf(second), QString());

    // Backups of the last twenty days, two a day, and of half a year ago.
    const QString sample = t.dir() + "/sample.db";
    ASSERT_TRUE(QFile::copy(second, sample));
    QDir folder(backup::folderFor(t.path()));
    for (const QString& f : folder.entryList(QDir::Files))
        folder.remove(f);
    const QDateTime now(QDate(2026, 12, 9), QTime(20, 0));
    QStringList made;
    for (int day = 0; day < 20; ++day)
        for (int hour : {9, 18}) {
            const QDateTime when = now.addDays(-day).addSecs((hour - 20) * 3600);
            const QString name = "ovelta-" + when.toString("yyyyMMdd-HHmmss-zzz") + ".db";
            ASSERT_TRUE(QFile::copy(sample, folder.filePath(name)));
            made << name;
        }
    ASSERT_TRUE(QFile::copy(sample, folder.filePath("ovelta-20260601-120000-000.db")));
    // A half-written copy from a program that was stopped: an hour old, it goes.
    QFile partial(folder.filePath(".partial-20261201-100000-000.db"));
    ASSERT_TRUE(partial.open(QIODevice::WriteOnly));
    ASSERT_TRUE(partial.setFileTime(now.addDays(-8), QFileDevice::FileModificationTime));
    partial.close();
    backup::thinOut(t.path(), now);
    const QStringList kept =
        folder.entryList(QDir::Files | QDir::Hidden, QDir::Name | QDir::Reversed);
    // The ten newest (the last five days), then the newest left of each week: days 5, 7, 14.
    QStringList expected = made.mid(0, 10);
    expected << made[11] << made[15] << made[29];
    std::sort(expected.begin(), expected.end(), std::greater<>());
    EXPECT_EQ(kept, expected);
}

TEST(Backup, ACopyMadeWhileAnotherConnectionWritesIsWhole) {
    TestDb t;
    fill(t.db, 3000);
    std::atomic<bool> stop{false};
    std::thread writer([&] {
        Database other;
        other.open(t.path(), Database::OpenMode::Existing);
        while (!stop) {
            Transaction tx(other);
            other.exec("INSERT INTO Recipes (Catalog, Name, Recipe) VALUES (0, 'Ещё', '')");
            const qint64 id = other.lastInsertRowId();
            for (int k = 1; k <= 5; ++k)
                other.exec("INSERT INTO Ingredients (Recipe, Ingredient, Quantity, Unit, Have) "
                           "VALUES (?, 1, ?, 0, 0)",
                           {id, qint64(k)});
            tx.commit();
        }
    });
    std::vector<QString> copies;
    for (int i = 0; i < 3; ++i)
        copies.push_back(backup::make(t.path()));
    stop = true;
    writer.join();
    for (const QString& copy : copies) {
        const QStringList state = stateOf(copy).split(' ');
        ASSERT_EQ(state.size(), 3);
        EXPECT_EQ(state[0], "ok");
        EXPECT_GE(state[1].toInt(), 3000);
        EXPECT_EQ(state[2].toInt(), state[1].toInt() * 5) << "lines and recipes disagree";
    }
}

TEST(Backup, AStoppedBackupLeavesTheCollectionWholeAndNoHalfCopyListed) {
    TestDb t;
    fill(t.db, 20000);
    const QString before = stateOf(t.path());
    t.db.close();
    const QStringList args{"backup", "--db", t.path()};
    const int whole = std::max(20, msFor(args));
    for (QFile::remove(backup::list(t.path()).front().path); int percent : {10, 40, 70, 95})
        killAfter(args, whole * percent / 100);
    EXPECT_EQ(stateOf(t.path()), before);
    for (const backup::Backup& b : backup::list(t.path()))
        EXPECT_EQ(stateOf(b.path), before)
            << "a listed backup is not whole: " << b.path.toStdString();
}

TEST(Backup, RestoreIsAllOrNothingEvenWhenStopped) {
    TestDb t;
    fill(t.db, 20000);
    const QString bigger = stateOf(t.path());
    backup::make(t.db);
    t.db.exec("DELETE FROM Ingredients WHERE Recipe > 100");
    t.db.exec("DELETE FROM Recipes WHERE ID > 100");
    const QString smaller = stateOf(t.path());
    t.db.close();
    const QString backupPath = backup::list(t.path()).front().path;
    const QStringList args{"restore", "--db", t.path(), backupPath};
    for (int ms : {5, 30, 80, 150, 300}) {
        killAfter(args, ms);
        const QString now = stateOf(t.path());
        EXPECT_TRUE(now == smaller || now == bigger)
            << "killed after " << ms << " ms: " << now.toStdString();
        if (now == bigger)
            break;
    }
    // Run to its end, it gives the backup and keeps what it replaced (the smaller
    // collection, or the bigger one when a killed run had already finished).
    const QString replaced = stateOf(t.path());
    const size_t before = backup::list(t.path()).size();
    const ToolRun restored = runTool({"restore", "--db", t.path(), backupPath});
    ASSERT_EQ(restored.exitCode, 0) << restored.err.toStdString();
    EXPECT_EQ(stateOf(t.path()), bigger);
    // The collection it replaced is kept as the newest backup.
    const std::vector<backup::Backup> after = backup::list(t.path());
    ASSERT_EQ(after.size(), before + 1);
    EXPECT_EQ(stateOf(after.front().path), replaced);
}

TEST(Backup, DamagedBackupsAndFullDisksChangeNothing) {
    TestDb t;
    t.recipe("Борщ");
    const QString good = backup::make(t.db);
    t.recipe("Щи");
    // A backup with pages overwritten in the middle is refused before anything happens.
    const QString broken = backup::folderFor(t.path()) + "/ovelta-20200101-000000-000.db";
    ASSERT_TRUE(QFile::copy(good, broken));
    {
        QFile f(broken);
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        // Everything after the first page: the tables' pages are gone, their names stay.
        const qint64 size = f.size();
        f.seek(4096);
        f.write(QByteArray(size - 4096, '\x5a'));
    }
    EXPECT_THROW(backup::restore(t.db, broken), backup::BackupError);
    EXPECT_EQ(number(t.db, "SELECT count(*) FROM Recipes"), 2);
    EXPECT_EQ(backup::list(t.path()).size(), 2u) << "a refused restore makes no backup either";
    ToolRun run = runTool({"restore", "--db", t.path(), broken});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains("восстановить нельзя")) << run.err.toStdString();
    EXPECT_EQ(runTool({"restore", "--db", t.path(), "7"}).exitCode, 1);
    EXPECT_EQ(runTool({"restore", "--db", t.path()}).exitCode, 1);
    run = runTool({"check", "--db", broken});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains("повреждена")) << run.err.toStdString();

    // The disk fills up half-way through a copy: no copy is listed, none is left behind.
    const size_t listed = backup::list(t.path()).size();
    backup::setStepHookForTests(
        [](int) { throw backup::BackupError("На диске не хватает места для резервной копии."); });
    EXPECT_THROW(backup::make(t.db), backup::BackupError);
    backup::setStepHookForTests({});
    EXPECT_EQ(backup::list(t.path()).size(), listed);
    EXPECT_EQ(
        QDir(backup::folderFor(t.path())).entryList({".partial*"}, QDir::Files | QDir::Hidden),
        QStringList());
    // The same from a real file-size limit, in a process of its own.
    QProcess p;
    p.start("/bin/sh", {"-c", "trap '' XFSZ; ulimit -f 8; exec \"$0\" \"$@\"",
                        QStringLiteral(OVELTA_DB_TOOL), "backup", "--db", t.path()});
    p.waitForFinished(30000);
    EXPECT_EQ(p.exitCode(), 1);
    EXPECT_TRUE(
        QString::fromUtf8(p.readAllStandardError()).contains("резервн", Qt::CaseInsensitive));
    EXPECT_EQ(backup::list(t.path()).size(), listed);
    EXPECT_EQ(number(t.db, "SELECT count(*) FROM Recipes"), 2);

    // In the window: a warning, and the import waits for the user's word.
    backup::setStepHookForTests(
        [](int) { throw backup::BackupError("На диске не хватает места для резервной копии."); });
    Prompts::setNextAnswer(Prompts::No);
    EXPECT_FALSE(backupBefore(t.db, nullptr, "Импортировать"));
    backup::setStepHookForTests({});
    EXPECT_EQ(lastMessage(), "На диске не хватает места для резервной копии. Коллекция не "
                             "тронута.\n\nИмпортировать без резервной копии?");
    EXPECT_EQ(runTool({"check", "--db", t.path()}).exitCode, 0);
}

TEST(Backup, AFailureIsToldByWhatStoppedIt) {
    EXPECT_EQ(backup::failureText(SQLITE_FULL, "database or disk is full"),
              "На диске не хватает места для резервной копии.");
    EXPECT_EQ(backup::failureText(SQLITE_IOERR_WRITE, "Permission denied"),
              "Резервную копию не удалось записать: Permission denied.");
    EXPECT_EQ(backup::failureText(SQLITE_CANTOPEN, "unable to open"),
              "Резервную копию не удалось записать: unable to open.");
    EXPECT_EQ(backup::failureText(SQLITE_CORRUPT, "malformed"),
              "Резервная копия не сделана: malformed.");
}

TEST(Backup, ADamagedCollectionAtStartUpIsOfferedItsNewestGoodBackup) {
    TestDb t;
    t.recipe("Борщ");
    backup::make(t.db);
    t.db.close();
    {
        QFile f(t.path());
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        f.seek(4096 * 2 + 10);
        f.write(QByteArray(4096, '\x33'));
    }
    const QByteArray damaged = [&] {
        QFile f(t.path());
        f.open(QIODevice::ReadOnly);
        return f.readAll();
    }();
    {
        // "Отмена": nothing opens, nothing is written.
        Prompts::setNextAnswer(Prompts::Cancel);
        CCookbookApp app(t.path());
        EXPECT_FALSE(app.initInstance());
        EXPECT_TRUE(lastMessage().contains("повреждён")) << lastMessage().toStdString();
        QFile f(t.path());
        f.open(QIODevice::ReadOnly);
        EXPECT_EQ(f.readAll(), damaged);
    }
    Prompts::setNextAnswer(Prompts::Yes);
    CCookbookApp app(t.path());
    ASSERT_TRUE(app.initInstance());
    EXPECT_EQ(backup::problemsOf(t.path()), QString());
    const QStringList aside = QDir(t.dir()).entryList({"data.db.повреждён-*"}, QDir::Files);
    ASSERT_EQ(aside.size(), 1);
    QFile kept(QDir(t.dir()).filePath(aside[0]));
    kept.open(QIODevice::ReadOnly);
    EXPECT_EQ(kept.readAll(), damaged);
}

TEST(Backup, ACollectionInASyncedFolderIsWarnedAboutOnce) {
    QTemporaryDir home;
    EXPECT_EQ(backup::riskOf(home.filePath("data.db")), backup::Risk::None);
    QDir(home.path()).mkpath("Dropbox/Рецепты");
    EXPECT_EQ(backup::riskOf(home.filePath("Dropbox/Рецепты/data.db")), backup::Risk::Synced);
    QDir(home.path()).mkpath("Общее/кухня");
    QFile mark(home.filePath("Общее/.stfolder"));
    ASSERT_TRUE(mark.open(QIODevice::WriteOnly));
    mark.close();
    EXPECT_EQ(backup::riskOf(home.filePath("Общее/кухня/data.db")), backup::Risk::Synced);
    EXPECT_TRUE(backup::riskText(backup::Risk::Network).contains("Экспорт"));

    const QString file = home.filePath("Dropbox/Рецепты/data.db");
    {
        TestDb t;
        ASSERT_TRUE(QFile::copy(t.path(), file));
    }
    for (int start = 0; start < 2; ++start) {
        Prompts::clear();
        CCookbookApp app(file);
        ASSERT_TRUE(app.initInstance());
        if (start == 0)
            EXPECT_TRUE(lastMessage().contains("синхронизирует")) << lastMessage().toStdString();
        else
            EXPECT_EQ(lastMessage(), QString()) << "said again";
    }
}

// A large file is checked once the window shows; the damage is said when the check ends.
TEST(Backup, ABigFilesCheckRunsBesideTheWindowAndSaysWhatItFound) {
    TestDb t;
    fill(t.db, 2000);
    const QString path = t.path();
    t.db.close();
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        f.seek(f.size() / 2);
        f.write(QByteArray(64 * 1024, '\x41'));
    }
    Database db;
    db.open(path, Database::OpenMode::Existing);
    QMainWindow window;
    BackupCommands commands(db, &window);
    Prompts::clear();
    Prompts::setNextAnswer(Prompts::No);
    commands.checkInBackground();
    QElapsedTimer clock;
    clock.start();
    while (Prompts::shown().empty() && clock.elapsed() < 10000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    EXPECT_TRUE(lastMessage().startsWith("Файл коллекции повреждён"))
        << lastMessage().toStdString();
}
