#include "data/Records.h"
#include "data/Schema.h"
#include "recipes/RecipeDocument.h"
#include "support/TestDb.h"

#include <QProcess>
#include <gtest/gtest.h>

namespace {

struct ToolRun {
    int exitCode;
    QString out;
    QString err;
};

ToolRun runTool(const QStringList& args) {
    QProcess p;
    p.start(QStringLiteral(OVELTA_DB_TOOL), args);
    p.waitForFinished(30000);
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}

} // namespace

TEST(OveltaDb, CreatesCollectionsAtEachVersionAndNeverOverwrites) {
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("data.db"));
    ToolRun r = runTool({QStringLiteral("create"), file});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    {
        Database db;
        db.open(file, Database::OpenMode::Existing);
        EXPECT_EQ(schema::missingTables(db), QStringList());
        EXPECT_TRUE(db.hasTable(QStringLiteral("Menu")));
        EXPECT_EQ(schema::upgrade(db).to, QStringLiteral("3.01"));
        CRecipesset recipes(db);
        EXPECT_EQ(recipes.count(), 0);
    }

    const QByteArray before = fileBytes(file);
    r = runTool({QStringLiteral("create"), file});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains(QStringLiteral("уже существует"))) << r.err.toStdString();
    EXPECT_EQ(fileBytes(file), before);

    const QString old = dir.filePath(QStringLiteral("old.db"));
    r = runTool(
        {QStringLiteral("create"), QStringLiteral("--version"), QStringLiteral("1.01"), old});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    {
        Database db;
        db.open(old, Database::OpenMode::Existing);
        EXPECT_FALSE(db.hasTable(QStringLiteral("Menu")));
        EXPECT_EQ(schema::upgrade(db).from, QStringLiteral("1.01"));
    }
}

TEST(OveltaDb, ExplainsBadUsage) {
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("x.db"));
    ToolRun r = runTool(
        {QStringLiteral("create"), QStringLiteral("--version"), QStringLiteral("5.0"), file});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_TRUE(r.err.contains(QStringLiteral("5.0")));
    EXPECT_FALSE(QFile::exists(file));
    EXPECT_EQ(runTool({}).exitCode, 2);
    EXPECT_EQ(runTool({QStringLiteral("frobnicate")}).exitCode, 2);
    EXPECT_EQ(runTool({QStringLiteral("create")}).exitCode, 2);
    r = runTool({QStringLiteral("--help")});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_TRUE(r.out.contains(QStringLiteral("create")));
    r = runTool({QStringLiteral("create"), dir.filePath(QStringLiteral("no/such/dir/x.db"))});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_FALSE(r.err.isEmpty());
}

TEST(OveltaDb, WritesARecipeDocument) {
    TestDb t;
    int r = t.addRecipe(QStringLiteral("Блины"), 0, QStringLiteral("Жарить"));
    t.db.close();
    const QString out = t.dir() + QStringLiteral("/blini.rtf");
    ToolRun run =
        runTool({QStringLiteral("rtf"), QStringLiteral("--db"), t.path(), QString::number(r), out});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    Database db;
    db.open(t.path(), Database::OpenMode::Existing);
    EXPECT_EQ(fileBytes(out), recipeRtf(db, r));
    EXPECT_TRUE(fileBytes(out).startsWith("{\\rtf0\\ansi"));

    QProcess p; // standard output, database found in the working directory
    p.setWorkingDirectory(t.dir());
    p.start(QStringLiteral(OVELTA_DB_TOOL), {QStringLiteral("rtf"), QString::number(r)});
    ASSERT_TRUE(p.waitForFinished(30000));
    EXPECT_EQ(p.exitCode(), 0);
    EXPECT_EQ(p.readAllStandardOutput(), recipeRtf(db, r));

    run = runTool({QStringLiteral("rtf"), QStringLiteral("--db"), t.path(), QStringLiteral("999"),
                   out + QStringLiteral(".2")});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains(QStringLiteral("999")));
    EXPECT_FALSE(QFile::exists(out + QStringLiteral(".2")));
    EXPECT_EQ(
        runTool({QStringLiteral("rtf"), QStringLiteral("--db"), t.path(), QStringLiteral("abc")})
            .exitCode,
        2);
    EXPECT_EQ(runTool({QStringLiteral("rtf"), QStringLiteral("--db"),
                       t.dir() + QStringLiteral("/none.db"), QStringLiteral("1")})
                  .exitCode,
              1);
}
