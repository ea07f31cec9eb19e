#include "catalog/CCatalogView.h"
#include "data/DbError.h"
#include "intake/CIntakeDlg.h"
#include "intake/IngredientLine.h"
#include "intake/IntakeStore.h"
#include "intake/RecipeReader.h"
#include "intake/WordForms.h"
#include "photos/PhotoStore.h"
#include "support/TestDb.h"
#include "support/Widgets.h"

#include "recipes/RecipeStore.h"
#include <QAbstractItemModel>
#include <QBuffer>
#include <QCheckBox>
#include <QCompleter>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QStringEncoder>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QUrl>

using namespace intake;

namespace {

struct LineCase {
    const char* line;
    const char* product;
    float amount;
    const char* unit;
};

// Lines as Russian sites and notebooks write them, and what each must give.
const LineCase kLines[] = {
    {"Мука пшеничная — 200 г", "Мука пшеничная", 200, "г"},
    {"200 г муки", "муки", 200, "г"},
    {"2 ст. л. сахара", "сахара", 2, "ст.л."},
    {"Яйца — 3 шт.", "Яйца", 3, "шт"},
    {"Соль — по вкусу", "Соль", 0, "по вкусу"},
    {"0,5 л молока", "молока", 0.5f, "л"},
    {"1/2 стакана кефира", "кефира", 0.5f, "стакан"},
    {"1½ ч. л. соды", "соды", 1.5f, "ч.л."},
    {"2-3 зубчика чеснока", "чеснока", 2, "зубчик"},
    {"щепотка соли", "соли", 1, "щепотка"},
    {"Сахар: 100 г", "Сахар", 100, "г"},
    {"Масло сливочное – 50 г", "Масло сливочное", 50, "г"},
    {"3 яйца", "яйца", 3, "шт"},
    {"Сметана — 2 столовые ложки", "Сметана", 2, "ст.л."},
    {"1 чайная ложка разрыхлителя", "разрыхлителя", 1, "ч.л."},
    {"Вода — 1,5 литра", "Вода", 1.5f, "л"},
    {"300 гр. фарша", "фарша", 300, "г"},
    {"Сыр твердый 150 г", "Сыр твердый", 150, "г"},
    {"1 банка горошка", "горошка", 1, "банка"},
    {"Соль", "Соль", 0, ""},
    {"Мука — сколько возьмёт тесто", "Мука", 0, ""},
    {"1 1/2 стакана муки", "муки", 1.5f, "стакан"},
    {"¼ ч. л. соли", "соли", 0.25f, "ч.л."},
    {"Творог 9% — 400 г", "Творог 9%", 400, "г"},
    {"Сода — на кончике ножа", "Сода", 0, "на кончике ножа"},
    {"50 грамм сливочного масла", "сливочного масла", 50, "г"},
    {"2 веточки розмарина", "розмарина", 2, "веточка"},
    {"Лимон — 1/2 шт.", "Лимон", 0.5f, "шт"},
    {"Молоко — 1/0 стакана", "Молоко", 0, ""},
    {"  — 100 г", "", 0, ""},
    {"Лавровый лист — 2 шт.", "Лавровый лист", 2, "шт"},
    // A range's dash is no separator, and a range gives its first number.
    {"Чеснок — 2–3 зубчика", "Чеснок", 2, "зубчик"},
    {"Мука: 2–3 стакана", "Мука", 2, "стакан"},
    {"Кокосовая стружка 10–15 гр", "Кокосовая стружка", 10, "г"},
    {"Лимонная кислота 1/3-1/2 ч. л.", "Лимонная кислота", 1.0f / 3, "ч.л."},
    // Thousands written apart, with a plain or a no-break space.
    {"Вода — 1 000 мл", "Вода", 1000, "мл"},
    {"Сахар 1\u00a0500 г", "Сахар", 1500, "г"},
    // The first amount outside brackets wins; the bracket stays out of the name.
    {"помидор 180 г (1 шт.)", "помидор", 180, "г"},
    {"растительное масло 30 мл (2 ст. л.)", "растительное масло", 30, "мл"},
    {"фиолетовый лук 60 г (½ шт.)", "фиолетовый лук", 60, "г"},
    {"Сыр (200 г)", "Сыр", 200, "г"},
    {"Масло (оливковое) — 30 мл", "Масло оливковое", 30, "мл"},
    // Spellings of units and amounts.
    {"Укроп — 1 пуч.", "Укроп", 1, "пучок"},
    {"Мука — 2 стак.", "Мука", 2, "стакан"},
    {"Чеснок — 3 зуб.", "Чеснок", 3, "зубчик"},
    {"зелёный лук - 2 стебля", "зелёный лук", 2, "стебель"},
    {"Сахар — 1 ст л.", "Сахар", 1, "ст.л."},
    {"чёрный молотый перец щепотка", "чёрный молотый перец", 1, "щепотка"},
    {"половина лимона", "лимона", 0.5f, "шт"},
    {"120 г / ½ стакана сметаны", "сметаны", 120, "г"},
    {"Молоко 3,2% жирности 2 ст. л. = 30 г", "Молоко 3,2% жирности", 2, "ст.л."},
    {"Соль по вкусу", "Соль", 0, "по вкусу"},
    {"Перец (по вкусу)", "Перец", 0, "по вкусу"},
    // Notes stay out of the name.
    {"Лимон (цедра и сок)", "Лимон", 0, ""},
    {"петрушка, мелко нарезанная — 1 пучок", "петрушка", 1, "пучок"},
    {"Масло растительное (для жарки)", "Масло растительное", 0, ""},
    {"Для теста: мука — 200 г", "мука", 200, "г"},
    {"Для соуса: сливки — 200 мл, жирные", "сливки", 200, "мл"},
    // Latin units of foreign pages.
    {"200 g carrots", "carrots", 200, "г"},
    {"2 tbsp olive oil", "olive oil", 2, "ст.л."},
    {"1 tsp salt", "salt", 1, "ч.л."},
    {"500 ml milk", "milk", 500, "мл"},
};

} // namespace

TEST(IngredientLine, ReadsTheLinesPeopleWrite) {
    ASSERT_GE(std::size(kLines), 50u);
    for (const LineCase& c : kLines) {
        const ParsedLine p = parseLine(QString::fromUtf8(c.line));
        EXPECT_EQ(p.product, QString::fromUtf8(c.product)) << c.line;
        EXPECT_FLOAT_EQ(p.amount, c.amount) << c.line;
        EXPECT_EQ(p.unit, QString::fromUtf8(c.unit)) << c.line;
    }
    // A line of a megabyte is read in part, without harm.
    EXPECT_EQ(parseLine(QString(1 << 20, QLatin1Char('x'))).product.size(), 500);
    EXPECT_EQ(usualUnit("Столовая ложка"), "ст.л.");
    // A spoon of no kind stays a spoon: which spoon it is, nobody can tell.
    EXPECT_EQ(usualUnit("ложки"), "ложка");
    // What the line says beside its product is kept as a note.
    EXPECT_EQ(parseLine("2 крупных яйца, комнатной температуры").note, "комнатной температуры");
    EXPECT_EQ(parseLine("Лимон (цедра и сок)").note, "цедра и сок");
    EXPECT_EQ(parseLine("Лимон (цедра), цедра").note, "цедра");
    EXPECT_EQ(parseLine("Лимон (), (цедра) (цедра)").note, "цедра");
    // A bracket never closed: what follows it is the note, not the name.
    EXPECT_EQ(parseLine("Сметана (жирная").product, "Сметана");
    EXPECT_EQ(parseLine("Сметана (жирная").note, "жирная");
    // An amount in brackets restates the one outside: it is no note.
    EXPECT_EQ(parseLine("Помидор 180 г (1 шт.)").note, "");
    // Two products to taste on one line.
    QStringList both;
    for (const ParsedLine& p : parseProducts("соль, черный перец - по вкусу"))
        both << QStringLiteral("%1|%2|%3").arg(p.product).arg(p.amount).arg(p.unit);
    EXPECT_EQ(both, (QStringList{"соль|0|по вкусу", "черный перец|0|по вкусу"}));
    EXPECT_EQ(parseProducts("Соль, мелко молотая").size(), 1u);
}

TEST(WordForms, NewNamesInTheirDictionaryForm) {
    const std::pair<const char*, const char*> afterAmount[] = {
        {"муки", "Мука"},
        {"яиц", "Яйцо"},
        {"твёрдого сыра", "Сыр твёрдый"},
        {"сливочного масла", "Масло сливочное"},
        {"пшеничной муки", "Мука пшеничная"},
        {"огурцов", "Огурец"},
        {"сливок", "Сливки"},
        {"цедры лимона", "Цедра лимона"},
        {"белого винного уксуса", "Уксус белый винный"},
        {"манки", "Манка"},
        {"мякоти говядины", "Мякоть говядины"},
        {"крупы высшего сорта", "Крупа высшего сорта"},
        {"масла сливочного 82%", "Масло сливочное 82%"},
        // Soft and hushing endings agree with their noun.
        {"домашнего молока", "Молоко домашнее"},
        {"домашней сметаны", "Сметана домашняя"},
        {"свежего шпината", "Шпинат свежий"},
        // A piece named for itself is the product.
        {"луковицы", "Лук"},
        {"картофелин", "Картофель"},
    };
    for (const auto& [written, name] : afterAmount)
        EXPECT_EQ(dictionaryName(QString::fromUtf8(written), NamePlace::AfterAmount).name,
                  QString::fromUtf8(name))
            << written;
    // Written first, a name is already the cook's: only a plural becomes singular.
    QStringList first;
    // A genitive written first, of any ending, is made nominative ("муки 2 стакана").
    for (const char* written : {"Манка", "Зелёный лук", "Помидоры черри", "Яйца", "Сыра", "муки",
                                "масла", "Крупа", "Скумбрия холодного копчения"})
        first << dictionaryName(QString::fromUtf8(written), NamePlace::First).name;
    EXPECT_EQ(first, (QStringList{"Манка", "Зелёный лук", "Помидор черри", "Яйцо", "Сыр", "Мука",
                                  "Масло", "Крупа", "Скумбрия холодного копчения"}));
    // How a product is goes to the note, not into its name.
    const DictionaryName eggs = dictionaryName("больших яиц", NamePlace::AfterAmount);
    EXPECT_EQ(std::pair(eggs.name, eggs.left), std::pair(QString("Яйцо"), QString("больших")));
}

TEST(RecipeReader, ReadsPagesJsonFilesAndText) {
    const QString dir = QStringLiteral(OVELTA_TEST_DATA "/intake/");
    ReadRecipe r = readFile(dir + "jsonld.html");
    EXPECT_EQ(r.title, "Блины на кефире & мёде");
    EXPECT_EQ(r.ingredients, (QStringList{"Кефир — 500 мл", "2 яйца", "Мука пшеничная — 250 г",
                                          "Соль — по вкусу"}));
    EXPECT_EQ(r.method, (QStringList{"Смешать кефир с яйцами.",
                                     QString::fromUtf8("Всыпать муку, перемешать до гладкости."),
                                     "Жарить на горячей сковороде."}));
    EXPECT_TRUE(r.notice.isEmpty());

    // Each file as title | ingredients | method | notice. In graph.html: @graph, a type array,
    // a second block, sections whose names stay as lines; in bodyld.html a head that declares
    // no recipe, so the body is read too.
    QStringList read;
    for (const char* file : {"graph.html", "bodyld.html", "microdata.html", "two.html",
                             "export.json", "headed.txt", "plain.txt"}) {
        r = readFile(dir + QString::fromLatin1(file));
        read << QStringList{r.title, r.ingredients.join(';'), r.method.join(';'), r.notice}.join(
            " | ");
    }
    EXPECT_EQ(read,
              (QStringList{
                  "Борщ | Свёкла — 2 шт.;Капуста — 300 г | Бульон;Сварить бульон.;Зажарка;"
                  "Обжарить свёклу.;Добавить в бульон. | ",
                  "Окрошка на кефире | Кефир — 1 л;Огурцы — 2 шт. | Нарезать и залить кефиром. | ",
                  "Сырники | Творог — 400 г;1 яйцо;2 ст. л. сахара | Размять творог.;"
                  "Сформовать и обжарить. | ",
                  "Первый | Вода — 1 л | Вскипятить. | В файле рецептов: 2; взят первый.",
                  "Оладьи | Кефир 250 мл;1 яйцо;Мука 200 г;0,5 ч. л. соды | Смешать всё.;"
                  "Жарить на масле. | ",
                  "Каша гречневая | Крупа гречневая — 1 стакан;Вода — 2 стакана;Соль — по "
                  "вкусу | Промыть крупу.;Залить водой и варить 20 минут. | ",
                  "Омлет | 3 яйца;100 мл молока;щепотка соли | Взбить яйца с молоком и "
                  "солью.;Жарить под крышкой 5 минут. | "}));

    // What holds no recipe says why, naming the file.
    for (const char* bad : {"norecipe.html", "broken.json", "missing.html"}) {
        try {
            readFile(dir + bad);
            ADD_FAILURE() << bad << " was read";
        } catch (const IntakeError& e) {
            EXPECT_TRUE(e.message().contains(QString::fromLatin1(bad)))
                << e.message().toStdString();
            // A file that is not there is told so, not as a file without a recipe.
            if (QByteArray(bad) == "missing.html")
                EXPECT_TRUE(e.message().endsWith("файла нет")) << e.message().toStdString();
        }
    }
    // A file past the size any saved recipe has is refused unread, saying so.
    {
        QTemporaryDir scratch;
        QFile big(scratch.filePath("big.html"));
        ASSERT_TRUE(big.open(QIODevice::WriteOnly) && big.resize(kMaxIntakeBytes + 1));
        big.close();
        try {
            readFile(big.fileName());
            ADD_FAILURE() << "a file of 10 MB and more was read";
        } catch (const IntakeError& e) {
            EXPECT_TRUE(e.message().contains("файл больше 10 МБ")) << e.message().toStdString();
        }
    }
    // Garbage, a nesting of a hundred thousand elements, and JSON nested past any sense.
    EXPECT_THROW(readHtml(QByteArray(5000, '\x01')), IntakeError);
    EXPECT_THROW(readHtml(QByteArray("<div>").repeated(100000)), IntakeError);
    EXPECT_THROW(readJson(QByteArray("[").repeated(100000)), IntakeError);
    // A recipe forty arrays deep is still found: the walk stops only past sixty-four.
    EXPECT_EQ(readJson(QByteArray("[").repeated(40) +
                       R"({"@type": "Recipe", "name": "Чай", "recipeIngredient": ["Чай"]})" +
                       QByteArray("]").repeated(40))
                  .title,
              "Чай");
    EXPECT_THROW(readText("  \n\n"), IntakeError);
    // A picture or an archive says what it is and where it belongs.
    QTemporaryDir scratch;
    for (const auto& [name, bytes, said] :
         {std::tuple{"photo.jpg", QByteArray("\xFF\xD8\xFF\xE0 JFIF"), "это картинка"},
          std::tuple{"export.zip", QByteArray("PK\x03\x04 zip"), "ovelta-db import-collection"}}) {
        writeFile(scratch.filePath(name), bytes);
        try {
            readFile(scratch.filePath(name));
            ADD_FAILURE() << name << " was read";
        } catch (const IntakeError& e) {
            EXPECT_TRUE(e.message().contains(QString::fromUtf8(said))) << e.message().toStdString();
        }
    }
}

TEST(RecipeReader, PagesAndTextsAsTheyComeFromTheWild) {
    QTemporaryDir dir;
    // Code page 1251 text is read as such, never as "����".
    const QString cp1251 = dir.filePath("borsch.txt");
    writeFile(
        cp1251,
        QStringEncoder("windows-1251").encode(QStringLiteral("Борщ\nСвёкла — 2 шт.\n\nВарить.\n")));
    EXPECT_EQ(readFile(cp1251).title, "Борщ");
    // A page saved under any name, starting with a byte-order mark or a comment; its type
    // given as a full address; entities encoded twice.
    const QByteArray page =
        "<script type=\"application/ld+json\">{\"@type\": \"https://schema.org/Recipe\", "
        "\"name\": \"Чай &amp;amp; мёд\", \"recipeIngredient\": [\"Чай — 1 ч. л.\"], "
        "\"recipeInstructions\": \"Заварить.\"}</script>";
    for (const QByteArray& start :
         {QByteArray("\xEF\xBB\xBF<!DOCTYPE html>"), QByteArray("<!-- saved from url -->")}) {
        const QString file = dir.filePath("page.dat");
        writeFile(file, start + "<html><head>" + page + "</head></html>");
        const ReadRecipe r = readFile(file);
        EXPECT_EQ(r.title, "Чай & мёд");
        EXPECT_EQ(r.ingredients, QStringList{"Чай — 1 ч. л."});
    }
    // Elements that close themselves ("<br>", "<img>", "<span/>") do not count as nesting.
    EXPECT_EQ(readHtml("<html><body>" + QByteArray("<br><img src=x><span/>").repeated(600) + page +
                       "</body></html>")
                  .title,
              "Чай & мёд");
    // A recipe JSON file under a name that says nothing is still read as one.
    const QString json = dir.filePath("recipe.dat");
    writeFile(json, R"({"@type": "Recipe", "name": "Кисель", "recipeIngredient": ["Вода — 1 л"]})");
    EXPECT_EQ(readFile(json).title, "Кисель");
    // Markup without a product list is read, and says so.
    EXPECT_EQ(
        readJson(R"({"@type": "Recipe", "name": "Чай", "recipeInstructions": "Заварить."})").notice,
        "В файле JSON нет списка продуктов.");
    // A text of which no line reads as a product with its amount is no recipe.
    try {
        readText("README\n\nThis program builds with CMake.\nRun the tests.\n");
        ADD_FAILURE() << "a README was read as a recipe";
    } catch (const IntakeError& e) {
        EXPECT_TRUE(e.message().contains("не похоже на рецепт")) << e.message().toStdString();
    }
    // Without a heading, a line to taste is still a product, not the method.
    EXPECT_EQ(readText("Омлет\n3 яйца\nСоль по вкусу\n\nВзбить.").ingredients,
              (QStringList{"3 яйца", "Соль по вкусу"}));
    // What a site says of the recipe is no product; groups apart by empty lines are one list.
    const ReadRecipe soup = readText("Борщ\nВремя приготовления: 2 часа\n\nДля бульона:\n"
                                     "Говядина — 700 г\n\nДля зажарки:\nСвекла — 2 шт.\n\n"
                                     "Капуста — 300 г\n\nСварить бульон.\nСварить борщ.");
    EXPECT_EQ(soup.ingredients, (QStringList{"Для бульона:", "Говядина — 700 г",
                                             "Для зажарки:", "Свекла — 2 шт.", "Капуста — 300 г"}));
    EXPECT_EQ(soup.method, (QStringList{"Сварить бульон.", "Сварить борщ."}));
}

TEST(IntakeStore, MatchesByWordFormsAndStoresAllOrNothing) {
    TestDb t;
    for (const char* name : {"Мука пшеничная", "Сахар", "Яйцо куриное", "Масло сливочное",
                             "Масло растительное", "Лук зелёный", "Творог 5%"})
        t.addProduct(QString::fromUtf8(name));
    const int sugar = t.product("Сахар"), spoon = t.unit("ст. л."), pcs = t.unit("шт.");
    const Matcher m(t.db);
    // "муки": the only flour; "масла": two kinds, so neither is guessed; "Творог 9%" is
    // not the 5% one.
    EXPECT_EQ((std::vector{m.productFor("сахара"), m.productFor("муки"), m.productFor("масла"),
                           m.productFor("Творог 9%")}),
              (std::vector{sugar, t.product("Мука пшеничная"), 0, 0}));
    // Units by the collection's own spelling.
    EXPECT_EQ((std::vector{m.unitFor("ст.л."), m.unitFor("шт"), m.unitFor("г")}),
              (std::vector{spoon, pcs, 0}));
    // A unit typed in the preview in another spelling becomes the collection's own.
    const MatchedLine edited = m.matchEdited("сахар", 2, "столовая ложка");
    EXPECT_EQ(QStringLiteral("%1 %2").arg(edited.unitId).arg(edited.unit),
              QStringLiteral("%1 ст. л.").arg(spoon));
    // Words in any order and any form find the product the dictionary holds.
    QStringList found;
    for (const char* line : {"2 столовые ложки сахара", "зелёный лук - 2 стебля", "5 яиц",
                             "2 крупных яйца, комнатной температуры"}) {
        const MatchedLine l = m.match(parseLine(QString::fromUtf8(line)));
        found << QStringLiteral("%1 %2 %3").arg(l.productId).arg(l.product, l.unit);
    }
    EXPECT_EQ(found,
              (QStringList{QStringLiteral("%1 Сахар ст. л.").arg(sugar),
                           QStringLiteral("%1 Лук зелёный стебель").arg(t.product("Лук зелёный")),
                           QStringLiteral("%1 Яйцо куриное шт.").arg(t.product("Яйцо куриное")),
                           QStringLiteral("%1 Яйцо куриное шт.").arg(t.product("Яйцо куриное"))}));

    // One recipe never makes two products of one name in two forms, orders or spellings;
    // lines follow the kitchen lists; notes go after the method.
    t.db.exec("INSERT INTO Products (ID) VALUES (?)", {qint64(sugar)});
    const int stray = t.addLine(0, sugar, 1, 0); // a line the editor left waiting
    const std::vector<MatchedLine> lines =
        m.matchLines({"Сахар — 100 г", "100 г твёрдого сыра", "Сыр твёрдый — 50 г (для посыпки)",
                      "Свёкла отварная — 1 шт.", "свекла отварная 200 г", "Корица — 1 ч. л."});
    const int recipe =
        storeRecipe(t.db, 0, "Пирог", lines, methodWithNotes({"Смешать.", "Испечь."}, lines));
    EXPECT_EQ(namesOf(recipes::dictionary(t.db, recipes::Dictionary::Products))
                  .filter(QRegularExpression("Сыр|Свёкла|Свекла|Корица")),
              (QStringList{"Корица", "Свёкла отварная", "Сыр твёрдый"}));
    EXPECT_EQ(textOf(t.db,
                     "SELECT group_concat(Have, '') FROM (SELECT Have FROM Ingredients "
                     "WHERE Recipe=? ORDER BY ID)",
                     {qint64(recipe)}),
              "100000");
    EXPECT_EQ(number(t.db, "SELECT Recipe FROM Ingredients WHERE ID=?", {stray}), 0);
    EXPECT_EQ(textOf(t.db, "SELECT Recipe FROM Recipes WHERE ID=?", {qint64(recipe)}),
              "Смешать.\r\nИспечь.\r\n\r\nК продуктам:\r\nСыр твёрдый: для посыпки");

    // Names past the collection's limit are cut at a word and stored; a method past its
    // limit is refused in Russian and stores nothing, not even its new names.
    const QString longName = QString("Очень длинное название продукта ").repeated(16);
    const int cut = storeRecipe(t.db, 0, longName, m.matchLines({longName + " — 1 шт."}), {});
    const QString stored = textOf(t.db,
                                  "SELECT p.Name FROM Ingredients i JOIN Ingredient p ON "
                                  "p.ID=i.Ingredient WHERE i.Recipe=?",
                                  {qint64(cut)});
    EXPECT_LE(stored.size(), kMaxName);
    EXPECT_TRUE(stored.endsWith("продукта")) << stored.toStdString();
    // A unit typed at length in the preview is cut the same way.
    MatchedLine longUnit{"Соль", 0, 1, QString(300, QChar(0x0449)), 0, {}, {}};
    const int withUnit = storeRecipe(t.db, 0, "Соль", {longUnit}, {});
    EXPECT_EQ(textOf(t.db,
                     "SELECT length(u.Name) <= 255 FROM Ingredients i JOIN Units u ON "
                     "u.ID=i.Unit WHERE i.Recipe=?",
                     {qint64(withUnit)}),
              "1");
    EXPECT_EQ(textOf(t.db, "SELECT length(Name) FROM Recipes WHERE ID=?", {qint64(cut)}),
              QString::number(cutAtWord(longName, kMaxName).size()));
    const QString before = snapshot(t.db);
    try {
        storeRecipe(t.db, 0, "Суп", m.matchLines({"Ваниль — 1 стручок"}),
                    {QString(kMaxMethod + 1, QLatin1Char('x'))});
        ADD_FAILURE() << "a method past its limit was stored";
    } catch (const IntakeError& e) {
        EXPECT_TRUE(e.message().contains("65535")) << e.message().toStdString();
    }
    EXPECT_EQ(snapshot(t.db), before);
}

TEST(IntakeDialog, ShowsWhatWasReadAndSavesOnlyWhenAsked) {
    // Loaded first, so that the preview shows its final names at once.
    dictionaryName("муки", NamePlace::AfterAmount);
    ASSERT_TRUE(dictionaryReady());
    TestDb t;
    const int soups = t.addSection("Выпечка");
    t.addProduct("Кефир");
    ShownFrame frame(t.db);
    frame.catalogView()->selectEntry(frame.catalogView()->findChild(nullptr, soups));
    const QString page = QStringLiteral(OVELTA_TEST_DATA "/intake/jsonld.html");
    const QString before = snapshot(t.db);
    onNextModal(
        [&](QWidget* dialog) {
            EXPECT_EQ(child<QLineEdit>(dialog, "title")->text(), "Блины на кефире & мёде");
            EXPECT_EQ(child<QLabel>(dialog, "section")->text(), "Выпечка");
            QTableWidget* lines = child<QTableWidget>(dialog, "lines");
            ASSERT_EQ(lines->rowCount(), 4);
            EXPECT_EQ(lines->item(0, 0)->text(), "Кефир");
            EXPECT_FALSE(lines->item(0, 0)->font().bold()); // the collection's own
            EXPECT_TRUE(lines->item(1, 0)->font().bold());  // "Яйцо": new
            QLabel* notice = child<QLabel>(dialog, "notice");
            EXPECT_EQ(notice->text(), "Новых продуктов и единиц: 7 (выделены).");
            // An edited cell is marked again at once, and the count follows it.
            lines->item(1, 0)->setText("кефир");
            EXPECT_FALSE(lines->item(1, 0)->font().bold());
            EXPECT_EQ(notice->text(), "Новых продуктов и единиц: 6 (выделены).");
            // A line left without a unit makes no new unit.
            lines->item(3, 2)->setText("");
            EXPECT_FALSE(lines->item(3, 2)->font().bold());
            EXPECT_EQ(notice->text(), "Новых продуктов и единиц: 5 (выделены).");
            // Product cells complete from the collection's names, as the line dialog does.
            lines->editItem(lines->item(2, 0));
            auto editor = lines->findChild<QLineEdit*>("productEditor");
            auto completer = editor ? editor->findChild<QCompleter*>() : nullptr;
            EXPECT_NE(completer, nullptr) << "no completing editor in the product cell";
            if (completer) {
                typeText(editor, "еф");
                EXPECT_EQ(completer->completionModel()->rowCount(), 1);
                EXPECT_EQ(completer->completionModel()->index(0, 0).data().toString(), "Кефир");
            }
            click(dialog, "cancelButton");
        },
        nullptr, "the intake dialog");
    importRecipe(t.db, *frame.catalogView(), &frame, page);
    EXPECT_EQ(snapshot(t.db), before);

    // Edited in the table, then saved: in the section, shown in the tree and selected.
    onNextModal(
        [&](QWidget* dialog) {
            QTableWidget* lines = child<QTableWidget>(dialog, "lines");
            lines->item(1, 0)->setText("Яйцо куриное");
            lines->item(1, 1)->setText("2,5");
            click(dialog, "saveButton");
        },
        nullptr, "the intake dialog");
    importRecipe(t.db, *frame.catalogView(), &frame, page);
    EXPECT_EQ(textOf(t.db,
                     "SELECT group_concat(Name || ' ' || Quantity || ' ' || Unit, '|') FROM "
                     "(SELECT f.* FROM IngredientsFull f JOIN Recipes r ON r.ID=f.Recipe "
                     "WHERE r.Catalog=? ORDER BY Seq)",
                     {soups}),
              QStringLiteral("Кефир 500.0 мл|Яйцо куриное 2.5 шт|Мука пшеничная 250.0 г|Соль 0.0 "
                             "по вкусу"));
    EXPECT_EQ(frame.catalogView()->selectedEntry()->text(0), "Блины на кефире & мёде");
    EXPECT_EQ(number(t.db, "SELECT count(*) FROM Ingredient WHERE Name='Кефир'"), 1);
}

namespace {

QByteArray pngPicture(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::darkGreen);
    QByteArray out;
    QBuffer buffer(&out);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return out;
}

QString jsonLdPage(const QString& image) {
    return QStringLiteral(R"(<html><head><script type="application/ld+json">
{"@graph": [{"@type": "Recipe", "name": "Борщ", "image": %1,
  "recipeIngredient": ["Свёкла — 1 шт."], "recipeInstructions": "Варить."},
 {"@type": "ImageObject", "@id": "#photo", "url": "https://example.ru/img/borsch%20big.jpg"}]}
</script></head><body></body></html>)")
        .arg(image);
}

} // namespace

// Photos come where the file carries them or they were saved beside it, and nowhere else.
TEST(RecipeReader, FindsThePhotoInTheFileOrSavedBesideIt) {
    QTemporaryDir dir;
    const QString root = dir.path();
    const QByteArray picture = pngPicture(40, 30);
    auto write = [&](const QString& name, const QByteArray& bytes) {
        QDir(root).mkpath(QFileInfo(root + "/" + name).path());
        writeFile(root + "/" + name, bytes);
        return root + "/" + name;
    };
    // A page saved whole: the address in the markup is the site's, by an @id; the picture
    // is in NAME_files under its own name.
    write("Борщ_files/borsch big.jpg", picture);
    ReadRecipe r = readFile(write("Борщ.html", jsonLdPage(R"({"@id": "#photo"})").toUtf8()));
    EXPECT_EQ(r.images.value(0), "https://example.ru/img/borsch%20big.jpg");
    EXPECT_EQ(r.photo, picture);
    EXPECT_EQ(r.photoSource, "borsch big.jpg");
    // Saved without its pictures: the address is known, the bytes are not.
    r = readFile(write("Щи.html", jsonLdPage(R"(["https://example.ru/schi.jpg"])").toUtf8()));
    EXPECT_EQ(r.images, QStringList{"https://example.ru/schi.jpg"});
    EXPECT_TRUE(r.photo.isEmpty());
    // Thumbnails of a listed picture go last.
    r = readFile(write("Уха.html", jsonLdPage(R"(["https://e.ru/a-225x225.jpg",
        "https://e.ru/a.jpg"])")
                                       .toUtf8()));
    EXPECT_EQ(r.images, (QStringList{"https://e.ru/a.jpg", "https://e.ru/a-225x225.jpg"}));
    // In the file itself: a data: address, or bare base64 in a JSON file.
    r = readFile(write("Каша.html", jsonLdPage("\"data:image/png;base64," +
                                               QString::fromLatin1(picture.toBase64()) + "\"")
                                        .toUtf8()));
    EXPECT_EQ(r.photo, picture);
    r = readFile(write("Чай.json", R"({"@type": "Recipe", "name": "Чай", "recipeIngredient":
        ["Чай — 1 ч. л."], "image": ")" +
                                       picture.toBase64() + "\"}"));
    EXPECT_EQ(r.photo, picture);
    // A JSON file without an address, and a picture of its name beside it.
    write("Кофе.jpg", picture);
    r = readFile(write("Кофе.json", R"({"@type": "Recipe", "name": "Кофе",
        "recipeIngredient": ["Кофе — 1 ч. л."]})"));
    EXPECT_EQ(r.photo, picture);
    EXPECT_EQ(r.photoSource, "Кофе.jpg");
    // A microdata picture, lazily loaded, by a relative path.
    write("img/plov.png", picture);
    r = readFile(write("Плов.html", R"(<html><body><div itemscope
        itemtype="https://schema.org/Recipe"><h1 itemprop="name">Плов</h1>
        <img itemprop="image" src="data:image/gif;base64,R0lGOD" data-src="img/plov.png?v=2">
        <span itemprop="recipeIngredient">Рис — 300 г</span></div></body></html>)"));
    EXPECT_EQ(r.photo, picture);
    // A page names files outside its folder: they are not read.
    const QString secret = write("секрет.png", picture);
    QDir(root).mkpath("page");
    // Nor a sibling folder whose name begins with the page's own folder's name.
    write("page2/x.png", picture);
    for (const QString& address :
         {QStringLiteral("../секрет.png"), QUrl::fromLocalFile(secret).toString(),
          QStringLiteral("../page2/x.png")}) {
        const QString page = write("page/Суп.html", jsonLdPage('"' + address + '"').toUtf8());
        EXPECT_TRUE(readFile(page).photo.isEmpty()) << address.toStdString();
    }
}

// The preview shows the photo found and lets it be left out; a broken one is said and
// the recipe is still stored.
TEST(IntakeDialog, ShowsThePhotoFoundAndStoresItOnlyWhenTaken) {
    dictionaryName("муки", NamePlace::AfterAmount);
    TestDb t;
    ShownFrame frame(t.db);
    QTemporaryDir dir;
    QDir(dir.path()).mkpath("Борщ_files");
    writeFile(dir.path() + "/Борщ_files/borsch big.jpg", pngPicture(400, 200));
    const QString page = dir.path() + "/Борщ.html";
    writeFile(page, jsonLdPage(R"({"@id": "#photo"})").toUtf8());
    auto import = [&](bool take, const std::function<void(QWidget*)>& look) {
        onNextModal(
            [&](QWidget* dialog) {
                look(dialog);
                child<QCheckBox>(dialog, "takePhoto")->setChecked(take);
                click(dialog, "saveButton");
            },
            nullptr, "the intake dialog");
        importRecipe(t.db, *frame.catalogView(), &frame, page);
        return int(number(t.db, "SELECT max(ID) FROM Recipes"));
    };
    const int taken = import(true, [](QWidget* dialog) {
        QLabel* photo = child<QLabel>(dialog, "photo");
        EXPECT_EQ(photo->pixmap().width(), 120);
        // Laid out beside the title, covering none of the fields.
        for (const char* field : {"source", "title", "lines", "openButton"})
            EXPECT_FALSE(photo->geometry().intersects(child<QWidget>(dialog, field)->geometry()))
                << field;
        EXPECT_TRUE(child<QCheckBox>(dialog, "takePhoto")->isChecked());
    });
    EXPECT_EQ(photos::photoSize(t.db, taken), QSize(400, 200));
    const int left = import(false, [](QWidget*) {});
    EXPECT_GT(left, taken);
    EXPECT_FALSE(photos::hasPhoto(t.db, left));
    writeFile(dir.path() + "/Борщ_files/borsch big.jpg", "<svg/>");
    const int broken = import(true, [](QWidget* dialog) {
        EXPECT_TRUE(child<QLabel>(dialog, "photo")->pixmap().isNull());
        EXPECT_EQ(child<QLabel>(dialog, "photo")->text(), "без фотографии");
        EXPECT_FALSE(child<QCheckBox>(dialog, "takePhoto")->isEnabled());
        EXPECT_TRUE(child<QLabel>(dialog, "notice")
                        ->text()
                        .contains("Фотография не взята: «borsch big.jpg» — не изображение"))
            << child<QLabel>(dialog, "notice")->text().toStdString();
    });
    EXPECT_GT(broken, left);
    EXPECT_FALSE(photos::hasPhoto(t.db, broken));
}
