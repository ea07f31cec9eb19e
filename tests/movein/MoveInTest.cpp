// Whole collections from other programs: each source's own layout, written here by hand in
// the shape its exports have, and archives that try to do harm.

#include "catalog/CCatalogView.h"
#include "catalog/CatalogStore.h"
#include "data/Database.h"
#include "movein/MoveInStore.h"
#include "photos/PhotoImage.h"
#include "photos/PhotoStore.h"
#include "support/FixtureBytes.h"
#include "support/TestDb.h"
#include "support/Widgets.h"
#include "ui/Commands.h"
#include "ui/Progress.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <gtest/gtest.h>

namespace {

QByteArray jpeg(QColor colour = Qt::red) {
    return jpegOf(colour);
}

void write(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
    f.write(bytes);
}

// Every recipe as "Раздел/Подраздел: Название [продукт количество единица; ...] +фото".
QString contents(Database& db) {
    return textOf(db, R"sql(
SELECT group_concat(line, char(10)) FROM (
  SELECT coalesce((SELECT p.Name || '/' FROM Catalog c JOIN Catalog p ON p.ID = c.Parent
                   WHERE c.ID = r.Catalog), '')
      || coalesce((SELECT Name FROM Catalog WHERE ID = r.Catalog), '') || ': ' || r.Name
      || ' [' || coalesce((SELECT group_concat(x, '; ') FROM (
            SELECT i.Name || ' ' || l.Quantity || coalesce(' ' || u.Name, '') AS x
            FROM Ingredients l JOIN Ingredient i ON i.ID = l.Ingredient
            LEFT JOIN Units u ON u.ID = l.Unit WHERE l.Recipe = r.ID ORDER BY l.ID)), '') || ']'
      || CASE WHEN EXISTS (SELECT 1 FROM RecipePhotos f WHERE f.Recipe = r.ID)
              THEN ' +фото' ELSE '' END AS line
  FROM Recipes r ORDER BY r.ID)
)sql");
}

movein::Summary import(TestDb& t, const QString& path, int parent = 0) {
    NoProgress quiet;
    return movein::importCollection(t.db, path, parent, quiet);
}

QString refusal(TestDb& t, const QString& path, const std::function<bool()>& cancelled = {}) {
    NoProgress quiet;
    try {
        movein::importCollection(t.db, path, 0, quiet, cancelled);
    } catch (const movein::MoveInError& e) {
        return e.message();
    }
    return QStringLiteral("(imported)");
}

const QByteArray kPaprikaSoup =
    R"({"name": "Борщ\n", "ingredients": "200 г свёклы\n1 л воды\n\nсоль по вкусу",
 "directions": "Сварить.\nПодать.", "categories": ["Супы", "Обеды"], "photo_data": "PHOTO"})";
const QByteArray kPaprikaPie = R"({"name": " Пирог", "ingredients": "Свёкла — 1 шт\n300 г муки",
 "directions": "Испечь.", "categories": []})";

} // namespace

TEST(MoveIn, PaprikaArchiveWithPhotosCategoriesAndMacClutter) {
    TestDb t;
    const QByteArray soup = QByteArray(kPaprikaSoup).replace("PHOTO", jpeg().toBase64());
    const QString path = t.dir() + QStringLiteral("/Мои рецепты.paprikarecipes");
    write(path, archiveOf({{"Борщ.paprikarecipe", gzipped(soup)},
                           {"__MACOSX/._Борщ.paprikarecipe", "junk"},
                           {".DS_Store", "junk"},
                           {"Пирог.paprikarecipe", gzipped(kPaprikaPie)}}));
    const movein::Summary s = import(t, path);
    EXPECT_EQ(contents(t.db),
              "Paprika — Мои рецепты/Супы: Борщ [Свёкла 200.0 г; Вода 1.0 л; Соль 0.0 по вкусу] "
              "+фото\nPaprika — Мои рецепты: Пирог [Свёкла 1.0 шт; Мука 300.0 г]");
    // The beet of both recipes is one product, made by the first.
    EXPECT_EQ(number(t.db, "SELECT count(*) FROM Ingredient WHERE Name = 'Свёкла'"), 1);
    EXPECT_EQ(movein::summaryText(s), "Раздел «Paprika — Мои рецепты»\nРецептов: 2\n"
                                      "Новых продуктов: 4\nНовых единиц измерения: 4\n"
                                      "Фотографий: 1");
    // ovelta-db says the same of the same archive, into a collection of its own.
    TestDb other;
    other.db.close();
    QProcess tool;
    tool.start(OVELTA_DB_TOOL, {"import-collection", "--db", other.path(), path});
    ASSERT_TRUE(tool.waitForFinished(30000));
    EXPECT_EQ(tool.exitCode(), 0) << tool.readAllStandardError().toStdString();
    EXPECT_EQ(QString::fromUtf8(tool.readAllStandardOutput()), movein::summaryText(s) + "\n");
    // A single recipe file, gzip or not.
    const QString one = t.dir() + QStringLiteral("/Пирог.paprikarecipe");
    write(one, kPaprikaPie);
    EXPECT_EQ(import(t, one).recipes, 1);
}

TEST(MoveIn, NextcloudFolderOrZipMealieAndTandoorExports) {
    TestDb t;
    // Nextcloud Cookbook: a folder a recipe, schema.org JSON, full.jpg beside thumbnails.
    const QByteArray nextcloud = R"({"@context": "http://schema.org", "@type": "Recipe",
        "name": "Сырники", "recipeCategory": "Завтраки",
        "recipeIngredient": ["500 г творога", "2 яйца"],
        "recipeInstructions": [{"@type": "HowToStep", "text": "Смешать и обжарить."}]})";
    const QString cloud = t.dir() + QStringLiteral("/Recipes");
    write(cloud + "/Сырники/recipe.json", nextcloud);
    write(cloud + "/Сырники/thumb.jpg", "not even a picture");
    write(cloud + "/Сырники/full.jpg", jpeg());
    movein::Summary s = import(t, cloud);
    EXPECT_EQ(s.sectionName, "Nextcloud Cookbook — Recipes");
    EXPECT_EQ(contents(t.db), "Nextcloud Cookbook — Recipes/Завтраки: Сырники [Творог 500.0 г; "
                              "Яйцо 2.0 шт] +фото");
    const QString zipped = t.dir() + "/nextcloud.zip";
    // Beside a recipe.json, a picture of any name is its photo.
    QByteArray blini = nextcloud;
    blini.replace("Сырники", "Блины");
    // full.jpg wins over another picture beside it.
    TestDb z;
    write(zipped, archiveOf({{"Сырники/recipe.json", nextcloud},
                             {"Сырники/a-step.jpg", jpeg(Qt::blue)},
                             {"Сырники/full.jpg", jpeg(Qt::green)},
                             {"Блины/recipe.json", blini},
                             {"Блины/IMG_0042.jpg", jpeg()}}));
    EXPECT_EQ(import(z, zipped).photos, 2);
    const int syrniki = int(number(z.db, "SELECT ID FROM Recipes WHERE Name='Сырники'"));
    const QImage kept = QImage::fromData(photos::photoBytes(z.db, syrniki).value_or(QByteArray()));
    EXPECT_GT(kept.pixelColor(kept.width() / 2, kept.height() / 2).green(), 200);

    // Mealie: a folder a recipe with its images; lines split into food, unit and quantity in
    // new exports, whole in "note" in old ones.
    TestDb m;
    const QByteArray mealie = R"({"name": "Оладьи", "slug": "oladi",
        "recipeCategory": [{"name": "Выпечка", "slug": "vypechka"}],
        "recipeIngredient": [
          {"quantity": 250, "unit": {"name": "мл"}, "food": {"name": "Кефир"}, "note": "тёплый"},
          {"quantity": 1, "unit": null, "food": null, "note": "2 ст. л. сахара",
           "disableAmount": true}],
        "recipeInstructions": [{"title": "", "text": "Замесить тесто."}, {"text": "Жарить."}]})";
    const QString export_ = m.dir() + "/mealie_2026.zip";
    write(export_, archiveOf({{"recipes/oladi/oladi.json", mealie},
                              {"recipes/oladi/images/min-original.webp", "tiny"},
                              {"recipes/oladi/images/original.webp", jpeg()}}));
    s = import(m, export_);
    EXPECT_EQ(contents(m.db), "Mealie — mealie_2026/Выпечка: Оладьи [Кефир 250.0 мл; "
                              "Сахар 2.0 ст.л.] +фото");
    EXPECT_EQ(textOf(m.db, "SELECT Recipe FROM Recipes"),
              "Замесить тесто.\r\nЖарить.\r\n\r\nК продуктам:\r\nКефир: тёплый");

    // Older Mealie exports: recipes/SLUG.json, the picture in images/SLUG.jpg at the top.
    TestDb o;
    write(o.dir() + "/old.zip", archiveOf({{"recipes/oladi.json", mealie},
                                           {"images/oladi.jpg", jpeg()},
                                           {"images/blini.jpg", jpeg(Qt::blue)}}));
    EXPECT_EQ(import(o, o.dir() + "/old.zip").photos, 1);
    EXPECT_EQ(
        textOf(o.db, "SELECT Name FROM Recipes WHERE ID IN (SELECT Recipe FROM RecipePhotos)"),
        "Оладьи");

    // Tandoor: an archive of archives, one a recipe, its lines inside its steps.
    TestDb d;
    const QByteArray tandoor = R"({"name": "Плов ", "description": "",
        "keywords": [{"name": "рис"}],
        "steps": [{"name": "", "instruction": "Обжарить мясо.\nДобавить рис.",
          "ingredients": [
            {"food": {"name": "Рис"}, "unit": {"name": "g"}, "amount": 300, "note": "",
             "is_header": false, "no_amount": false},
            {"food": null, "unit": null, "amount": 0, "note": "Мясо", "is_header": true},
            {"food": {"name": "Баранина"}, "unit": {"name": "кг"}, "amount": 0.5,
             "no_amount": false},
            {"food": {"name": "Зира"}, "unit": null, "amount": 0, "no_amount": true}]}]})";
    const QString archive = d.dir() + "/export.zip";
    write(
        archive,
        archiveOf({{"1.zip", archiveOf({{"recipe.json", tandoor}, {"image.jpg", jpeg(Qt::green)}})},
                   {"2.zip", "not a zip"}}));
    s = import(d, archive);
    EXPECT_EQ(contents(d.db),
              "Tandoor — export: Плов [Рис 300.0 г; Баранина 0.5 кг; Зира 0.0] +фото");
    ASSERT_EQ(s.skipped.size(), 1u);
    EXPECT_EQ(s.skipped[0].name, "2.zip");
}

// The oldest Mealie exports name every field with underscores and keep each line whole in
// "note"; a count with no unit from any program is in pieces; lines given the usual product
// of a general name are listed for the user to check.
TEST(MoveIn, OldMealieCountsWithoutUnitsAndLinesToCheck) {
    TestDb t;
    t.recipe("Своё", {{"Мука пшеничная", 1, "г"}});
    const QByteArray old2021 = R"({"name": "Блины", "slug": "bliny",
        "recipe_category": ["Завтраки"], "recipe_yield": "4 порции",
        "recipe_ingredient": [{"title": null, "note": "Мука — 300 г", "unit": null,
          "food": null, "disable_amount": true, "quantity": 1},
          {"note": "", "food": {"name": "Яйца"}, "unit": null, "quantity": 3}],
        "recipe_instructions": [{"title": "", "text": "Смешать."}, {"text": "Жарить."}]})";
    write(t.dir() + "/mealie.zip", archiveOf({{"recipes/bliny/bliny.json", old2021},
                                              {"recipes/bliny/images/original.webp", jpeg()}}));
    const movein::Summary s = import(t, t.dir() + "/mealie.zip");
    EXPECT_EQ(contents(t.db).section(QLatin1Char('\n'), -1),
              "Mealie/Завтраки: Блины [Мука пшеничная 300.0 г; Яйцо 3.0 шт] +фото");
    EXPECT_TRUE(movein::summaryText(s).endsWith(
        "Проверьте продукты, названные в рецептах иначе: 1\n  «Мука — 300 г» → Мука пшеничная"))
        << movein::summaryText(s).toStdString();
}

TEST(MoveIn, AFolderOfRecipeFilesSaysWhatItSkippedAndWhy) {
    TestDb t;
    const QString folder = t.dir() + "/разное";
    write(folder + "/щи.txt", "Щи\n\nКапуста — 500 г\nКартофель — 3 шт\n\nСварить.\n");
    write(folder + "/вложено/каша.json",
          R"({"@type": "Recipe", "name": "Каша", "recipeIngredient": ["1 стакан крупы"]})");
    write(folder + "/Каша копия.json",
          R"({"@type": "Recipe", "name": "Каша", "recipeIngredient": ["1 стакан крупы"]})");
    write(folder + "/вложено/каша.jpg", jpeg()); // beside its recipe, by the same name
    write(folder + "/список.pdf", "%PDF-1.4");
    write(folder + "/сломан.json", "{\"name\": ");
    const movein::Summary s = import(t, folder, t.addSection("Старое"));
    // A name met twice is two recipes, as the exchange import keeps them.
    EXPECT_EQ(number(t.db, "SELECT count(*) FROM Recipes WHERE Name='Каша'"), 2);
    EXPECT_EQ(s.recipes, 3);
    EXPECT_EQ(s.photos, 1);
    EXPECT_EQ(textOf(t.db, "SELECT p.Name || '/' || c.Name FROM Catalog c JOIN Catalog p "
                           "ON p.ID = c.Parent"),
              "Старое/Рецепты — разное");
    const QString text = movein::summaryText(s);
    EXPECT_TRUE(text.contains("Пропущено: 2\n  сломан.json — JSON с ошибкой ("))
        << text.toStdString();
    EXPECT_TRUE(text.endsWith("\n  список.pdf — не рецепт")) << text.toStdString();
}

TEST(MoveIn, HostileArchivesAreRefusedWithNothingStored) {
    TestDb t;
    t.recipe("Свой рецепт", {{"Соль", 1, "г"}});
    const QString before = snapshot(t.db);
    auto refused = [&](const Files& files, const char* name = "x.zip") {
        const QString path = t.dir() + "/" + name;
        write(path, archiveOf(files));
        const QString why = refusal(t, path);
        EXPECT_EQ(snapshot(t.db), before) << why.toStdString();
        return why;
    };
    const QByteArray recipe = R"({"@type": "Recipe", "name": "Суп", "recipeIngredient": ["вода"]})";
    // Sixty megabytes of zeros pack into a few dozen kilobytes.
    EXPECT_TRUE(refused({{"a.json", recipe}, {"bomb.txt", QByteArray(60 << 20, '\0')}})
                    .contains("зип-бомба"));
    EXPECT_TRUE(refused({{"a.json", recipe},
                         {"1.zip", archiveOf({{"bomb.txt", QByteArray(60 << 20, ' ')}})}})
                    .contains("зип-бомба"));
    // An archive cut off half-way, and one with no recipe at all.
    const QByteArray whole = archiveOf({{"a.json", recipe}, {"b.json", recipe}});
    write(t.dir() + "/cut.zip", whole.left(whole.size() / 2));
    EXPECT_TRUE(refusal(t, t.dir() + "/cut.zip").contains("повреждён"))
        << refusal(t, t.dir() + "/cut.zip").toStdString();
    // Nothing came in: the reasons are what the user needs, so they are listed.
    EXPECT_EQ(refused({{"a.pdf", "x"}}, "empty.zip"),
              "В «empty.zip» не нашлось ни одного рецепта.\nПропущено: 1\n  a.pdf — не рецепт");
    // Names that climb out of the folder are only names: nothing is written anywhere.
    write(t.dir() + "/climb.zip",
          archiveOf({{"../../climbed.json", recipe}, {"/tmp/abs.json", recipe}}));
    const movein::Summary climbed = import(t, t.dir() + "/climb.zip");
    EXPECT_EQ(climbed.recipes, 2) << movein::summaryText(climbed).toStdString();
    EXPECT_FALSE(QFile::exists(QDir(t.dir()).absoluteFilePath("../../climbed.json")));
    // Cancel in the progress window, after the first recipe.
    const QString two = t.dir() + "/two.zip";
    write(two, whole);
    const QString withCancel = snapshot(t.db);
    int asked = 0;
    EXPECT_EQ(refusal(t, two, [&] { return ++asked > 1; }), "Импорт отменён");
    EXPECT_EQ(snapshot(t.db), withCancel);
}

TEST(MoveIn, LimitsOnEntriesAndSizesAreKept) {
    const QByteArray small = archiveOf({{"a.txt", "Щи\n\nвода\n"}, {"b.txt", "Каша\n\nкрупа\n"}});
    auto readWith = [&](movein::Limits limits) -> QString {
        try {
            movein::readArchive(
                small, "s.zip", [](const QString&) { return true; },
                [](const QString&, const QByteArray&) {}, limits);
        } catch (const movein::LimitPassed& e) {
            return e.message();
        }
        return {};
    };
    movein::Limits few;
    few.entries = 1;
    EXPECT_EQ(readWith(few), "В архиве «s.zip» больше 1 файлов.");
    movein::Limits tiny;
    tiny.entryBytes = 5;
    EXPECT_EQ(readWith(tiny), "Файл «a.txt» в архиве «s.zip» больше 0 МБ.");
    movein::Limits total;
    total.totalBytes = 12;
    EXPECT_EQ(readWith(total), "Архив «s.zip» распаковывается больше чем в 0 МБ: это не коллекция "
                               "рецептов, а ловушка («зип-бомба»).");
    EXPECT_EQ(readWith({}), QString());
    // In a folder, a file of the limit itself is within it.
    TestDb f;
    write(f.dir() + "/folder/a.txt", "12345");
    movein::Limits five;
    five.entryBytes = 5;
    QStringList taken;
    movein::readFolder(
        f.dir() + "/folder", [](const QString&) { return true; },
        [&](const QString& name, const QByteArray&) { taken << name; }, five);
    EXPECT_EQ(taken, QStringList{"a.txt"});
}

TEST(MoveIn, TheWindowCommandImportsUnderTheSelectedSectionAndShowsIt) {
    TestDb t;
    const int old = t.addSection("Из старых программ");
    ShownFrame frame(t.db);
    CCatalogView* tree = frame.catalogView();
    const QString folder = t.dir() + "/Рецепты бабушки";
    write(folder + "/щи.txt", "Щи\n\nКапуста — 500 г\n\nСварить.\n");
    tree->selectEntry(tree->findChild(nullptr, old));
    Prompts::setNextFileName(folder);
    frame.runCommand(ID_IMPORT_COLLECTION_FOLDER);
    EXPECT_EQ(lastShown(), "Импорт коллекции: Импорт завершён\nРаздел «Рецепты — Рецепты "
                           "бабушки»\nРецептов: 1\nНовых продуктов: 1\nНовых единиц измерения: "
                           "1\nФотографий: 0");
    QTreeWidgetItem* selected = tree->selectedEntry();
    ASSERT_NE(selected, nullptr) << "the new section is not selected";
    EXPECT_EQ(selected->text(0), "Рецепты — Рецепты бабушки");
    EXPECT_EQ(selected->parent(), tree->findChild(nullptr, old));
    // A highlighted recipe is no choice of section: the next one goes at the top.
    const int inside = t.recipe("Щи старые", {}, old);
    QTreeWidgetItem* recipeItem =
        tree->addRecipeEntry(tree->findChild(nullptr, old), "Щи старые", inside);
    ASSERT_NE(recipeItem, nullptr);
    tree->selectEntry(recipeItem);
    write(t.dir() + "/Ещё/каша.txt", "Каша\n\nКрупа — 1 стакан\n\nСварить.\n");
    Prompts::setNextFileName(t.dir() + "/Ещё");
    frame.runCommand(ID_IMPORT_COLLECTION_FOLDER);
    ASSERT_NE(tree->selectedEntry(), nullptr) << "the second section is not selected";
    EXPECT_EQ(tree->selectedEntry()->text(0), "Рецепты — Ещё");
    EXPECT_EQ(tree->selectedEntry()->parent(), nullptr);
    // A file that is no collection: a warning naming it, nothing stored.
    const QString before = snapshot(t.db);
    write(t.dir() + "/notes.zip", "PK\x03\x04 not really");
    Prompts::setNextFileName(t.dir() + "/notes.zip");
    frame.runCommand(ID_IMPORT_COLLECTION);
    EXPECT_TRUE(lastShown().startsWith("Импорт коллекции: ") && lastShown().contains("notes.zip"))
        << lastShown().toStdString();
    EXPECT_EQ(snapshot(t.db), before);
}

// One budget covers what an archive unpacks, whatever is nested in it: gzip entries of a
// Paprika archive are held to the packing ratio and the total as the archive itself is.
TEST(MoveIn, NestedAndGzippedEntriesShareTheArchivesBudget) {
    TestDb t;
    const QString before = snapshot(t.db);
    Files entries{{"Суп.paprikarecipe", gzipped(kPaprikaPie)}};
    const QByteArray zeros = gzipped(QByteArray(99 << 20, '\0'));
    for (int i = 0; i < 3; ++i)
        entries.push_back({QStringLiteral("%1.paprikarecipe").arg(i), zeros});
    write(t.dir() + "/bomb.paprikarecipes", archiveOf(entries));
    EXPECT_TRUE(refusal(t, t.dir() + "/bomb.paprikarecipes").contains("зип-бомба"))
        << refusal(t, t.dir() + "/bomb.paprikarecipes").toStdString();
    EXPECT_EQ(snapshot(t.db), before);

    // Many entries each under the limit for one, together over the total, are refused.
    QByteArray noise(900 << 10, '\0');
    for (qsizetype i = 0; i < noise.size(); ++i)
        noise[i] = char((i * 7919 + (i >> 7) * 104729) % 251);
    movein::Limits small;
    small.totalBytes = 3 << 20;
    small.entryBytes = 1 << 20;
    Files many;
    for (int i = 0; i < 5; ++i)
        many.push_back({QStringLiteral("%1.txt").arg(i), noise});
    int taken = 0;
    const auto all = [](const QString&) { return true; };
    const auto count = [&](const QString&, const QByteArray&) { ++taken; };
    EXPECT_THROW(movein::readArchive(archiveOf(many), "many.zip", all, count, small),
                 movein::LimitPassed);
    EXPECT_EQ(taken, 3);
    // The packing ratio counts only once 16 MB came out: 4 MB of spaces is no bomb, nested
    // or gzipped.
    taken = 0;
    const QByteArray spaces(4 << 20, ' ');
    movein::readArchive(archiveOf({{"a.txt", spaces}, {"in.zip", archiveOf({{"b.txt", spaces}})}}),
                        "spaces.zip", all, count);
    EXPECT_EQ(taken, 2);
    EXPECT_EQ(movein::gunzip(gzipped(spaces), 100 << 20, "spaces.gz").size(), spaces.size());
}

// Something that is no regular file would hang the reader: refused at once, in Russian.
TEST(MoveIn, APipeOrAMissingFileIsRefusedAtOnceInRussian) {
    TestDb t;
    const QString pipe = t.dir() + "/pipe.zip";
    ASSERT_EQ(QProcess::execute("mkfifo", {pipe}), 0);
    EXPECT_EQ(refusal(t, pipe), "Не могу открыть «pipe.zip»: это не обычный файл.");
    EXPECT_EQ(refusal(t, t.dir() + "/нет.zip"), "«нет.zip» не найден.");
    for (const QString& path : {pipe, t.dir() + "/нет.jpg"}) {
        try {
            photos::readPhotoFile(path);
            ADD_FAILURE() << "read " << path.toStdString();
        } catch (const photos::PhotoError& e) {
            EXPECT_TRUE(
                e.message.endsWith(path == pipe ? ": это не обычный файл." : ": файла нет."))
                << e.message.toStdString();
        }
    }
}

// However much was skipped or is to be checked, the summary fits a 600-pixel screen.
TEST(MoveIn, TheSummaryFitsTheScreenHoweverMuchWasSkipped) {
    movein::Summary s;
    s.sectionName = "Рецепты";
    for (int i = 0; i < 25; ++i) {
        s.skipped.push_back({QStringLiteral("%1.pdf").arg(i), QStringLiteral("не рецепт")});
        s.toCheck.emplace_back(QStringLiteral("Мука — %1 г").arg(i), QStringLiteral("Мука"));
    }
    const QStringList lines = movein::summaryText(s).split('\n');
    EXPECT_LE(lines.size(), 30);
    EXPECT_EQ(lines.count("  …и ещё 15"), 2);
}

// A link inside an archive is no recipe and is never followed; a category of any length is
// a section name cut to the limit.
TEST(MoveIn, LinksInAnArchiveAreSkippedAndLongCategoriesCut) {
    TestDb t;
    const QByteArray soup =
        R"({"name": "Суп", "ingredients": "Вода — 1 л", "directions": "Сварить.",
        "categories": [")" +
        QByteArray(300, 'x') + R"("]})";
    write(t.dir() + "/links.paprikarecipes",
          archiveOf({{"passwd.paprikarecipe", "symlink:/etc/passwd"},
                     {"Суп.paprikarecipe", gzipped(soup)}}));
    const movein::Summary s = import(t, t.dir() + "/links.paprikarecipes");
    EXPECT_EQ(s.recipes, 1);
    // One recipe file given alone is a collection of one.
    write(t.dir() + "/one.json",
          R"({"@type": "Recipe", "name": "Кисель", "recipeIngredient": ["Вода — 1 л"]})");
    EXPECT_EQ(import(t, t.dir() + "/one.json").recipes, 1);
    EXPECT_EQ(number(t.db, "SELECT max(length(Name)) FROM Catalog"), 255);
}

// Each program says how many servings in its own field; the number is kept, the words of
// a yield that is no number are kept as its note.
TEST(MoveIn, EachProgramsServingsComeAlong) {
    auto yieldOf = [](const QByteArray& json) {
        const std::vector<movein::Incoming> in = movein::readEntry("recipe.json", json);
        return in.size() == 1 ? in[0].yield : QStringLiteral("(%1 recipes)").arg(in.size());
    };
    EXPECT_EQ(yieldOf(R"({"name": "Суп", "ingredients": "Вода 1 л", "directions": "Варить.",
                          "servings": "4 порции"})"),
              "4 порции");
    EXPECT_EQ(yieldOf(R"({"name": "Оладьи", "recipeYield": "6 servings",
                          "recipeIngredient": [{"quantity": 1, "food": {"name": "Кефир"}}]})"),
              "6 servings");
    EXPECT_EQ(yieldOf(R"({"name": "Оладьи", "recipe_yield": "на 3 персоны",
                          "recipe_ingredient": [{"note": "Кефир 250 мл"}]})"),
              "на 3 персоны");
    EXPECT_EQ(yieldOf(R"({"name": "Плов", "servings": 5, "servings_text": "порций", "steps": []})"),
              "5 порций");
    EXPECT_EQ(yieldOf(R"({"@type": "Recipe", "name": "Сырники", "recipeYield": 2,
                          "recipeIngredient": ["500 г творога"]})"),
              "2");

    TestDb t;
    const QString one = t.dir() + QStringLiteral("/Суп.paprikarecipe");
    write(one, R"({"name": "Суп", "ingredients": "Вода 1 л", "directions": "Варить.",
                   "servings": "на большую семью"})");
    ASSERT_EQ(import(t, one).recipes, 1);
    EXPECT_EQ(textOf(t.db, "SELECT Servings || '|' || Note FROM RecipeServings"),
              "0|на большую семью");
}
