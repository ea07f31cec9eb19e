#include "data/Records.h"
#include "data/Schema.h"
#include "recipes/RecipeDocument.h"
#include "support/TestDb.h"
#include "support/ToolRun.h"

#include "nutrition/NutritionStore.h"
#include "recipes/Servings.h"
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QThread>
#include <gtest/gtest.h>

TEST(OveltaDb, CreatesCollectionsAtEachVersionAndNeverOverwrites) {
    QTemporaryDir dir;
    const QString file = dir.filePath("data.db");
    const QString old = dir.filePath("old.db");
    ASSERT_EQ(runTool({"create", file}).exitCode, 0);
    ASSERT_EQ(runTool({"create", "--version", "1.01", old}).exitCode, 0);
    for (const QString& made : {file, old}) {
        Database db;
        db.open(made, Database::OpenMode::Existing);
        EXPECT_EQ(schema::missingTables(db), QStringList());
        EXPECT_EQ(db.hasTable("Menu"), made == file);
        EXPECT_EQ(number(db, "SELECT count(*) FROM Recipes"), 0);
    }
    // Commands that only read leave an older file as it was, whether they fail or not.
    const QByteArray oldBytes = fileBytes(old);
    for (const QStringList& reading :
         {QStringList{"product", "--db", old, "Соль"}, QStringList{"nutrition", "--db", old, "1"},
          QStringList{"find", "--db", old, "--text", "борщ"}, QStringList{"cook", "--db", old}})
        EXPECT_NE(runTool(reading).exitCode, 2) << reading.join(' ').toStdString();
    EXPECT_EQ(fileBytes(old), oldBytes);
    const QByteArray before = fileBytes(file);
    const ToolRun r = runTool({"create", file});
    EXPECT_TRUE(r.exitCode == 1 && r.err.contains("уже существует")) << r.err.toStdString();
    EXPECT_EQ(fileBytes(file), before);
}

TEST(OveltaDb, ExplainsBadUsage) {
    QTemporaryDir dir;
    const QString file = dir.filePath("x.db");
    // Every misuse ends with code 2 and a word on standard error, and makes no file.
    const QStringList misuses[] = {{},
                                   {"frobnicate"},
                                   {"create"},
                                   {"create", "--version", "5.0", file},
                                   {"rtf", "--db", file, "abc"},
                                   {"rtf", "--db", file, "0"},
                                   {"rtf", "--db", file, "1", "out.rtf", "extra"},
                                   {"rtf", "--bogus", "1"},
                                   {"menu-rtf", "--db", file, "a.rtf", "extra"},
                                   {"cook", "--db", file, "--missing", "4"},
                                   {"cook", "--db", file, "--missing", "0"},
                                   {"import", "--db", file},
                                   {"photo", "--db", file},
                                   {"photo", "--db", file, "--remove", "--save", "1"},
                                   {"nutrition", "--db", file},
                                   {"product", "--db", file}};
    for (const QStringList& args : misuses) {
        const ToolRun r = runTool(args);
        EXPECT_EQ(r.exitCode, 2) << args.join(' ').toStdString();
        // The complaint, then the usage to put it right.
        EXPECT_TRUE(r.err.contains("ovelta-db --help")) << args.join(' ').toStdString();
    }
    EXPECT_FALSE(QFile::exists(file));
    EXPECT_TRUE(runTool({"--help"}).out.contains("create"));
    EXPECT_EQ(runTool({"create", dir.filePath("no/such/dir/x.db")}).exitCode, 1);
    // The option parser's complaints in Russian, the English beside them.
    EXPECT_EQ(runTool({"cook", "--bogus"}).err.section('\n', 0, 0) + "|" +
                  runTool({"cook", "--db"}).err.section('\n', 0, 0),
              "ovelta-db: неизвестный параметр / unknown option: --bogus|"
              "ovelta-db: нет значения после / missing value after --db");
}

TEST(OveltaDb, WritesARecipeDocument) {
    TestDb t;
    const QString r = QString::number(t.recipe("Блины", {}, 0, "Жарить"));
    t.db.close();
    const QString out = t.dir() + QStringLiteral("/blini.rtf");
    const ToolRun run = runTool({"rtf", "--db", t.path(), r, out});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QByteArray expected =
        "{\\rtf0\\ansi{\\fonttbl{\\f0\\fswiss Arial;\\f1\\froman Times New Roman;}}"
        "{\\f0\\fs28\\b\\i \xc1\xeb\xe8\xed\xfb}\\par\\par{\\f0\\fs16\\i }\\par"
        "{\\f1\\fs22 \xc6\xe0\xf0\xe8\xf2\xfc}}";
    EXPECT_EQ(fileBytes(out), expected);

    // Standard output, the collection found in the working directory.
    EXPECT_EQ(runTool({"rtf", r}, t.dir()).bytes, expected);

    const ToolRun missing = runTool({"rtf", "--db", t.path(), "999", out + ".2"});
    EXPECT_TRUE(missing.exitCode == 1 && missing.err.contains("999")) << missing.err.toStdString();
    EXPECT_FALSE(QFile::exists(out + QStringLiteral(".2")));
    EXPECT_EQ(runTool({"rtf", "--db", t.dir() + "/none.db", "1"}).exitCode, 1);
}

TEST(OveltaDb, PrintsARecipeAsTextForAnyServings) {
    TestDb t;
    const int id = t.recipe("Оладьи", {{"Кефир", 250, "мл"}, {"Сахар", 2, "ст.л."}, {"Соль"}}, 0,
                            "Замесить.\r\nЖарить.");
    recipes::setServings(t.db, id, {4, {}});
    const int unknown = t.recipe("Чай", {{"Чай", 1, "ч.л."}});
    nutrition::fillFromTable(t.db);
    t.db.close();
    const QString r = QString::number(id);
    const QString db = t.path();

    ToolRun run = runTool({"recipe", "--db", db, r});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(run.bytes, "Оладьи\nПорций: 4\nКефир — 250 мл\nСахар — 2 ст.л.\nСоль\n\n"
                         "Замесить.\nЖарить.\n");
    run = runTool({"recipe", "--db", db, "--servings", "6", "--grams", r});
    EXPECT_EQ(run.bytes, "Оладьи\nПорций: 6\nКефир — 380 мл (390 г)\n"
                         "Сахар — 3 ст.л. (75 г)\nСоль\n\nЗамесить.\nЖарить.\n")
        << run.err.toStdString();
    run = runTool({"recipe", "--db", db, "--times", "½", QString::number(unknown)});
    EXPECT_EQ(run.bytes, "Чай\nЧай — ½ ч.л.\n\n");

    // Misuse, an unknown recipe, servings a recipe does not know: 1 and why, in Russian.
    const QStringList bad[] = {
        {"recipe", "--db", db, "--servings", "0", r},
        {"recipe", "--db", db, "--servings", "1001", r},
        {"recipe", "--db", db, "--times", "0", r},
        {"recipe", "--db", db, "--times", "101", r},
        {"recipe", "--db", db, "--servings", "2", "--times", "2", r},
        {"recipe", "--db", db, "999"},
        {"recipe", "--db", db},
        {"recipe", "--db", db, "--servings", "2", QString::number(unknown)},
    };
    for (const QStringList& args : bad) {
        const ToolRun refused = runTool(args);
        EXPECT_EQ(refused.exitCode, 1) << args.join(' ').toStdString();
        EXPECT_TRUE(refused.bytes.isEmpty()) << args.join(' ').toStdString();
        EXPECT_TRUE(refused.err.contains(QRegularExpression("[а-я]"))) << refused.err.toStdString();
    }
}

TEST(OveltaDb, CooksListsTheMenuAndMovesExchangeFiles) {
    QTemporaryDir dir;
    const QString file = dir.filePath("data.db");
    ToolRun run = runTool({"create", "--sample", file});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();

    // Nothing on hand: the message on standard error, nothing on standard output.
    run = runTool({"cook", "--db", file});
    EXPECT_EQ(QString::number(run.exitCode) + run.out + run.err,
              "0Не знаю, что можно приготовить из ваших продуктов\n");
    {
        Database db;
        db.open(file, Database::OpenMode::Existing);
        EXPECT_GE(number(db, "SELECT count(*) FROM Recipes"), 12);
        EXPECT_GE(number(db, "SELECT count(*) FROM Catalog WHERE Parent=0"), 3);
        // Every starter recipe says how many it serves, which the exchange file cannot.
        EXPECT_EQ(number(db, "SELECT count(*) FROM Recipes WHERE ID NOT IN "
                             "(SELECT Recipe FROM RecipeServings WHERE Servings > 0)"),
                  0);
        db.exec("INSERT INTO ProductsAlways SELECT ID FROM Ingredient");
        db.exec("UPDATE Ingredients SET Have=1");
        db.exec("INSERT INTO Menu SELECT ID, 2 FROM Recipes WHERE Name=?", {"Сырники"});
    }
    run = runTool({"cook", "--db", file});
    EXPECT_GE(run.out.count('\n'), 12);
    EXPECT_TRUE(run.out.contains("\tСырники\n"));
    // Сырники (2), then the doubled amounts: 800 г of curd among them.
    EXPECT_EQ(runTool({"menu-rtf", "--db", file, dir.filePath("menu.rtf")}).exitCode, 0);
    const QByteArray menu = fileBytes(dir.filePath("menu.rtf"));
    EXPECT_TRUE(menu.contains("\xd1\xfb\xf0\xed\xe8\xea\xe8 (2)\\line}\\par") &&
                menu.contains("\xd2\xe2\xee\xf0\xee\xe3 : 800 \xe3"));

    run = runTool({"export", "--db", file, dir.filePath("all.ovl")});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(fileBytes(dir.filePath("all.ovl")).startsWith("Ovelta 2.01\r\nCATALOG="));

    const QString other = dir.filePath("other.db");
    ASSERT_EQ(runTool({"create", other}).exitCode, 0);
    // "--db" before the command as well as after it.
    run = runTool({"--db", other, "import", dir.filePath("all.ovl")});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.startsWith("Разделов: 5, рецептов: 17,")) << run.out.toStdString();
    runTool({"export", "--db", other, dir.filePath("again.ovl")});
    EXPECT_EQ(fileBytes(dir.filePath("again.ovl")), fileBytes(dir.filePath("all.ovl")));
    writeFile(dir.filePath("bad.ovl"), "Ovelta 2.01 \r\nRECIPE=x\r\n");
    run = runTool({"import", "--db", other, dir.filePath("bad.ovl")});
    EXPECT_TRUE(run.exitCode == 1 && run.err.contains("Формат файла не поддерживается"));
}

TEST(OveltaDb, AFailedWriteLeavesNoHalfMadeFile) {
    // The shell limits the size of files the tool may write, as a full disk would.
    auto limited = [](const QString& dir, int kilobytes, const QStringList& args) {
        QProcess p;
        p.setWorkingDirectory(dir);
        QString command =
            QStringLiteral("trap '' XFSZ; ulimit -f %1; exec \"$0\" \"$@\"").arg(kilobytes);
        p.start("/bin/sh", QStringList{"-c", command, QStringLiteral(OVELTA_DB_TOOL)} + args);
        p.waitForFinished(30000);
        return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    };
    QTemporaryDir dir;
    EXPECT_EQ(limited(dir.path(), 40, {"create", "--sample", "data.db"}), 1);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList());
    // A retry with room to spare does not meet "file exists".
    ASSERT_EQ(runTool({"create", "--sample", dir.filePath("data.db")}).exitCode, 0);

    EXPECT_EQ(limited(dir.path(), 0, {"rtf", "1", "out.rtf"}), 1);
    EXPECT_EQ(limited(dir.path(), 0, {"export", "out.ovl"}), 1);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"data.db"});
}

TEST(Launcher, FirstRunMakesTheStarterCollectionAndStartsTheProgram) {
    QTemporaryDir home;
    const QString launcher =
        QFileInfo(QStringLiteral(OVELTA_DB_TOOL)).dir().filePath("ovelta-launch");
    ASSERT_TRUE(QFileInfo(launcher).isExecutable()) << launcher.toStdString();
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_DATA_HOME", home.path());
    env.insert("QT_QPA_PLATFORM", "offscreen");
    p.setProcessEnvironment(env);
    p.start(launcher, {});
    ASSERT_TRUE(p.waitForStarted(10000));
    const QString db = home.filePath("ovelta/data.db");
    const QString lock = db + ".lock";
    // The program is up once it holds its collection.
    for (int i = 0; i < 600 && !QFile::exists(lock); ++i)
        QThread::msleep(50);
    EXPECT_TRUE(QFile::exists(lock)) << "the program did not start on the new collection";
    p.kill();
    p.waitForFinished(10000);
    Database d;
    d.open(db, Database::OpenMode::Existing);
    EXPECT_GE(number(d, "SELECT count(*) FROM Recipes"), 12);
}

TEST(OveltaDb, ListsWhatIsMissingAndWritesTheShoppingList) {
    QTemporaryDir dir;
    const QString file = dir.filePath("data.db");
    ASSERT_EQ(runTool({"create", "--sample", file}).exitCode, 0);
    ToolRun run = runTool({"cook", "--db", file, "--missing", "2"});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QStringList lines = run.out.split('\n', Qt::SkipEmptyParts);
    ASSERT_GE(lines.size(), 2);
    EXPECT_TRUE(lines[0].endsWith("\tЯичница-глазунья\t1\tЯйцо куриное")) << lines[0].toStdString();
    EXPECT_TRUE(
        lines[1].endsWith("\tКаша гречневая рассыпчатая\t2\tКрупа гречневая, Масло сливочное"))
        << lines[1].toStdString();
    {
        Database db;
        db.open(file, Database::OpenMode::Existing);
        db.exec("INSERT INTO Menu SELECT ID, 2 FROM Recipes WHERE Name=?", {"Яичница-глазунья"});
        db.exec("INSERT INTO ShoppingList (Product, Added) SELECT ID, 1 FROM Ingredient "
                "WHERE Name=?",
                {"Мёд"});
    }
    EXPECT_EQ(runTool({"shopping-list", "--db", file}).out, "Яйцо куриное : 6 шт\nМёд\n");
    // Into a file, as the usage says.
    const QString list = dir.filePath("list.txt");
    EXPECT_EQ(runTool({"shopping-list", "--db", file, list}).exitCode, 0);
    EXPECT_EQ(fileBytes(list), QByteArray("Яйцо куриное : 6 шт\nМёд\n"));
    // The largest number of missing products is allowed; past it is not.
    EXPECT_EQ(runTool({"cook", "--db", file, "--missing", "3"}).exitCode, 0);
    EXPECT_EQ(runTool({"cook", "--db", file, "--missing", "4"}).exitCode, 2);
    // The name search takes "%" as typed; a section that is not there is refused.
    {
        Database db;
        db.open(file, Database::OpenMode::Existing);
        db.exec("INSERT INTO Recipes (Catalog, Name, Recipe) VALUES (0, 'Скидка 50%', '')");
    }
    EXPECT_EQ(runTool({"find", "--db", file, "%"}).out.section('\t', 1).trimmed(), "Скидка 50%");
    const QString page = dir.filePath("page.txt");
    writeFile(page, "Чай\nЧай — 1 ч. л.\nВода — 200 мл\n\nЗаварить.\n");
    const ToolRun nowhere = runTool({"import-recipe", "--db", file, "--section", "99", page});
    EXPECT_NE(nowhere.exitCode, 0);
    {
        Database after;
        after.open(file, Database::OpenMode::Existing);
        EXPECT_EQ(number(after, "SELECT count(*) FROM Recipes WHERE Name='Чай'"), 0);
    }
    // A numbered list under a heading that names the servings: the lines and the servings.
    writeFile(page, "Чай\n\nИнгредиенты на 4 порции:\n1. Чай — 1 ч. л.\n2. Вода — 200 мл\n\n"
                    "Приготовление:\n1. Заварить.\n");
    ASSERT_EQ(runTool({"import-recipe", "--db", file, page}).exitCode, 0);
    Database after;
    after.open(file, Database::OpenMode::Existing);
    EXPECT_EQ(textOf(after, "SELECT group_concat(i.Name || ' ' || s.Quantity, '; ') FROM "
                            "Ingredients s JOIN Ingredient i ON i.ID=s.Ingredient JOIN Recipes r "
                            "ON r.ID=s.Recipe WHERE r.Name='Чай'"),
              "Чай 1.0; Вода 200.0");
    EXPECT_EQ(number(after,
                     "SELECT s.Servings FROM RecipeServings s JOIN Recipes r ON r.ID=s.Recipe "
                     "WHERE r.Name='Чай'"),
              4);
}

TEST(OveltaDb, PrintsFoodValueAndAProductsFiguresAndSumsTheMenuInGrams) {
    QTemporaryDir dir;
    const QString file = dir.filePath("data.db");
    ASSERT_EQ(runTool({"create", "--sample", file}).exitCode, 0);
    QString pancakes, cheesecakes;
    {
        Database db;
        db.open(file, Database::OpenMode::Existing);
        pancakes = textOf(db, "SELECT ID FROM Recipes WHERE Name='Блины на молоке'");
        cheesecakes = textOf(db, "SELECT ID FROM Recipes WHERE Name='Сырники'");
        db.exec("INSERT INTO Menu (Recipe, Quantity) VALUES (?, 3), (?, 1)",
                {pancakes.toLongLong(), cheesecakes.toLongLong()});
        db.exec("INSERT INTO Ingredient (Name) VALUES ('Трюфель')");
        db.exec("INSERT INTO Ingredients (Recipe, Ingredient, Quantity, Unit) "
                "SELECT ?, ID, 5, (SELECT ID FROM Units WHERE Name='г') FROM Ingredient "
                "WHERE Name='Трюфель'",
                {pancakes.toLongLong()});
    }
    // The truffle comes after the sample was filled: the command fills it as a start-up does.
    EXPECT_EQ(runTool({"nutrition", "--db", file, pancakes}).out,
              "Блины на молоке\n"
              "Вес продуктов: 874 г\n"
              "Пищевая ценность: всего 1\u00a0582 ккал; на 100 г — 181 ккал, белки 5,7 г, "
              "жиры 7,2 г, углеводы 23 г\n"
              "без учёта: Трюфель\n");
    EXPECT_EQ(runTool({"nutrition", "--db", file, "999"}).exitCode, 1);
    EXPECT_EQ(
        runTool({"product", "--db", file, "яйцо КУРИНОЕ"}).out,
        "Яйцо куриное\n"
        "на 100 г: 143 ккал, белки 12,6 г, жиры 9,5 г, углеводы 0,7 г\n"
        "1 десяток = 500 г\n"
        "1 шт = 50 г\n"
        "покупается штуками\n"
        "источник: пищевая ценность — таблица USDA FoodData Central (SR Legacy, "
        "общественное достояние), запись 01123 «Egg, whole, raw, fresh»; вес единиц — русские "
        "кулинарные таблицы мер и весов\n");
    EXPECT_EQ(runTool({"product", "--db", file, "Трюфель"}).out,
              "Трюфель\nнет данных о весе и пищевой ценности / no figures\n");
    EXPECT_EQ(runTool({"product", "--db", file, "Нет такого"}).exitCode, 1);
    // "Мука пшеничная : 600 г + 3 ст.л." for a copy that reads the list; 675 г in grams, the
    // recipes' own units after it.
    const QByteArray plain = runTool({"menu-rtf", "--db", file}).bytes;
    const QByteArray grams = runTool({"menu-rtf", "--db", file, "--grams"}).bytes;
    EXPECT_TRUE(plain.contains(" 600 \xe3 + 3 \xf1\xf2.\xeb.")) << plain.toStdString();
    EXPECT_TRUE(grams.contains(" 675 \xe3 (600 \xe3 + 3 \xf1\xf2.\xeb.)\\line"))
        << grams.toStdString();
    EXPECT_TRUE(runTool({"shopping-list", "--db", file})
                    .out.contains("Мука пшеничная : 675 г (600 г + 3 ст.л.)\n"));
}

TEST(OveltaDb, SetsWritesOutAndRemovesARecipePhoto) {
    QTemporaryDir dir;
    const QString file = dir.filePath("data.db");
    ASSERT_EQ(runTool({"create", "--sample", file}).exitCode, 0);
    QImage image(900, 300, QImage::Format_RGB32);
    image.fill(Qt::darkGreen);
    const QString png = dir.filePath("фото.png");
    ASSERT_TRUE(image.save(png));
    const QString out = dir.filePath("out.jpg");
    EXPECT_EQ(runTool({"photo", "--db", file, "1", png}).exitCode, 0);
    EXPECT_EQ(runTool({"photo", "--db", file, "--save", "1", out}).exitCode, 0);
    EXPECT_EQ(QImage(out).size(), QSize(900, 300));
    // A recipe without one, or none at all: exit 1 and a word why.
    const ToolRun none = runTool({"photo", "--db", file, "--save", "2", out});
    EXPECT_EQ(none.exitCode, 1);
    EXPECT_TRUE(none.err.contains("нет фотографии")) << none.err.toStdString();
    EXPECT_EQ(runTool({"photo", "--db", file, "99999", png}).exitCode, 1);
    const ToolRun junk = runTool({"photo", "--db", file, "2", file});
    EXPECT_EQ(junk.exitCode, 1);
    EXPECT_TRUE(junk.err.contains("«data.db» — не изображение")) << junk.err.toStdString();
    for (const QStringList& misuse :
         {QStringList{"photo", "--db", file, "1"}, QStringList{"photo", "--db", file, "x", png},
          QStringList{"photo", "--db", file, "--remove", "--save", "1", out}})
        EXPECT_EQ(runTool(misuse).exitCode, 2) << misuse.join(' ').toStdString();
    EXPECT_EQ(runTool({"photo", "--db", file, "--remove", "1"}).exitCode, 0);
    EXPECT_EQ(runTool({"photo", "--db", file, "--save", "1", out}).exitCode, 1);
    // Removing a photo that is not there is a failure, said so.
    const ToolRun noPhoto = runTool({"photo", "--db", file, "--remove", "1"});
    EXPECT_EQ(noPhoto.exitCode, 1);
    EXPECT_TRUE(noPhoto.err.contains("у рецепта 1 нет фотографии")) << noPhoto.err.toStdString();
    Database db;
    db.open(file, Database::OpenMode::Existing);
    EXPECT_EQ(number(db, "SELECT count(*) FROM RecipePhotos"), 0);
}
