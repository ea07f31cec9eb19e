#include "cooking/Scaling.h"
#include "cooking/Steps.h"
#include "data/Records.h"
#include "data/Schema.h"
#include "intake/IntakeStore.h"
#include "intake/RecipeReader.h"
#include "nutrition/NutritionStore.h"
#include "nutrition/UnitNames.h"
#include "recipes/RecipeDocument.h"
#include "recipes/Servings.h"
#include "support/TestDb.h"

#include <QRegularExpression>
#include <gtest/gtest.h>

using namespace cooking;

TEST(Scaling, EachUnitRoundsTheWayACookReadsIt) {
    struct Case {
        float amount;
        const char* unit;
        double factor;
        const char* shown;
    };
    const Case cases[] = {
        // Grams and millilitres: to 5 below 100, to 10 from 100, to a gram below 10.
        {200, "г", 1.5, "300 г"},
        {30, "г", 1.5, "45 г"},
        {37, "г", 1.5, "55 г"},
        {70, "г", 1.5, "110 г"},
        {2, "г", 1.5, "3 г"},
        {250, "мл", 0.5, "130 мл"},
        {1.5f, "кг", 1.5, "2,25 кг"},
        {1, "л", 1.0 / 3, "0,33 л"},
        // Spoons and glasses: quarters and thirds, a quarter at least, the unit agreeing.
        {1, "стакан", 1.5, "1½ стакана"},
        {1, "стакан", 1.0 / 3, "⅓ стакана"},
        {1, "стакан", 2, "2 стакана"},
        {1, "стакан", 5, "5 стаканов"},
        {1, "стакан", 1, "1 стакан"},
        {1, "ст.л.", 1.5, "1½ ст.л."},
        {1, "ст.л.", 0.7, "⅔ ст.л."},
        {2, "ч.л.", 0.1, "¼ ч.л."},
        {3, "ст.л.", 1.25, "3¾ ст.л."},
        // Pieces: whole, at least one, the exact figure beside it when far from it.
        {3, "шт", 1.5, "5 шт (4,5)"},
        {2, "шт", 1.5, "3 шт"},
        {1, "шт", 0.25, "1 шт (0,25)"},
        {10, "шт", 1.04, "10 шт"},
        {1, "пучок", 2.5, "3 пучка (2,5)"},
        {2, "", 1.5, "3"},
        // A unit the program does not know: the figure as it comes, two decimals at most.
        {1, "ковш", 1.5, "1,5 ковш"},
        // A mug, a wine glass and a coffee spoon measure as a glass and a spoon do.
        {1, "кружка", 1.5, "1½ кружки"},
        {2, "бокал", 0.5, "1 бокал"},
        {1, "коф.л.", 0.5, "½ коф.л."},
        // No amount stays no amount.
        {0, "по вкусу", 3, ""},
    };
    // Grams shown beside a scaled amount round the same way.
    EXPECT_EQ(gramsText(7.2), "7 г");
    EXPECT_EQ(gramsText(1234), "1,23 кг");
    for (const Case& c : cases)
        EXPECT_EQ(amountText(c.amount, QString::fromUtf8(c.unit), c.factor),
                  QString::fromUtf8(c.shown))
            << c.amount << " " << c.unit << " ×" << c.factor;
}

// Every unit the reader knows as a Russian word agrees with its number when scaled: one
// missing its forms would show "5 пакетик".
TEST(Scaling, EveryWordUnitAgreesWithItsNumber) {
    static const QRegularExpression word(QStringLiteral("^[а-яё]+$"));
    int words = 0;
    for (const nutrition::UnitSpelling& s : nutrition::unitSpellings()) {
        if (!word.match(s.usual).hasMatch() || s.usual.size() < 3)
            continue;
        ++words;
        EXPECT_EQ(unitFor(1, s.usual), s.usual);
        EXPECT_NE(unitFor(2, s.usual), s.usual) << s.usual.toStdString();
        EXPECT_NE(unitFor(5, s.usual), unitFor(2, s.usual)) << s.usual.toStdString();
        EXPECT_EQ(unitFor(21, s.usual), s.usual) << s.usual.toStdString();
    }
    EXPECT_GT(words, 15);
}

TEST(Scaling, FactorsAndServingsAreReadAndBoundedInRussian) {
    EXPECT_EQ(readFactor("½"), 0.5);
    EXPECT_EQ(readFactor("1½"), 1.5);
    EXPECT_EQ(readFactor("1,5"), 1.5);
    EXPECT_EQ(readFactor("3/4"), 0.75);
    EXPECT_EQ(readFactor("×2"), 2);
    EXPECT_EQ(readFactor("x3"), 3);
    EXPECT_FALSE(readFactor("много"));
    EXPECT_FALSE(readFactor("1/0"));
    EXPECT_FALSE(readFactor(""));
    EXPECT_FALSE(factorProblem(0).isEmpty());
    EXPECT_FALSE(factorProblem(-2).isEmpty());
    EXPECT_FALSE(factorProblem(100.5).isEmpty());
    EXPECT_TRUE(factorProblem(100).isEmpty());
    EXPECT_EQ(factorProblem(0), "Множитель должен быть больше 0 и не больше 100.");
    for (double bad : {0.0, -1.0, 1001.0, 2.5})
        EXPECT_FALSE(servingsProblem(bad).isEmpty()) << bad;
    EXPECT_TRUE(servingsProblem(1000).isEmpty());
    EXPECT_EQ(fractionText(2.0 / 3), "⅔");
    EXPECT_EQ(fractionText(2.98), "3");
    EXPECT_EQ(servingsNote({4, {}}, 1.5), "Пересчитано на 6 порций, в рецепте 4");
    EXPECT_EQ(servingsNote({4, {}}, 0.25), "Пересчитано на 1 порцию, в рецепте 4");
    EXPECT_EQ(servingsNote({}, 1.5), "Пересчитано: ×1½");
    EXPECT_EQ(servingsNote({}, 1.7), "Пересчитано: ×1,7");
    EXPECT_EQ(servingsNote({4, {}}, 1), "Порций: 4");
}

TEST(Servings, YieldsAreReadAsNumbersOrKeptAsWords) {
    struct Case {
        const char* text;
        int count;
        const char* note;
    };
    const Case cases[] = {
        {"4", 4, ""},
        {"4 порции", 4, ""},
        {"на 6 персон", 6, ""},
        {"6 servings", 6, ""},
        {"Serves 4", 4, ""},
        {"Порций: 2", 2, ""},
        {"четыре порции", 4, ""},
        {"на две персоны", 2, ""},
        {"4–6 порций", 4, "4–6 порций"},
        {"12 печений", 12, "12 печений"},
        {"500 г", 0, "500 г"},
        {"на большую компанию", 0, "на большую компанию"},
        {"0", 0, "0"},
        {"-3", 0, "-3"},
        {"5000", 0, "5000"},
        {"", 0, ""},
    };
    for (const Case& c : cases) {
        const recipes::Servings s = recipes::readYield(QString::fromUtf8(c.text));
        EXPECT_EQ(s.count, c.count) << c.text;
        EXPECT_EQ(s.note, QString::fromUtf8(c.note)) << c.text;
    }
    // A yield of any length is kept as a note, cut at a word.
    const QString endless = QStringLiteral("на большую компанию ").repeated(5000) + "и ещё";
    const recipes::Servings long_ = recipes::readYield(endless);
    EXPECT_LE(long_.note.size(), recipes::kMaxYieldNote);
    EXPECT_TRUE(long_.note.endsWith(QStringLiteral("компанию")))
        << long_.note.right(20).toStdString();
    EXPECT_EQ(recipes::servingsText(1), "1 порция");
    EXPECT_EQ(recipes::servingsText(3), "3 порции");
    EXPECT_EQ(recipes::servingsText(11), "11 порций");
    EXPECT_EQ(recipes::servingsText(22), "22 порции");
}

TEST(Servings, PagesTextAndTheStoreKeepTheYield) {
    // JSON-LD gives several forms: the one that says most is kept.
    const intake::ReadRecipe json = intake::readHtml(R"(<script type="application/ld+json">
        {"@type": "Recipe", "name": "Борщ", "recipeYield": ["4", "4 порции"],
         "recipeIngredient": ["Свёкла — 2 шт"], "recipeInstructions": "Варить."}</script>)");
    EXPECT_EQ(json.yield, "4 порции");
    const intake::ReadRecipe numeric = intake::readJson(
        R"({"@type": "Recipe", "name": "Суп", "recipeYield": 6, "recipeIngredient": ["Вода 1 л"]})");
    EXPECT_EQ(numeric.yield, "6");
    const intake::ReadRecipe micro = intake::readHtml(R"(<div itemscope
        itemtype="http://schema.org/Recipe"><h1 itemprop="name">Щи</h1>
        <span itemprop="recipeYield">на 6 персон</span>
        <li itemprop="recipeIngredient">Капуста — 500 г</li></div>)");
    EXPECT_EQ(micro.yield, "на 6 персон");
    // A text recipe's own line, which is no ingredient and no step.
    for (const char* line : {"Порций: 4", "На 4 порции"}) {
        const intake::ReadRecipe text = intake::readText(
            QStringLiteral("Блины\n%1\n\nМолоко — 500 мл\nМука — 200 г\n\nСмешать.")
                .arg(QString::fromUtf8(line)));
        EXPECT_EQ(recipes::readYield(text.yield).count, 4) << line;
        EXPECT_EQ(text.ingredients.size(), 2) << line;
        EXPECT_EQ(text.method, QStringList{"Смешать."}) << line;
    }

    TestDb t;
    intake::Matcher m(t.db);
    const int stored = intake::storeRecipe(t.db, 0, "Блины", m.matchLines({"Молоко — 500 мл"}),
                                           {"Смешать."}, nullptr, nullptr, "на 6 персон");
    EXPECT_EQ(recipes::servingsOf(t.db, stored), (recipes::Servings{6, {}}));
    const int worded =
        intake::storeRecipe(t.db, 0, "Печенье", {}, {"Испечь."}, nullptr, nullptr, "много печенья");
    EXPECT_EQ(recipes::servingsOf(t.db, worded), (recipes::Servings{0, "много печенья"}));
    // Servings go with their recipe.
    t.db.exec("DELETE FROM Recipes WHERE ID=?", {qint64(stored)});
    EXPECT_EQ(number(t.db, "SELECT count(*) FROM RecipeServings"), 1);
}

TEST(Servings, AnOlderFileGetsTheirTableAndOpensUnchanged) {
    TestDb t(QStringLiteral("2.02"));
    const int id = t.recipe("Каша", {{"Крупа", 1, "стакан"}});
    EXPECT_FALSE(t.db.hasTable("RecipeServings"));
    EXPECT_TRUE(recipes::servingsOf(t.db, id).empty());
    schema::upgrade(t.db);
    ASSERT_TRUE(t.db.hasTable("RecipeServings"));
    recipes::setServings(t.db, id, {3, {}});
    EXPECT_EQ(recipes::servingsOf(t.db, id).count, 3);
    EXPECT_THROW(recipes::setServings(t.db, id, {1001, {}}), DbError);
    EXPECT_EQ(recipes::servingsOf(t.db, id).count, 3);
}

namespace {

// Every stored row of the recipe and its lines, to see that showing changed none.
QString storedRows(Database& db) {
    QString out;
    CIngredients lines(db);
    lines.open();
    for (; !lines.isEOF(); lines.moveNext())
        out += QStringLiteral("%1 %2 %3 %4;")
                   .arg(lines.Recipe)
                   .arg(lines.Ingredient)
                   .arg(lines.Quantity)
                   .arg(lines.Unit);
    return out + textOf(db, "SELECT group_concat(Name || Recipe) FROM Recipes") +
           textOf(db, "SELECT group_concat(Servings) FROM RecipeServings");
}

} // namespace

TEST(Scaling, TheRecipeShowsScaledWithGramsAndStaysAsStored) {
    TestDb t;
    const int id = t.recipe("Шарлотка",
                            {{"Сахар", 1, "стакан"},
                             {"Яйцо куриное", 3, "шт"},
                             {"Мука пшеничная", 150, "г"},
                             {"Соль", 0, "по вкусу"}},
                            0, "Взбить.\r\nИспечь 40 минут.");
    recipes::setServings(t.db, id, {4, {}});
    nutrition::fillFromTable(t.db);
    const QString before = storedRows(t.db);
    const QByteArray document = recipeRtf(t.db, id);

    const std::optional<Shown> scaled = present(t.db, id, {1.5, true});
    ASSERT_TRUE(scaled);
    EXPECT_EQ(scaled->servingsNow(), 6);
    QStringList lines;
    for (const ShownLine& l : scaled->lines)
        lines << l.product + ": " + l.amount;
    // Grams beside the glass and the eggs, none beside grams or a line without an amount.
    EXPECT_EQ(lines.join(" | "), "Сахар: 1½ стакана (300 г) | Яйцо куриное: 5 шт (4,5) (230 г) | "
                                 "Мука пшеничная: 230 г | Соль: ");
    EXPECT_EQ(plainText(*scaled), "Шарлотка\nПорций: 6\nСахар — 1½ стакана (300 г)\n"
                                  "Яйцо куриное — 5 шт (4,5) (230 г)\nМука пшеничная — 230 г\n"
                                  "Соль\n\nВзбить.\nИспечь 40 минут.\n");
    // As stored, the amounts are the stored figures.
    const std::optional<Shown> plain = present(t.db, id, {});
    EXPECT_EQ(plain->lines[0].amount, "1 стакан");
    EXPECT_EQ(before, storedRows(t.db));
    EXPECT_EQ(document, recipeRtf(t.db, id));
    EXPECT_FALSE(present(t.db, id + 100, {}));
    // A unit stored in one form agrees with its number as stored too.
    const int sauce = t.recipe("Соус", {{"Чеснок", 2, "зубчик"}, {"Укроп", 5, "веточка"}}, 0, "");
    const std::optional<Shown> asStored = present(t.db, sauce, {});
    ASSERT_TRUE(asStored);
    EXPECT_EQ(asStored->lines[0].amount + " | " + asStored->lines[1].amount,
              "2 зубчика | 5 веточек");
}

TEST(Steps, MethodsSplitByNumbersParagraphsOrLines) {
    EXPECT_EQ(splitSteps("1. Нарезать лук.\r\nМелко.\r\n2) Обжарить.\r\nШаг 3 Подать."),
              (QStringList{"1. Нарезать лук.\nМелко.", "2) Обжарить.", "Шаг 3 Подать."}));
    EXPECT_EQ(splitSteps("Нарезать лук.\r\nМелко.\r\n\r\nОбжарить."),
              (QStringList{"Нарезать лук.\nМелко.", "Обжарить."}));
    EXPECT_EQ(splitSteps("Нарезать.\r\nОбжарить.\r\n"), (QStringList{"Нарезать.", "Обжарить."}));
    EXPECT_TRUE(splitSteps("").isEmpty());
    // "1.5 часа" is no step number.
    EXPECT_EQ(splitSteps("Варить\r\n1.5 часа").size(), 2);
}

TEST(Steps, TimesInAStepBecomeTimersUpToADay) {
    auto times = [](const char* step) {
        QStringList out;
        for (const StepTime& t : findTimes(QString::fromUtf8(step)))
            out << QStringLiteral("%1=%2").arg(t.text).arg(t.seconds);
        return out.join(QLatin1Char(';'));
    };
    EXPECT_EQ(times("Варить 20 минут, затем ещё 5–7 мин."), "20 минут=1200;5–7 мин=300");
    EXPECT_EQ(times("Тушить 1,5 часа под крышкой"), "1,5 часа=5400");
    EXPECT_EQ(times("Оставить на полчаса, потом выпекать 1 час 20 минут"),
              "полчаса=1800;1 час 20 минут=4800");
    EXPECT_EQ(times("Взбивать 30 сек"), "30 сек=30");
    EXPECT_EQ(times("Варить пять минут"), "пять минут=300");
    EXPECT_EQ(times("Мариновать 48 часов, потом 25 ч., в конце 0 минут"), "");
    EXPECT_EQ(times("Нагреть духовку до 180 градусов"), "");
    EXPECT_EQ(clockText(3725), "1:02:05");
    EXPECT_EQ(clockText(65), "1:05");
}

TEST(Steps, TimersEndOnTheirClockEachOnce) {
    qint64 now = 1000;
    Timers timers([&] { return now; });
    const int soup = timers.start("20 минут", 1200);
    timers.start("5 мин", 300);
    EXPECT_TRUE(timers.check().empty());
    now += 300 * 1000;
    std::vector<Timers::Timer> ended = timers.check();
    ASSERT_EQ(ended.size(), 1u);
    EXPECT_EQ(ended[0].label, "5 мин");
    EXPECT_TRUE(timers.check().empty()) << "an ended timer ends once";
    EXPECT_TRUE(timers.anyRunning());
    EXPECT_EQ(timers.secondsLeft(timers.all()[0]), 900);
    timers.cancel(soup);
    EXPECT_FALSE(timers.anyRunning());
}
