#include "exchange/ExchangeFormat.h"
#include "exchange/ExchangeStore.h"
#include "kitchen/KitchenStore.h"
#include "support/ImportFailure.h"
#include "support/RecordingProgress.h"
#include "support/TestDb.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

using namespace exchange;

namespace {

// The example section of the file format: Выпечка with an empty Пироги and Блины.
const QByteArray kExample =
    "Ovelta 2.01\r\nCATALOG=\xc2\xfb\xef\xe5\xf7\xea\xe0\r\n"
    "CATALOG=\xcf\xe8\xf0\xee\xe3\xe8\r\n~CATALOG\r\nRECIPE=\xc1\xeb\xe8\xed\xfb\r\n"
    "INGREDIENT=\xcc\xf3\xea\xe0\r\nQUANTITY=200\r\nUNIT=\xe3\r\n~INGREDIENT\r\n"
    "\xd1\xec\xe5\xf8\xe0\xf2\xfc.\r\r\n\xc6\xe0\xf0\xe8\xf2\xfc.\r\n~RECIPE\r\n~CATALOG\r\n";

ImportResult importText(Database& db, const QByteArray& bytes) {
    NoProgress quiet;
    return importBytes(db, bytes, quiet);
}

} // namespace

TEST(ExchangeWrite, SectionsRecipesAndLinesComeOutByteForByte) {
    TestDb t;
    EXPECT_EQ(exportBytes(t.db, std::nullopt), QByteArray("Ovelta 2.01\r\n"));

    const int baking = t.addSection("Выпечка");
    t.addSection("Пироги", baking);
    t.recipe("Блины", {{"Мука", 200, "г"}}, baking, "Смешать.\r\nЖарить.");
    ExportResult r;
    EXPECT_EQ(exportBytes(t.db, baking, &r), kExample);
    EXPECT_EQ(std::tuple(r.sections, r.recipes, r.lines, r.replaced), std::tuple(2, 1, 1, 0));
    {
        // A line added to an earlier recipe after a later one's lines still goes out under
        // its own recipe, in recipe order.
        TestDb o;
        const int first = o.recipe("Первый", {{"Соль", 1, "г"}});
        o.recipe("Второй", {{"Перец", 2, "г"}});
        o.addLine(first, o.product("Сахар"), 3, o.unit("г"));
        ExportResult lines;
        const QByteArray out = exportBytes(o.db, std::nullopt, &lines);
        EXPECT_EQ(lines.lines, 3);
        const qsizetype sugar = out.indexOf("INGREDIENT=\xd1\xe0\xf5\xe0\xf0");
        EXPECT_GT(sugar, out.indexOf("RECIPE=\xcf\xe5\xf0\xe2\xfb\xe9"));
        EXPECT_LT(sugar, out.indexOf("RECIPE=\xc2\xf2\xee\xf0\xee\xe9"));
    }

    // Root recipes come after every section; a line without a unit has an empty UNIT=;
    // a recipe without lines has its description alone; amounts are "%g".
    t.recipe("Soup", {{"Мука", 1.0f / 3}, {"Мука", 1.5e6f, "г"}});
    t.recipe("Tea", {}, 0, "Brew\u20ac");
    EXPECT_EQ(exportBytes(t.db, std::nullopt, &r),
              kExample + "RECIPE=Soup\r\nINGREDIENT=\xcc\xf3\xea\xe0\r\nQUANTITY=0.333333\r\n"
                         "UNIT=\r\n~INGREDIENT\r\nINGREDIENT=\xcc\xf3\xea\xe0\r\n"
                         "QUANTITY=1.5e+006\r\nUNIT=\xe3\r\n~INGREDIENT\r\n\r\n~RECIPE\r\n"
                         "RECIPE=Tea\r\nBrew\x88\r\n~RECIPE\r\n");
    EXPECT_EQ(r.replaced, 0);
    t.recipe("Чай \u4e2d\U0001F375");
    EXPECT_TRUE(
        exportBytes(t.db, std::nullopt, &r).endsWith("RECIPE=\xd7\xe0\xe9 ??\r\n\r\n~RECIPE\r\n"));
    EXPECT_EQ(r.replaced, 2);

    // An empty section, and a section that is not there.
    const int empty = t.addSection("Empty");
    EXPECT_EQ(exportBytes(t.db, empty), QByteArray("Ovelta 2.01\r\nCATALOG=Empty\r\n~CATALOG\r\n"));
    EXPECT_EQ(exportBytes(t.db, 999), QByteArray("Ovelta 2.01\r\n"));
    // Sections that loop are written once each, not forever.
    t.db.exec("UPDATE Catalog SET Parent=? WHERE ID=?", {empty, baking});
    t.db.exec("UPDATE Catalog SET Parent=? WHERE ID=?", {baking, empty});
    EXPECT_EQ(exportBytes(t.db, empty).count("CATALOG="), 3);
}

TEST(ExchangeRead, HeaderAndLineQuirks) {
    TestDb t;
    const QString before = snapshot(t.db);
    for (const QByteArray& bad :
         {QByteArray(), QByteArray("Ovelta 2.01 \r\nRECIPE=A\r\n"), QByteArray("ovelta 2.01\r\n"),
          QByteArray("\xef\xbb\xbfOvelta 2.01\r\nRECIPE=A\r\n"), QByteArray("\r\nOvelta 2.01\r\n"),
          QByteArray("Ovelta 3.01\r\nRECIPE=A\r\n")}) {
        EXPECT_EQ(failureOf([&] { importText(t.db, bad); }),
                  bad.isEmpty() ? "format 1: Файл пуст"
                                : "format 1: Формат файла не поддерживается");
    }
    EXPECT_EQ(snapshot(t.db), before);
    // The header alone stores nothing; a file without a last line feed reads the same.
    EXPECT_EQ(importText(t.db, "Ovelta 2.02").recipes, 0);
    EXPECT_EQ(snapshot(t.db), before);

    const ImportResult r = importText(
        t.db, "Ovelta 2.02\n~RECIPE\nRECIPE=A\r\n"
              "INGREDIENT=Salt\r\nQUANTITY=1,5\r\n~INGREDIENT\r\n"
              "INGREDIENT=Salt\r\nQUANTITY=2\r\nQUANTITY=abc\r\n~INGREDIENT\r\n"
              "INGREDIENT=Salt\r\nQUANTITY= 1e+002kg\r\nUNIT=g\r\nUNIT=kg\r\n~INGREDIENT\r\n"
              "INGREDIENT=Salt\r\nQUANTITY=1e999\r\n~INGREDIENT\r\n"
              "first\r\nstop ~RECIPE here\r\nafter the end\r\nMy CATALOG=Outer\r\n"
              "  RECIPE=Indented\r\n~CATALOG inside a recipe is description\r\n~RECIPE\r\n"
              "  ~CATALOG, anywhere in the line, ends the section\r\n"
              "RECIPE=Unfinished\r\nline one\r\r\nline two");
    EXPECT_EQ(
        std::tuple(r.recipes, r.sections, r.lines, r.rootRecipes.size(), r.topSections.size()),
        std::tuple(3, 1, 4, size_t(2), size_t(1)));
    EXPECT_EQ(textOf(t.db, "SELECT group_concat(Quantity, ' ') FROM (SELECT Quantity FROM "
                           "Ingredients ORDER BY ID)"),
              "1.0 2.0 100.0 0.0");
    // Several UNIT= lines: each is matched, the last counts.
    EXPECT_EQ(textOf(t.db, "SELECT group_concat(Name, ',') FROM Units"), "g,kg");
    EXPECT_EQ(textOf(t.db, "SELECT u.Name FROM Ingredients i JOIN Units u ON u.ID=i.Unit "
                           "WHERE i.Quantity=100"),
              "kg");
    // The key's place is fixed: a key later in the line cuts the value there.
    EXPECT_EQ(textOf(t.db, "SELECT Name FROM Catalog"), "OG=Outer");
    EXPECT_EQ(textOf(t.db, "SELECT group_concat(Name || ':' || Recipe, '|') FROM Recipes"),
              QStringLiteral("A:first|E=Indented:~CATALOG inside a recipe is description|"
                             "Unfinished:line one\r\nline two"));

    EXPECT_EQ(std::pair(scanAmount(".5"), scanAmount("-3e")),
              std::pair(std::optional(0.5f), std::optional(-3.0f)));
    // A comma is no decimal point.
    EXPECT_FALSE(scanAmount("e5") || scanAmount(",5") || scanAmount("inf"));
}

TEST(ExchangeRead, ProductsAndUnitsMatchByTheirRules) {
    TestDb t;
    // "50г" is of the same trimmed length as "50%": only the "%" can tell them apart.
    for (const char* name : {"Соль", "Соль морская", "Яйцо куриное", "50г"})
        t.addProduct(QString::fromUtf8(name));
    for (const char* name : {"СТ.Л.", "ст л", "г.", "д'ор"})
        t.addUnit(QString::fromUtf8(name));
    const int salt = t.product("Соль");
    kitchen::addProducts(t.db, kitchen::List::Always, {{salt, "Соль"}});

    QByteArray file = "Ovelta 2.01\r\nRECIPE=R'1\r\n";
    auto line = [&file](const QByteArray& product, const QByteArray& unit) {
        file += "INGREDIENT=" + product + "\r\nQUANTITY=1\r\nUNIT=" + unit + "\r\n~INGREDIENT\r\n";
    };
    line("\xf1\xee\xeb\xfc", "\xf1\xf2.\xeb.");                    // соль, ст.л.
    line("\xea\xf3\xf0\xe8\xed\xee\xe5 \xff\xe9\xf6\xee", "\xe3"); // куриное яйцо, г
    line("\xd1\xee\xeb\xfc \t", "\xe3");                           // "Соль \t", г
    line("50%", "d'or");
    line("New  name ", "\xe4'\xee\xf0");
    for (int i = 0; i < 10; ++i)
        line("Pepper", "_");
    file += "~RECIPE\r\n";
    // While the file is read, each distinct name stands once in the work tables.
    qint64 cachedProducts = -1, cachedUnits = -1;
    const int lastLine = int(file.count('\n'));
    setLineHook([&](int lineNumber) {
        if (lineNumber == lastLine) {
            cachedProducts = number(t.db, "SELECT count(*) FROM Import_Ingredient");
            cachedUnits = number(t.db, "SELECT count(*) FROM Import_Units");
        }
    });
    const ImportResult r = importText(t.db, file);
    setLineHook({});
    EXPECT_EQ(std::tuple(cachedProducts, cachedUnits, r.newProducts, r.newUnits),
              std::tuple(6, 5, 3, 3));

    // Matched names come back as the collection spells them: "соль" is the salt (always
    // present), "г." no match for "г", outer white space does not count, "%" is only itself,
    // a new name is kept as written.
    EXPECT_EQ(
        textOf(t.db, "SELECT group_concat(row, '|') FROM (SELECT p.Name || ':' || u.Name "
                     "|| ':' || i.Have AS row FROM Ingredients i JOIN Ingredient p ON "
                     "p.ID=i.Ingredient JOIN Units u ON u.ID=i.Unit ORDER BY i.ID)"),
        QStringLiteral("Соль:СТ.Л.:1|Яйцо куриное:г:0|Соль:г:1|50%:d'or:0|New  name :д'ор:0|") +
            QStringLiteral("Pepper:_:0|").repeated(9) + QStringLiteral("Pepper:_:0"));
    EXPECT_EQ(number(t.db, "SELECT (SELECT count(*) FROM Import_Ingredient) + "
                           "(SELECT count(*) FROM Import_Units)"),
              0);

    // The same file again: a new recipe, no new products or units.
    const ImportResult again = importText(t.db, file);
    EXPECT_EQ(std::tuple(again.recipes, again.newProducts, again.newUnits), std::tuple(1, 0, 0));

    EXPECT_TRUE(unitMatches("ст.л.", "ст,л,") && productMatches(productKey(" соль"), "Соль "));
    EXPECT_FALSE(unitMatches("ст.л.", "ст л") || unitMatches("_", "x") ||
                 productMatches(productKey("соль"), "Соль морская"));
}

TEST(ExchangeRead, AFailureStoresNothingAndSaysWhichLine) {
    TestDb t;
    t.addSection("Было");
    QByteArray file = "Ovelta 2.01\r\nCATALOG=A\r\n";
    for (int i = 0; i < 500; ++i)
        file += "RECIPE=R\r\nINGREDIENT=P" + QByteArray::number(i) +
                "\r\nQUANTITY=1\r\nUNIT=g\r\n~INGREDIENT\r\ntext\r\n~RECIPE\r\n";
    file += "~CATALOG\r\n";
    const int lastLine = int(file.count('\n'));
    const QString before = snapshot(t.db);
    const QByteArray bytesBefore = fileBytes(t.path());

    setLineHook([lastLine](int line) {
        if (line == lastLine)
            throw DbError(1, "forced");
    });
    EXPECT_EQ(failureOf([&] { importText(t.db, file); }),
              QStringLiteral("data %1: Строка %1 файла не сохранена: forced. Ничего из файла не "
                             "добавлено.")
                  .arg(lastLine));
    EXPECT_EQ(fileBytes(t.path()), bytesBefore);
    EXPECT_EQ(snapshot(t.db), before);

    // Rows an interrupted import of another program left in the work tables go too.
    t.db.exec("INSERT INTO Import_Ingredient (Name, ID) VALUES ('left over', 1)");
    EXPECT_THROW(importText(t.db, file), ExchangeError);
    setLineHook({});
    EXPECT_EQ(number(t.db, "SELECT count(*) FROM Import_Ingredient"), 0);

    // A failure of the engine or the disk is no fault of a line: it is said as what it is.
    setLineHook([](int line) {
        if (line == 5)
            throw DbError(SQLITE_BUSY, "База данных занята (database is locked)");
    });
    EXPECT_EQ(failureOf([&] { importText(t.db, file); }),
              QStringLiteral("data 0: Импорт не выполнен: База данных занята (database is "
                             "locked)\nНичего из файла не добавлено."));
    setLineHook({});
    EXPECT_EQ(number(t.db, "SELECT count(*) FROM Recipes"), 0);

    // A name longer than the collection holds fails at its line, said in Russian.
    const QByteArray longName(300, 'x');
    EXPECT_EQ(failureOf([&] {
                  importText(t.db, "Ovelta 2.01\r\nCATALOG=ok\r\nRECIPE=" + longName + "\r\n");
              }),
              "data 3: Строка 3 файла не сохранена: название рецепта «" +
                  QString(40, QLatin1Char('x')) +
                  "…» длиннее 255 знаков (в нём 300). Ничего из файла не добавлено.");
    EXPECT_EQ(number(t.db, "SELECT count(*) FROM Catalog"), 1);

    // A missing file and a folder are said so, with the file's name.
    NoProgress quiet;
    const QString missing = failureOf([&] { importFile(t.db, t.dir() + "/missing.ovl", quiet); });
    EXPECT_TRUE(missing.startsWith("file 0: Не могу открыть файл missing.ovl"))
        << missing.toStdString();
}

TEST(ExchangeRoundTrip, ExportImportExportGivesTheSameFileAndText) {
    TestDb source;
    const int b = source.addSection("Холодные", source.addSection("Супы"));
    const int salt = source.product("Соль"), g = source.unit("г");
    const QString texts[] = {"Один\r\nДва\r\n", QString(), "\r\n\r\nпусто выше", "Мёд {x} \\y"};
    for (int i = 0; i < 4; ++i) {
        const int r = source.addRecipe(QStringLiteral("Рецепт %1").arg(i), i % 2 ? b : 0, texts[i]);
        source.addLine(r, salt, 0.1f * float(i + 1), g);
        source.addLine(r, salt, 0, 0); // no amount, no unit
    }
    const QByteArray first = exportBytes(source.db, std::nullopt);

    TestDb target;
    RecordingProgress progress;
    EXPECT_FALSE(importBytes(target.db, first, progress).utf8);
    // A line exported without a unit comes back without one: no unit with an empty name.
    EXPECT_EQ(textOf(target.db, "SELECT group_concat(Name, '|') FROM Units"), "г");
    EXPECT_EQ(number(target.db, "SELECT count(*) FROM Ingredients WHERE Unit=0"), 4);
    EXPECT_EQ(std::pair(progress.high, progress.last()), std::pair(first.size(), first.size()));
    EXPECT_EQ(exportBytes(target.db, std::nullopt), first);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(textOf(target.db, "SELECT Recipe FROM Recipes WHERE Name=?",
                         {QStringLiteral("Рецепт %1").arg(i)}),
                  texts[i]);

    // The same text as UTF-8, with plain CR LF line ends as a person would type it.
    TestDb utf8;
    const ImportResult asUtf8 =
        importBytes(utf8.db,
                    QStringLiteral("Ovelta 2.01\r\nRECIPE=Мёд\r\nINGREDIENT=Соль\r\nQUANTITY=2\r\n"
                                   "UNIT=г\r\n~INGREDIENT\r\nОдин\r\nДва\r\n~RECIPE\r\n")
                        .toUtf8(),
                    progress);
    EXPECT_EQ(importSummary(asUtf8), QStringLiteral("Разделов: 0, рецептов: 1, строк: 1, новых "
                                                    "продуктов: 1, новых единиц: 1; файл "
                                                    "прочитан в кодировке UTF-8"));
    EXPECT_EQ(textOf(utf8.db, "SELECT r.Name || r.Recipe || p.Name FROM Recipes r, Ingredient p"),
              "МёдОдин\r\nДваСоль");

    // The starter collection comes back byte for byte, every line with a named unit, so
    // the line dialog takes it as it is.
    TestDb starter;
    importBytes(starter.db, starterCollection(), progress);
    EXPECT_EQ(exportBytes(starter.db, std::nullopt), starterCollection());
    EXPECT_EQ(number(starter.db, "SELECT count(*) FROM Units WHERE trim(Name)=''"), 0);
    EXPECT_EQ(number(starter.db, "SELECT count(*) FROM Ingredients WHERE Unit=0"), 0);
    EXPECT_EQ(textOf(starter.db,
                     "SELECT f.Unit FROM IngredientsFull f JOIN Recipes r ON "
                     "r.ID=f.Recipe WHERE r.Name=? AND f.Name=?",
                     {"Борщ домашний", "Соль"}),
              "по вкусу");
}

TEST(ExchangeWrite, RecipesThatCannotReadBackWholeAreCounted) {
    TestDb t;
    const int soups = t.addSection("Супы");
    t.recipe("Щи", {}, soups, "Варить.\r\nПодать.");
    t.recipe("Уха ~CATALOG", {}, soups);
    t.recipe("Борщ", {}, soups, "Варить.\r\nсм. ~RECIPE ниже");
    t.recipe("Солянка", {{"Соль", 1, "QUANTITY=2"}}, soups);
    // At the root no section is open, so "~CATALOG" there is harmless; in a subsection's
    // name it ends the section above.
    t.recipe("Чай ~CATALOG", {}, 0, "Заварить.");
    t.recipe("Кофе", {}, 0, "Сварить.");
    const int cold = t.addSection("Холодные ~CATALOG", soups);
    t.recipe("Окрошка", {}, cold, "Смешать.");
    ExportResult r;
    const QByteArray file = exportBytes(t.db, std::nullopt, &r);
    EXPECT_EQ(exportWarnings(r),
              (QStringList{QStringLiteral("Рецептов, которые не прочитаются из файла целиком: 3 "
                                          "(первый — «Уха ~CATALOG»): в названии или тексте есть "
                                          "служебное слово формата."),
                           QStringLiteral("Разделов, которые не прочитаются из файла: 1 (первый — "
                                          "«Холодные ~CATALOG»): в названии есть служебное слово "
                                          "формата, и их рецепты при чтении попадут в другой "
                                          "раздел.")}));
    // The counts are true: reading the file back loses exactly those recipes' contents, and
    // the subsection's recipe lands outside it.
    TestDb back;
    importText(back.db, file);
    SqlText methods = "SELECT group_concat(Name || ':' || Recipe, '|') FROM Recipes WHERE Name IN "
                      "('Щи', 'Чай ~CATALOG', 'Кофе', 'Борщ')";
    EXPECT_EQ(textOf(back.db, methods),
              "Щи:Варить.\r\nПодать.|Борщ:Варить.|Чай ~CATALOG:Заварить.|Кофе:Сварить.");
    EXPECT_NE(textOf(back.db, "SELECT c.Name FROM Recipes r JOIN Catalog c ON c.ID=r.Catalog "
                              "WHERE r.Name='Окрошка'"),
              "Холодные ~CATALOG");
    EXPECT_EQ(exportWarnings(ExportResult{}), QStringList());
    EXPECT_TRUE(descriptionReadsBack(QStringLiteral("Смешать.\r\nINGREDIENT лёд")));
    EXPECT_FALSE(descriptionReadsBack(QStringLiteral("Смешать.\r\nINGREDIENT=лёд")) ||
                 readsBack(LinePlace::Product, QStringLiteral("Соль ~RECIPE")) ||
                 readsBack(LinePlace::Unit, QStringLiteral("шт ~INGREDIENT")));
}
