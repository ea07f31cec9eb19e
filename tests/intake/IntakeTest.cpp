#include "catalog/CCatalogView.h"
#include "data/DbError.h"
#include "intake/CIntakeDlg.h"
#include "intake/IngredientLine.h"
#include "intake/IntakeStore.h"
#include "intake/RecipeReader.h"
#include "support/TestDb.h"
#include "support/Widgets.h"

#include <QFile>
#include <QLabel>
#include <QTableWidget>

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
    {"3 яйца", "яйца", 3, ""},
    {"Сметана — 2 столовые ложки", "Сметана", 2, "ст.л."},
    {"1 чайная ложка разрыхлителя", "разрыхлителя", 1, "ч.л."},
    {"Вода — 1,5 литра", "Вода", 1.5f, "л"},
    {"300 гр. фарша", "фарша", 300, "г"},
    {"Сыр твердый 150 г", "Сыр твердый", 150, "г"},
    {"1 банка горошка", "горошка", 1, "банка"},
    {"Чеснок — 2-3 зубчика", "Чеснок", 2, "зубчик"},
    {"Соль", "Соль", 0, ""},
    {"Мука — сколько возьмёт тесто", "Мука — сколько возьмёт тесто", 0, ""},
    {"1 1/2 стакана муки", "муки", 1.5f, "стакан"},
    {"¼ ч. л. соли", "соли", 0.25f, "ч.л."},
    {"Творог 9% — 400 г", "Творог 9%", 400, "г"},
    {"Сода — на кончике ножа", "Сода — на кончике ножа", 0, ""},
    {"50 грамм сливочного масла", "сливочного масла", 50, "г"},
    {"2 веточки розмарина", "розмарина", 2, "веточка"},
    {"Лимон — 1/2 шт.", "Лимон", 0.5f, "шт"},
    {"Молоко — 1/0 стакана", "Молоко — 1/0 стакана", 0, ""},
    {"  — 100 г", "", 0, ""},
};

} // namespace

TEST(IngredientLine, ReadsTheLinesPeopleWrite) {
    for (const LineCase& c : kLines) {
        const ParsedLine p = parseLine(QString::fromUtf8(c.line));
        EXPECT_EQ(p.product, QString::fromUtf8(c.product)) << c.line;
        EXPECT_FLOAT_EQ(p.amount, c.amount) << c.line;
        EXPECT_EQ(p.unit, QString::fromUtf8(c.unit)) << c.line;
    }
    // A line of a megabyte is read in part, without harm.
    EXPECT_EQ(parseLine(QString(1 << 20, QLatin1Char('x'))).product.size(), 500);
    EXPECT_EQ(usualUnit("Столовая ложка"), "ст.л.");
    EXPECT_EQ(usualUnit("ложка"), QString());
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
        }
    }
    // Garbage, a nesting of a hundred thousand elements, and JSON nested past any sense.
    EXPECT_THROW(readHtml(QByteArray(5000, '\x01')), IntakeError);
    EXPECT_THROW(readHtml(QByteArray("<div>").repeated(100000)), IntakeError);
    EXPECT_THROW(readJson(QByteArray("[").repeated(100000)), IntakeError);
    EXPECT_THROW(readText("  \n\n"), IntakeError);
}

TEST(IntakeStore, MatchesByWordFormsAndStoresAllOrNothing) {
    TestDb t;
    for (const char* name :
         {"Мука пшеничная", "Сахар", "Яйцо", "Масло сливочное", "Масло растительное"})
        t.addProduct(QString::fromUtf8(name));
    const int sugar = t.product("Сахар"), spoon = t.unit("ст. л."), pcs = t.unit("шт.");
    const Matcher m(t.db);
    // "муки": the only flour; "масла": two kinds, so neither is guessed.
    EXPECT_EQ((std::vector{m.productFor("сахара"), m.productFor("яйца"), m.productFor("муки"),
                           m.productFor("масла")}),
              (std::vector{sugar, t.product("Яйцо"), t.product("Мука пшеничная"), 0}));
    // Units by the collection's own spelling.
    EXPECT_EQ((std::vector{m.unitFor("ст.л."), m.unitFor("шт"), m.unitFor("г")}),
              (std::vector{spoon, pcs, 0}));
    const MatchedLine line = m.match(parseLine("2 столовые ложки сахара"));
    EXPECT_EQ(std::pair(line.productId, line.unit), std::pair(sugar, QString("ст. л.")));
    // A new product's name: one word in its dictionary form, a phrase as written.
    QStringList made;
    for (const char* word : {"муки", "яйца", "соли", "корицы молотой"})
        made << Matcher::newProductName(QString::fromUtf8(word));
    EXPECT_EQ(made, (QStringList{"Мука", "Яйцо", "Соль", "Корицы молотой"}));

    // New names are made once however many lines use them; lines follow the kitchen lists.
    t.db.exec("INSERT INTO Products (ID) VALUES (?)", {qint64(sugar)});
    std::vector<MatchedLine> lines{m.match(parseLine("Сахар — 100 г")),
                                   m.match(parseLine("Корица — 1 ч. л.")),
                                   m.match(parseLine("корица — 2 г"))};
    const int recipe = storeRecipe(t.db, 0, "Пирог", lines, {"Смешать.", "Испечь."});
    EXPECT_EQ(number(t.db, "SELECT count(*) FROM Ingredient WHERE Name='Корица'"), 1);
    EXPECT_EQ(number(t.db, "SELECT count(*) FROM Units WHERE Name='г'"), 1);
    EXPECT_EQ(textOf(t.db,
                     "SELECT group_concat(Have, '') FROM (SELECT Have FROM Ingredients "
                     "WHERE Recipe=? ORDER BY ID)",
                     {qint64(recipe)}),
              "100");
    EXPECT_EQ(textOf(t.db, "SELECT Recipe FROM Recipes WHERE ID=?", {qint64(recipe)}),
              "Смешать.\r\nИспечь.");
    // A failure half-way stores nothing, not even its new names: a title too long.
    lines.push_back(m.match(parseLine("Ваниль — 1 стручок")));
    const QString before = snapshot(t.db);
    EXPECT_THROW(storeRecipe(t.db, 0, QString(300, QLatin1Char('x')), lines, {}), DbError);
    EXPECT_EQ(snapshot(t.db), before);
}

TEST(IntakeDialog, ShowsWhatWasReadAndSavesOnlyWhenAsked) {
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
            EXPECT_TRUE(lines->item(1, 0)->font().bold());  // "Яйца": new
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
              QStringLiteral("Кефир 500.0 мл|Яйцо куриное 2.5 |Мука пшеничная 250.0 г|Соль 0.0 "
                             "по вкусу"));
    EXPECT_EQ(frame.catalogView()->selectedEntry()->text(0), "Блины на кефире & мёде");
    EXPECT_EQ(number(t.db, "SELECT count(*) FROM Ingredient WHERE Name='Кефир'"), 1);
}
