#include "app/CCookbookApp.h"
#include "search/SearchStore.h"
#include "support/TestDb.h"
#include "support/Widgets.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <unistd.h>

TEST(Startup, MissingForeignOrIncompleteFileGivesOneMessageAndNoWindow) {
    QTemporaryDir dir;
    const QString path = dir.filePath("data.db");
    auto expectRefused = [&](const char* what, const QString& file) {
        Prompts::clear();
        CCookbookApp app(file);
        EXPECT_FALSE(app.initInstance()) << what;
        EXPECT_EQ(app.mainWindow(), nullptr) << what;
        ASSERT_EQ(Prompts::shown().size(), 1u) << what;
        // The message names the file, for a user who started the program from a menu.
        EXPECT_TRUE(lastShown().startsWith("Ошибка: Не могу подключиться к базе данных\n\n" + file))
            << lastShown().toStdString();
        EXPECT_EQ(Prompts::shown()[0].icon, Prompts::Icon::None);
    };

    expectRefused("missing", path);
    EXPECT_FALSE(QFile::exists(path)) << "a missing file must not be created";

    writeFile(path, "Блины: мука, молоко, яйца\n");
    const QByteArray text = fileBytes(path);
    expectRefused("not a database", path);
    EXPECT_EQ(fileBytes(path), text);

    QFile::remove(path);
    {
        Database db;
        db.open(path, Database::OpenMode::Create);
        db.execScript("CREATE TABLE Register (Name TEXT, Value TEXT)");
    }
    expectRefused("lacks the tables", path);
    QDir(dir.path()).mkdir("folder.db");
    expectRefused("a folder", dir.filePath("folder.db"));
    TestDb t;
    t.db.execScript("DROP VIEW IngredientUse");
    t.db.close();
    expectRefused("a view gone", t.path());
    TestDb ro;
    ro.db.close();
    QFile::setPermissions(ro.path(), QFileDevice::ReadOwner);
    if (::geteuid() != 0) // the administrator may write to anything
        expectRefused("read-only", ro.path());

    // A truncated file may open; then reading it must not crash, only fail politely.
    TestDb whole;
    for (int i = 0; i < 200; ++i)
        whole.addRecipe(QStringLiteral("Рецепт %1").arg(i), 0, QString(500, 'x'));
    whole.db.close();
    writeFile(path, fileBytes(whole.path()).chopped(fileBytes(whole.path()).size() * 2 / 3));
    Prompts::clear();
    CCookbookApp app(path);
    if (app.initInstance())
        EXPECT_THROW(search::findByName(app.database(), "Рецепт"), DbError);
    else
        EXPECT_FALSE(Prompts::shown().empty());
}

TEST(Startup, UpgradesOldFilesAndLeavesOthersByteForByte) {
    {
        TestDb t("1.01");
        t.db.close();
        CCookbookApp app(t.path());
        ASSERT_TRUE(app.initInstance());
        EXPECT_TRUE(app.mainWindow()->isVisible() && Prompts::shown().empty());
        EXPECT_EQ(textOf(app.database(), "SELECT Value FROM Register WHERE Name='Ver'"), "3.01");
    }
    for (const char* version : {"3.01", "0.9", ""}) {
        TestDb t(QString::fromLatin1(*version == '3' ? "3.01" : "2.02"));
        if (*version)
            t.db.exec("UPDATE Register SET Value=?", {QString::fromLatin1(version)});
        else
            t.db.exec("DELETE FROM Register");
        t.db.close();
        const QByteArray before = fileBytes(t.path());
        {
            CCookbookApp app(t.path());
            EXPECT_TRUE(app.initInstance()) << version;
        }
        EXPECT_EQ(fileBytes(t.path()), before) << "version '" << version << "'";
    }
}

TEST(Startup, AFailedUpgradeOrAnUnreadableCatalogStopsWithOneMessage) {
    struct Case {
        const char* version;
        void (*damage)(Database&);
        const char* said;
    };
    const Case cases[] = {
        {"2.02",
         [](Database& db) {
             db.execScript("CREATE TRIGGER refuse BEFORE UPDATE ON Register WHEN "
                           "NEW.Value='3.01' BEGIN SELECT RAISE(ABORT, 'refused'); END;");
         },
         "Не удалось обновить"},
        {"3.01",
         [](Database& db) {
             db.execScript("DROP TABLE Recipes; CREATE VIEW Recipes AS SELECT 1/0 AS ID, 0 AS "
                           "Catalog, 'x' AS Name, '' AS Recipe FROM NoSuchTable");
         },
         "Ошибка базы данных"}};
    for (const Case& c : cases) {
        Prompts::clear();
        TestDb t(QString::fromLatin1(c.version));
        c.damage(t.db);
        t.db.close();
        const QByteArray before = fileBytes(t.path());
        CCookbookApp app(t.path());
        EXPECT_FALSE(app.initInstance());
        EXPECT_EQ(app.mainWindow(), nullptr);
        ASSERT_EQ(Prompts::shown().size(), 1u);
        EXPECT_TRUE(lastMessage().contains(QString::fromUtf8(c.said)))
            << lastMessage().toStdString();
        EXPECT_EQ(fileBytes(t.path()), before);
    }
}

TEST(Language, QtsOwnTextsAreRussian) {
    // The standard buttons of every message box and file dialog.
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), "Отмена");
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "&Yes"), "&Да");
}
