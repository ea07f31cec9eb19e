#include "app/CCookbookApp.h"
#include "exchange/ExchangeStore.h"
#include "recipes/RtfText.h"
#include "support/ImportFailure.h"
#include "support/RecordingProgress.h"
#include "support/TestDb.h"
#include "support/Widgets.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <algorithm>
#include <sys/stat.h>

namespace {

// Bytes of every value in no useful order, NUL and line ends among them.
QByteArray noise(qsizetype size) {
    QByteArray block(251, '\0');
    for (int i = 0; i < block.size(); ++i)
        block[i] = char((i * 7919) % 251);
    return block.repeated(int(size / block.size()) + 1).left(size);
}

} // namespace

TEST(Hostile, TwoCopiesOnOneCollection) {
    TestDb t;
    t.db.close();
    CCookbookApp first(t.path());
    ASSERT_TRUE(first.initInstance());
    {
        CCookbookApp second(t.path());
        EXPECT_FALSE(second.initInstance());
        EXPECT_EQ(second.mainWindow(), nullptr);
        EXPECT_TRUE(lastMessage().contains("уже открыта другой копией"))
            << lastMessage().toStdString();
    }
    // The companion tool meets the first copy's unfinished work: it waits briefly, then
    // says so in Russian, and the first copy's work is not touched.
    Transaction visit(first.database());
    first.database().exec("INSERT INTO Recipes (Name) VALUES ('пишется')");
    writeFile(t.dir() + "/one.ovl", "Ovelta 2.01\r\nRECIPE=Чужой\r\n~RECIPE\r\n");
    QProcess tool;
    QElapsedTimer timer;
    timer.start();
    tool.start(QStringLiteral(OVELTA_DB_TOOL), {"import", "--db", t.path(), t.dir() + "/one.ovl"});
    ASSERT_TRUE(tool.waitForFinished(30000));
    EXPECT_EQ(tool.exitCode(), 1);
    EXPECT_GE(timer.elapsed(), 2000);
    EXPECT_TRUE(QString::fromUtf8(tool.readAllStandardError()).contains("занята"));
    visit.commit();
    EXPECT_EQ(number(first.database(), "SELECT count(*) FROM Recipes"), 1);
}

TEST(Hostile, BadExchangeFilesEndInAMessageAndStoreNothing) {
    TestDb t;
    t.addRecipe("Своё");
    NoProgress quiet;
    auto refusal = [&](const QString& path) {
        return failureOf([&] { exchange::importFile(t.db, path, quiet); }).section(':', 0, 0);
    };
    const QString dir = t.dir();
    writeFile(dir + "/garbage.ovl", noise(100000));
    EXPECT_EQ(refusal(dir + "/garbage.ovl"), "format 1");
    // Reading a pipe or /dev/zero would never end, nor a file over the limit (sparse here, so
    // it takes no disk) in any sensible time: each is refused unread.
    ASSERT_EQ(::mkfifo(QFile::encodeName(dir + "/pipe.ovl").constData(), 0600), 0);
    QFile huge(dir + "/huge.ovl");
    ASSERT_TRUE(huge.open(QIODevice::WriteOnly) && huge.write("Ovelta 2.01\r\n") > 0 &&
                huge.resize(exchange::kMaxImportBytes + 1));
    huge.close();
    for (const QString& path : {dir, dir + "/vanished.ovl", QStringLiteral("/dev/zero"),
                                dir + "/pipe.ovl", dir + "/huge.ovl"})
        EXPECT_EQ(refusal(path), "file 0") << path.toStdString();
    EXPECT_EQ(failureOf([&] { exchange::importFile(t.db, dir + "/huge.ovl", quiet); }),
              QStringLiteral("file 0: Не могу открыть файл huge.ovl: файл больше 1024 МБ, это не "
                             "файл обмена"));
    EXPECT_EQ(number(t.db, "SELECT count(*) FROM Recipes"), 1);

    // A line of a megabyte, and a name far over the column's limit: the line is named.
    const QByteArray megabyte(1 << 20, 'a');
    writeFile(dir + "/long.ovl", "Ovelta 2.01\r\nRECIPE=ok\r\n" + megabyte + "\r\n~RECIPE\r\n");
    // The description is stored where the recipe ends.
    EXPECT_TRUE(failureOf([&] {
                    exchange::importFile(t.db, dir + "/long.ovl", quiet);
                }).startsWith("data 4:"));
    writeFile(dir + "/longname.ovl", "Ovelta 2.01\r\nCATALOG=" + megabyte + "\r\n");
    EXPECT_TRUE(failureOf([&] {
                    exchange::importFile(t.db, dir + "/longname.ovl", quiet);
                }).startsWith("data 2:"));
    EXPECT_EQ(number(t.db, "SELECT count(*) FROM Catalog"), 0);
    EXPECT_EQ(number(t.db, "SELECT count(*) FROM Recipes"), 1);
}

// One large file, a hundred megabytes: all of it or nothing.
TEST(Hostile, AHundredMegabyteFileGoesInWholeOrNotAtAll) {
    TestDb t;
    t.addRecipe("Своё");
    const QString dir = t.dir();
    const qint64 hundredMegabytes = 100LL << 20;

    QByteArray recipe =
        rtf::toCp1251(QStringLiteral("RECIPE=Пирог\r\nINGREDIENT=Мука\r\nQUANTITY=200\r\n"
                                     "UNIT=г\r\n~INGREDIENT\r\n"));
    const QByteArray step = rtf::toCp1251("Замесить тесто и дать постоять. ");
    for (int i = 0; i < 10; ++i)
        recipe += step.repeated(30) + "\r\n";
    recipe += "~RECIPE\r\n";
    const int copies = int(hundredMegabytes / recipe.size()) + 1;
    const QByteArray body = "Ovelta 2.01\r\n" + rtf::toCp1251("CATALOG=Много\r\n") +
                            recipe.repeated(copies) + "~CATALOG\r\n";
    ASSERT_GE(body.size(), hundredMegabytes);

    // A name over the column's limit in the very last line: nothing of it stays.
    writeFile(dir + "/big.ovl", body + "CATALOG=" + QByteArray(70000, 'a') + "\r\n");
    NoProgress quiet;
    EXPECT_TRUE(failureOf([&] {
                    exchange::importFile(t.db, dir + "/big.ovl", quiet);
                }).startsWith(QStringLiteral("data %1:").arg(body.count('\n') + 1)));
    EXPECT_EQ(number(t.db, "SELECT count(*) FROM Recipes"), 1);
    EXPECT_EQ(number(t.db, "SELECT count(*) FROM Catalog"), 0);

    // Without that line it all goes in, the bar moving forward to the end.
    writeFile(dir + "/big.ovl", body);
    RecordingProgress progress;
    const exchange::ImportResult r = exchange::importFile(t.db, dir + "/big.ovl", progress);
    EXPECT_EQ(r.recipes, copies);
    EXPECT_EQ(number(t.db, "SELECT count(*) FROM Recipes"), copies + 1);
    EXPECT_EQ(number(t.db, "SELECT count(*) FROM Ingredients"), copies);
    EXPECT_EQ(progress.high, body.size());
    EXPECT_EQ(progress.last(), body.size());
    EXPECT_TRUE(std::is_sorted(progress.positions.begin(), progress.positions.end()));
    EXPECT_EQ(textOf(t.db, "PRAGMA integrity_check"), "ok");
}
