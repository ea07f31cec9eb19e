#include "intake/CIntakeDlg.h"
#include "intake/IngredientLine.h"
#include "intake/IntakeStore.h"
#include "intake/RecipeReader.h"
#include "intake/WordForms.h"
#include "nutrition/UnitNames.h"
#include "support/TestDb.h"

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <gtest/gtest.h>

using namespace intake;

namespace {

struct Case {
    const char* line;
    const char* product;
    float amount;
    const char* unit;
    const char* note = "";
};

QString parsed(const QString& line) {
    QStringList out;
    for (const ParsedLine& p : parseProducts(line))
        out << QStringLiteral("%1|%2|%3")
                   .arg(p.product)
                   .arg(double(p.amount), 0, 'g', 4)
                   .arg(p.unit);
    return out.join(QStringLiteral("; "));
}

void expectLines(std::initializer_list<Case> cases) {
    for (const Case& c : cases) {
        const ParsedLine p = parseLine(QString::fromUtf8(c.line));
        EXPECT_EQ(p.product, QString::fromUtf8(c.product)) << c.line;
        EXPECT_NEAR(p.amount, c.amount, 1e-3) << c.line;
        EXPECT_EQ(p.unit, QString::fromUtf8(c.unit)) << c.line;
        if (*c.note)
            EXPECT_EQ(p.note, QString::fromUtf8(c.note)) << c.line;
    }
}

} // namespace

// Every vulgar fraction the parser knows, each to its own value.
TEST(LineClasses, FractionsEachToTheirValue) {
    expectLines({{"½ стакана молока", "молока", 0.5f, "стакан"},
                 {"¼ стакана молока", "молока", 0.25f, "стакан"},
                 {"¾ стакана молока", "молока", 0.75f, "стакан"},
                 {"⅓ стакана молока", "молока", 1.0f / 3, "стакан"},
                 {"⅔ стакана молока", "молока", 2.0f / 3, "стакан"},
                 {"⅛ ч. л. соли", "соли", 0.125f, "ч.л."},
                 {"1⅓ стакана муки", "муки", 4.0f / 3, "стакан"},
                 {"четверть ч. л. соды", "соды", 0.25f, "ч.л."},
                 {"корица, треть ч. л.", "корица", 1.0f / 3, "ч.л."}});
}

// Numbers glued to units, ranges of every sign, two units of one measure, count words.
TEST(LineClasses, GluedUnitsRangesAndCountWords) {
    expectLines({{"250г сахара", "сахара", 250, "г"},
                 {"1,5л молока", "молока", 1.5f, "л"},
                 {"2ст.л. сметаны", "сметаны", 2, "ст.л."},
                 {"Сахарная пудра - 150г;", "Сахарная пудра", 150, "г"},
                 {"1,2~1,5 кг картофеля", "картофеля", 1.2f, "кг"},
                 {"Мука ~2,5 стак.", "Мука", 2.5f, "стакан"},
                 {"3–4 зубчика чеснока", "чеснока", 3, "зубчик"},
                 {"от 2 до 3 яиц", "яиц", 2, "шт"},
                 {"Мука — 1 кг 200 г", "Мука", 1.2f, "кг"},
                 {"Вода — 1 л 250 мл", "Вода", 1.25f, "л"},
                 {"Яйца — 1 десяток", "Яйца", 10, "шт"},
                 {"1 десяток яиц", "яиц", 10, "шт"},
                 {"2 плитки шоколада", "шоколада", 2, "плитка"},
                 {"1 кочан капусты", "капусты", 1, "кочан"},
                 {"3 листа желатина", "желатина", 3, "лист"},
                 {"лист лавровый — 3 листочка", "лист лавровый", 3, "шт"},
                 {"Желатин листовой — 3 листа", "Желатин листовой", 3, "лист"},
                 {"листья смородины", "листья смородины", 0, ""},
                 {"пару зубчиков чеснока", "чеснока", 2, "зубчик"}});
}

// Sizes and fullness between an amount and its unit go to the note; spoons in any case,
// with slashes and as diminutives; a unit with no number is one.
TEST(LineClasses, WordsAroundTheUnit) {
    expectLines({{"1 неполный стакан кефира", "кефира", 1, "стакан", "неполный"},
                 {"1 маленькая головка чеснока", "чеснока", 1, "головка", "маленькая"},
                 {"лук - 1 большая головка.", "лук", 1, "головка", "большая"},
                 {"большая головка чеснока", "чеснока", 1, "головка", "большая"},
                 {"средний вилок капусты", "капусты", 1, "кочан", "средний"},
                 // A site's full name, then its short one; a size in brackets; the amount
                 // said again after the name.
                 {"Мука пшеничная / Мука — 2 стак.", "Мука пшеничная", 2, "стакан"},
                 {"Сахар / Сахарный песок — 100 г", "Сахар", 100, "г", "Сахарный песок"},
                 {"Чеснок — 1 головка (крупная)", "Чеснок", 1, "головка", "крупная"},
                 {"Яблоко — 1 шт. (кислое)", "Яблоко кислое", 1, "шт"},
                 {"200 г муки / 1 стакан", "муки", 200, "г", "1 стакан"},
                 {"100 г сахара = 1/2 стакана", "сахара", 100, "г", "1/2 стакана"},
                 {"3 ст. л. муки 1/2", "муки 1/2", 3, "ст.л."},
                 // Spoons and glasses as cooks shorten and name them.
                 {"Соль — 1 чайн. ложка", "Соль", 1, "ч.л."},
                 {"Сода — 1 ч.лож.", "Сода", 1, "ч.л."},
                 {"Мед — 1 с.л.", "Мед", 1, "ст.л."},
                 {"Водка — 4 сл", "Водка", 4, "сл"},
                 {"Ванилин — 1 кофейная ложка", "Ванилин", 1, "коф.л."},
                 {"Молоко — 1 гран. стакан", "Молоко", 1, "стакан"},
                 {"Крупа — 1 мерный стакан", "Крупа", 1, "стакан", "мерный"},
                 {"Мука — 2 кружки", "Мука", 2, "кружка"},
                 {"Вино — 1 бокал", "Вино", 1, "бокал"},
                 // After the amount comes the product; its colon opens a note.
                 {"300 г сыра: пармезан и моцарелла", "сыра", 300, "г", "пармезан и моцарелла"},
                 {"200 г: мука", "мука", 200, "г"},
                 // How near an amount is, said before it; a couple.
                 {"Сыр — не менее 100 г", "Сыр", 100, "г"},
                 {"Мука — до 200 г", "Мука", 200, "г"},
                 {"Картофель — приблизительно 1 кг", "Картофель", 1, "кг"},
                 {"парочка лавровых листов", "лавровых листов", 2, "шт"},
                 // Emoji and symbol bullets, and a hyphen glued before a unit word.
                 {"▪️ сахар 100г", "сахар", 100, "г"},
                 {"◾ 1 ч.л. соды", "соды", 1, "ч.л."},
                 {"соль-щепотка", "соль", 1, "щепотка"},
                 {"укроп-пучок", "укроп", 1, "пучок"},
                 {"Сахар-песок — 150 г", "Сахар-песок", 150, "г"},
                 {"Молоко — пол-литра", "Молоко", 0.5f, "л"},
                 // The same amount of each product said first, and a wish before the amount.
                 {"по 2 ст. л. сахара и муки", "сахара", 2, "ст.л."},
                 {"по желанию 1 ч. л. корицы", "корицы", 1, "ч.л.", "по желанию"},
                 {"При желании: горсть изюма", "изюма", 1, "горсть", "При желании"},
                 {"неполный стакан кефира", "кефира", 1, "стакан", "неполный"},
                 {"5 столовых ложек с горкой сметаны", "сметаны", 5, "ст.л.", "с горкой"},
                 {"2–3 столовых ложки сахара", "сахара", 2, "ст.л."},
                 {"2 неполные чайные ложки корицы", "корицы", 2, "ч.л.", "неполные"},
                 {"чайная ложечка соли", "соли", 1, "ч.л."},
                 {"1 стаканчик йогурта", "йогурта", 1, "стакан"},
                 {"щепоточка перца", "перца", 1, "щепотка"},
                 {"1 ч/л соли", "соли", 1, "ч.л."},
                 {"2 ст/л сахара", "сахара", 2, "ст.л."},
                 {"укроп — пучок", "укроп", 1, "пучок"},
                 {"немного сливочного масла", "сливочного масла", 0, "", "немного"},
                 // A word for some before a unit: the unit, but no amount to guess.
                 {"Few sprigs of Thai basil", "Thai basil", 0, "веточка", "Few"},
                 {"несколько веточек укропа", "укропа", 0, "веточка", "несколько"},
                 {"Петрушка — несколько веточек", "Петрушка", 0, "веточка", "несколько"},
                 // The unit first, then how many of it.
                 {"Зубчик чеснока — 2 шт.", "чеснока", 2, "зубчик"},
                 {"Пучок укропа – 1 шт", "укропа", 1, "пучок"},
                 // Buds, peppercorns and stars are pieces.
                 {"Гвоздика 3 бутона", "Гвоздика", 3, "шт"},
                 {"несколько горошин душистого перца", "душистого перца", 0, "шт", "несколько"},
                 {"Свекла 2 шт. среднего размера", "Свекла", 2, "шт", "среднего размера"},
                 {"Кабачки небольшого размера — 3 шт.", "Кабачки", 3, "шт", "небольшого размера"},
                 // Diminutive units, "пол" glued to any unit, a multicooker's cup.
                 {"Сметана — 1 баночка (200 г)", "Сметана", 1, "банка"},
                 {"Горошек — 1 бан.", "Горошек", 1, "банка"},
                 {"Чеснок — полголовки", "Чеснок", 0.5f, "головка"},
                 {"Соль — 2 щепоти", "Соль", 2, "щепотка"},
                 // A hyphen glued between the name and its amount; a percentage stays the
                 // name's.
                 {"мука-300гр", "мука", 300, "г"},
                 {"Сахар-1 стак.", "Сахар", 1, "стакан"},
                 {"Сметана-20%, 200 г", "Сметана-20%", 200, "г"},
                 // Shortened words beside their noun; "сл." after a number is a centilitre.
                 {"Масло сл. 100 г", "Масло сливочное", 100, "г"},
                 {"раст. масло 2 ст.л.", "растительное масло", 2, "ст.л."},
                 {"Лук зел. 1 пучок", "Лук зелёный", 1, "пучок"},
                 {"4 сл. рома", "рома", 4, "сл"},
                 {"Корень имбиря — 2 см", "Корень имбиря", 2, "см"},
                 {"3 ложки муки", "муки", 3, "ложка"},
                 // What a product is bought or poured in.
                 {"Вино — 1 бутылка", "Вино", 1, "бутылка"},
                 {"Сахар — на свой вкус", "Сахар", 0, "по вкусу"},
                 {"Молоко — 2 пакета", "Молоко", 2, "пакет"},
                 {"Водка — 1 стопка", "Водка", 1, "стопка"},
                 // The unit said first, its number after: "граммов 50".
                 {"Масло — граммов 50", "Масло", 50, "г"},
                 {"Молоко — литр", "Молоко", 1, "л"},
                 // So many of a measured amount.
                 {"2 х 200 г сливок", "сливок", 400, "г"},
                 {"Кокосовое молоко — 2x400 мл", "Кокосовое молоко", 800, "мл"},
                 {"полпучка кинзы", "кинзы", 0.5f, "пучок"},
                 {"Рис — 1 мультистакан", "Рис", 1, "мультистакан"},
                 {"мёд, 50 г или по вкусу", "мёд", 50, "г"},
                 {"свежая или замороженная клюква — 500 г", "замороженная клюква", 500, "г"},
                 {"Морковь 1 крупная", "Морковь", 1, "шт", "крупная"},
                 {"Яйца 2 шт. крупные", "Яйца", 2, "шт", "крупные"},
                 {"Полкило говядины", "говядины", 0.5f, "кг"},
                 {"Мука [высший сорт] — 200 г", "Мука", 200, "г", "высший сорт"},
                 {"2 дес. л. сахара", "сахара", 2, "дес.л."},
                 {"1 десертная ложка мёда", "мёда", 1, "дес.л."},
                 {"Ванильный сахар — 1 пак.", "Ванильный сахар", 1, "пакетик"},
                 {"Зелёный лук — 3-4 пера", "Зелёный лук", 3, "перо"},
                 {"Лук перо", "Лук перо", 0, ""},
                 {"Вода — 1 000 мл", "Вода", 1000, "мл"},
                 {"Сахар 1 250 000 г", "Сахар", 1250000, "г"},
                 {"1 tablespoon plus 1 teaspoon baking powder", "baking powder", 4.0f / 3, "ст.л."},
                 {"Масло — 3 ст. л. + 1 ч. л.", "Масло", 10.0f / 3, "ст.л."},
                 // A part of what the cook buys: the fruit or the egg counted, the part noted.
                 {"Сок половины лимона", "лимона", 0.5f, "шт", "сок"},
                 {"сок половинки лайма", "лайма", 0.5f, "шт", "сок"},
                 {"белки 3 яиц", "яиц", 3, "шт", "белки"},
                 {"цедра двух апельсинов", "апельсинов", 2, "шт", "цедра"},
                 {"Juice of 1 lemon", "lemon", 1, "шт", "juice"},
                 {"2 large eggs, beaten", "eggs", 2, "шт", "large; beaten"}});
}

// "по N" gives each product named the same; "Яйца — по 2 шт." is eggs.
TEST(LineClasses, ShareOfEachAndTwoProductsInALine) {
    EXPECT_EQ(parsed("Кинза, петрушка — по 1/2 пучка"), "Кинза|0.5|пучок; петрушка|0.5|пучок");
    EXPECT_EQ(parsed("соль и сода по 1 ч.л"), "соль|1|ч.л.; сода|1|ч.л.");
    EXPECT_EQ(parsed("Яйца — по 2 шт."), "Яйца|2|шт");
    EXPECT_EQ(parsed("Укроп, петрушка — по пучку"), "Укроп|1|пучок; петрушка|1|пучок");
    EXPECT_EQ(parsed("Лук, морковь — по одной штуке"), "Лук|1|шт; морковь|1|шт");
    EXPECT_EQ(parsed("Лук и морковь — по одной"), "Лук|1|шт; морковь|1|шт");
    EXPECT_EQ(parsed("соль, перец — по вкусу"), "соль|0|по вкусу; перец|0|по вкусу");
    // A describing word before the comma belongs to the name after it, with no amount too.
    EXPECT_EQ(parsed("Boneless, skinless chicken thighs"), "Boneless skinless chicken thighs|0|");
    // One product with an amount keeps what follows its comma as a note.
    EXPECT_EQ(parsed("Морковь, тёртая — 1 шт."), "Морковь|1|шт");
}

// Products written one after another in one line, as old books and articles list them:
// each its own product, a piece that only describes the one before staying its note.
TEST(LineClasses, ProductsListedInOneLine) {
    EXPECT_EQ(parsed("Гречка 300 г, лук 1 шт., грибы сушёные 30 г, соль"),
              "Гречка|300|г; лук|1|шт; грибы сушёные|30|г; соль|0|");
    EXPECT_EQ(parsed("2 стакана кефира; 1 ч. л. соды; щепотка соли; мука"),
              "кефира|2|стакан; соды|1|ч.л.; соли|1|щепотка; мука|0|");
    EXPECT_EQ(parsed("Тесто: 400 г муки, 2 яйца, 150 мл воды"),
              "муки|400|г; яйца|2|шт; воды|150|мл");
    EXPECT_EQ(parsed("Тыква — 500 г, нарезанная кубиками, мёд — 2 ст. л."),
              "Тыква|500|г; мёд|2|ст.л.");
    ASSERT_EQ(parseProducts("Тыква — 500 г, нарезанная кубиками, мёд — 2 ст. л.").size(), 2u);
    EXPECT_EQ(parseProducts("Тыква — 500 г, нарезанная кубиками, мёд — 2 ст. л.").front().note,
              "нарезанная кубиками");
    EXPECT_EQ(parsed("Творог 200 г, соль, чёрный перец по вкусу"),
              "Творог|200|г; соль|0|; чёрный перец|0|по вкусу");
    EXPECT_EQ(parsed("1 яйцо, 100 г сахара, ванилин на кончике ножа и масло для жарки"),
              "яйцо|1|шт; сахара|100|г; ванилин|0|на кончике ножа; масло|0|");
    EXPECT_EQ(parsed("Фарш: большая луковица без шелухи и кожицы, 400 г говядины, 1 яйцо"),
              "большая луковица без шелухи и кожицы|0|; говядины|400|г; яйцо|1|шт");
    EXPECT_EQ(parsed("2 яйца, по 1 пучку укропа и кинзы"),
              "яйца|2|шт; укропа|1|пучок; кинзы|1|пучок");
    EXPECT_EQ(parsed("Сода — 1/2 ч. л., погашенная уксусом"), "Сода|0.5|ч.л.");
    EXPECT_EQ(parsed("Тыква 300 г, нарезанная кубиками"), "Тыква|300|г");
    EXPECT_EQ(parsed("Сода 1 ч. л., гашённая соком"), "Сода|1|ч.л.");
    EXPECT_EQ(parsed("Мука 200 г, просеянная через сито"), "Мука|200|г");
    // Bare words after one amount that only describe it, or name a part of it, stay its note.
    EXPECT_EQ(parsed("2 ст. л. масла, сливочного или топлёного"), "масла|2|ст.л.");
    EXPECT_EQ(parsed("1 апельсин, цедра"), "апельсин|1|шт");
    EXPECT_EQ(parsed("Сыр твёрдый 150 г, тёртый"), "Сыр твёрдый|150|г");
    EXPECT_EQ(parsed("Мука 500 г, высший сорт"), "Мука|500|г");
    // Two kinds of one product, the first said in the case of the second.
    EXPECT_EQ(parsed("400 г свиного или говяжьего фарша"), "говяжьего фарша|400|г");
    // A bracket's commas are the bracket's.
    EXPECT_EQ(parsed("Сыр (твёрдый, выдержанный) 100 г, сливки 200 мл"),
              "Сыр|100|г; сливки|200|мл");
    // One product: a second amount of it, a note with a number, a decimal comma.
    EXPECT_EQ(parsed("Мука — 300 г, 2 стакана"), "Мука|300|г");
    EXPECT_EQ(parsed("Яйца — 3 шт., 2 для теста и 1 для смазки"), "Яйца|3|шт");
    EXPECT_EQ(parsed("Чеснок — 4 зубчика, 1 из них в соус"), "Чеснок|4|зубчик");
    EXPECT_EQ(parsed("Молоко 3,2% — 1 л, тёплое"), "Молоко 3,2%|1|л");
}

// Pasted texts that give their products in a sentence, or after the method, or after a
// word about the dish: each a recipe, nothing of it lost.
TEST(LineClasses, ProductsWhereverThePastedTextGivesThem) {
    const ReadRecipe said =
        readText("Оладьи\nПышные, как у бабушки.\nНам понадобится: 2 стакана кефира, 1 яйцо, мука, "
                 "сода и сахар.\nВсё смешать и жарить.\n");
    EXPECT_EQ(said.ingredients, QStringList{"2 стакана кефира, 1 яйцо, мука, сода и сахар."});
    EXPECT_EQ(said.method, (QStringList{"Пышные, как у бабушки.", "Всё смешать и жарить."}));
    EXPECT_EQ(parsed(said.ingredients.front()),
              "кефира|2|стакан; яйцо|1|шт; мука|0|; сода|0|; сахар|0|");

    const ReadRecipe after =
        readText("Щи\nКапусту опустить в кипящий бульон.\nВарить до готовности.\n"
                 "Капуста — 200 г, картофель — 100 г, морковь — 20 г, лук, соль.\n");
    EXPECT_EQ(after.ingredients,
              QStringList{"Капуста — 200 г, картофель — 100 г, морковь — 20 г, лук, соль."});
    EXPECT_EQ(after.method,
              (QStringList{"Капусту опустить в кипящий бульон.", "Варить до готовности."}));
    // One product line alone at the end is no list of a recipe; nothing is read past it.
    EXPECT_THROW(readText("Кисель\nСварить и остудить.\nКлюква — 200 г"), IntakeError);
    // Two list lines in a row after the method are its list as well.
    EXPECT_EQ(
        readText("Кисель\nСварить и остудить.\nКлюква — 200 г\nКрахмал — 2 ст. л.\n").ingredients,
        (QStringList{"Клюква — 200 г", "Крахмал — 2 ст. л."}));

    const ReadRecipe headed = readText("Пирог\nРецепт моей мамы.\nИнгредиенты:\nМука — 300 г\n\n"
                                       "Приготовление:\nИспечь.\n");
    EXPECT_EQ(headed.ingredients, QStringList{"Мука — 300 г"});
    EXPECT_EQ(headed.method, (QStringList{"Рецепт моей мамы.", "Испечь."}));
    // What the cook says among the products goes after the method; a product with advice
    // as its note stays a product.
    const ReadRecipe advised = readText(
        "Пирог\nИнгредиенты:\nМука — 250 г\n*Муку можно заменить цельнозерновой\n"
        "Сахар — можно не класть совсем\nВажно: духовка уже горячая.\nСоль, если нужно\n*Ваниль\n\n"
        "Приготовление:\nИспечь.\n");
    EXPECT_EQ(advised.ingredients, (QStringList{"Мука — 250 г", "Сахар — можно не класть совсем",
                                                "Соль, если нужно", "*Ваниль"}));
    EXPECT_EQ(advised.method, (QStringList{"Испечь.", "*Муку можно заменить цельнозерновой",
                                           "Важно: духовка уже горячая."}));
    // A method of one line with a number in it is still no list.
    EXPECT_THROW(readText("Письмо\nЖду тебя в 5 часов у вокзала.\nОбнимаю.\n"), IntakeError);
    EXPECT_THROW(readText("Записка\nПривет!\nНе забудь: купи сахара 1 кг.\nЦелую.\n"), IntakeError);
}

// Foreign pages: Latin units are units with their weights, a comma or "and" splits only
// between products, and a label is no product.
TEST(LineClasses, ForeignLinesAndHeadings) {
    expectLines(
        {{"1 lb shrimp", "shrimp", 1, "фунт"},
         {"a pinch of salt", "salt", 1, "щепотка"},
         {"1 to 2 cups broth", "broth", 1, "амер. стакан"},
         {"1 Päckchen Vanillezucker", "Vanillezucker", 1, "пакетик"},
         {"Sal a gusto", "Sal", 0, "по вкусу"},
         {"2 ounces lime juice", "lime juice", 2, "унция"},
         {"4 cl gin", "gin", 4, "сл"},
         {"1 fl oz syrup", "syrup", 1, "жидк. унция"},
         {"2 cups flour", "flour", 2, "амер. стакан"},
         {"1 dl cream", "cream", 1, "дл"},
         {"2 EL Öl", "Öl", 2, "ст.л."},
         {"1 TL Salz", "Salz", 1, "ч.л."},
         {"1 pound of beef mince", "beef mince", 1, "фунт"},
         {"100 g di burro", "burro", 100, "г"},
         {"3 Zehen Knoblauch", "Knoblauch", 3, "зубчик"},
         {"Salt to taste", "Salt", 0, "по вкусу"},
         {"4 Boneless, Skinless Chicken Thighs", "Boneless Skinless Chicken Thighs", 4, "шт"},
         {"Oil, for frying", "Oil", 0, ""},
         {"Light or dark rum", "dark rum", 0, ""},
         // Sizes and fullness between the amount and the unit; marks and a "plus" before it.
         {"1 heaping cup cherry tomatoes", "cherry tomatoes", 1, "амер. стакан", "heaping"},
         {"1 small bunch of chives", "chives", 1, "пучок"},
         {"plus 1 teaspoon baking powder", "baking powder", 1, "ч.л."},
         {"♥ 2 яйца", "яйца", 2, "шт"},
         // Other dashes and dot leaders part a name from its amount.
         {"Сметана −200 г", "Сметана", 200, "г"},
         {"Вода―1 л", "Вода", 1, "л"},
         {"Мука.............200 г", "Мука", 200, "г"},
         {"Масло …50 г", "Масло", 50, "г"},
         {"Сыр 100 г / 1 стакан тертого", "Сыр", 100, "г"},
         // The number of a numbered list is no amount.
         {"1. Мука — 200 г", "Мука", 200, "г"},
         {"2) Сахар 100 г", "Сахар", 100, "г"},
         {"＊ Соль — 1 ч. л.", "Соль", 1, "ч.л."}});
    EXPECT_EQ(parsed("Salt and pepper to taste"), "Salt|0|по вкусу; pepper|0|по вкусу");
    EXPECT_EQ(parsed("salt, to taste"), "salt|0|по вкусу");
    EXPECT_EQ(parsed("Sea salt & pepper to taste"), "Sea salt|0|по вкусу; pepper|0|по вкусу");
    EXPECT_EQ(parsed("Salt, Till stekning"), "Salt|0|");
    EXPECT_EQ(parsed("Für den Braten:"), "");
    EXPECT_EQ(parsed("Для соуса:"), "");
    // A list's own heading, without its colon or naming servings, is no product either.
    for (const char* heading :
         {"Для крема", "Ингредиенты на 4 порции:", "Ингредиенты (на 6 порций):", "На 2 порции:",
          "Ингредиенты", "For the sauce"})
        EXPECT_EQ(parsed(heading), "") << heading;
    EXPECT_EQ(parsed("Для смазки: масло — 1 ч. л."), "масло|1|ч.л.");
    // An amount with nothing it measures names no product.
    EXPECT_EQ(parsed("2 ст. л."), "");
    EXPECT_EQ(parsed("Соль, —, перец — по вкусу"), "Соль|0|по вкусу; перец|0|по вкусу");
    EXPECT_EQ(parsed("Соль и ½ — по вкусу"), "Соль|0|по вкусу");
    EXPECT_EQ(parsed("100 г, 200 г"), "");
    // A count of nothing is no count of pieces.
    EXPECT_EQ(parsed("Соль — 0"), "Соль|0|");
    // A size is no product of two numbers: "20 х 30 см" is not 600 cm of anything.
    EXPECT_NE(parseLine("Форма 20 х 30 см").amount, 600.0f);
    const std::pair<const char*, double> sizes[] = {
        {"фунт", 453.6}, {"унция", 28.35}, {"амер. стакан", 240}, {"жидк. унция", 29.6},
        {"сл", 10},      {"дл", 100},      {"мультистакан", 160}};
    for (const auto& [unit, size] : sizes)
        EXPECT_DOUBLE_EQ(nutrition::unitSize(QString::fromUtf8(unit)).factor, size) << unit;
}

// New products in their dictionary form, whether the dictionary knows the word or not.
TEST(LineClasses, NewProductsInDictionaryForm) {
    const std::pair<const char*, const char*> afterAmount[] = {
        {"сухих сливок", "Сливки сухие"},
        {"сухих трав", "Травы сухие"},
        {"сухих дрожжей", "Дрожжи сухие"},
        {"молодого картофеля", "Картофель молодой"},
        {"разрыхлителя", "Разрыхлитель"},
        {"моцареллы", "Моцарелла"},
        {"пармезана", "Пармезан"},
        {"киноа", "Киноа"},
        {"свежей соли", "Соль свежая"},
        {"крупной морской соли", "Соль морская"},
        {"свежего имбиря", "Имбирь свежий"},
        {"тёртой моркови", "Морковь тёртая"},
        // Diminutives name the product itself; mushrooms are named in the plural.
        {"соленых огурчиков", "Огурец соленый"},
        {"свежих грибов", "Грибы свежие"},
        {"кисло-сладких яблок", "Яблоко кисло-сладкое"},
        // Nouns that end as adjectives do.
        {"мидий", "Мидия"},
        {"груздей", "Груздь"},
        // Adjectives before a later noun belong to it, however many.
        {"филе любой жирной рыбы", "Филе любой жирной рыбы"}};
    for (const auto& [written, name] : afterAmount)
        EXPECT_EQ(dictionaryName(QString::fromUtf8(written), NamePlace::AfterAmount).name,
                  QString::fromUtf8(name))
            << written;
    // Written first in the plural, a name is made again as product lists name things.
    EXPECT_EQ(dictionaryName("Сушеные грибы", NamePlace::First).name, "Грибы сушеные");
    EXPECT_EQ(dictionaryName("Зелёные яблоки", NamePlace::First).name, "Яблоко зелёное");
    EXPECT_EQ(dictionaryName("Соленых огурцов", NamePlace::First).name, "Огурец соленый");
    // A space lost before "для" is put back.
    EXPECT_EQ(parseLine("приправадля мяса по вкусу").product, "приправа для мяса");
}

// A general name lands on its usual product or on a product of its own, never on whatever
// more specific product the collection happens to hold.
TEST(LineClasses, AGeneralNameNeverLandsOnASpecificProduct) {
    TestDb t;
    for (const char* name : {"Мякоть свинины одним куском", "Мука высшего сорта", "Мука пшеничная",
                             "Яйцо куриное", "Соль морская крупная"})
        t.addProduct(QString::fromUtf8(name));
    const Matcher m(t.db);
    auto matched = [&](const char* line) {
        const MatchedLine l = m.match(parseLine(QString::fromUtf8(line)));
        return QStringLiteral("%1 %2%3").arg(l.productId).arg(l.product).arg(l.usual ? " *" : "");
    };
    EXPECT_EQ(matched("Свинина — 400 г"), "0 Свинина");
    EXPECT_EQ(matched("Мука — 300 г"),
              QStringLiteral("%1 Мука пшеничная *").arg(t.product("Мука пшеничная")));
    EXPECT_EQ(matched("3 яйца"),
              QStringLiteral("%1 Яйцо куриное *").arg(t.product("Яйцо куриное")));
    EXPECT_EQ(matched("Соль — 2 ч. л."), "0 Соль");
    EXPECT_EQ(matched("salt"), "0 Salt");
    // A size beside the product stays in the note of the line matched to it.
    EXPECT_EQ(m.match(parseLine("2 больших яйца")).note, "больших");
    // The same words in another order and form are the same product, and nothing to check.
    EXPECT_EQ(matched("200 г муки высшего сорта"),
              QStringLiteral("%1 Мука высшего сорта").arg(t.product("Мука высшего сорта")));
    EXPECT_EQ(usualProductFor("лук"), "Лук репчатый");
    EXPECT_EQ(usualProductFor("шампиньоны"), QString());
    // A line of several products shows each product's own words to be checked.
    const std::vector<MatchedLine> listed =
        m.matchLines({"Мука — 300 г, соль — 1 ч. л.", "3 яйца"});
    ASSERT_EQ(listed.size(), 3u);
    EXPECT_EQ(listed[0].source(), "Мука");
    EXPECT_EQ(listed[0].written, "Мука — 300 г, соль — 1 ч. л.");
    EXPECT_EQ(listed[2].source(), "3 яйца");
}

// A pasted recipe whose list under its heading has no amounts at all is still a recipe.
TEST(LineClasses, AHeadedListWithoutAmountsIsARecipe) {
    const ReadRecipe r = readText(
        "Рагу\nИнгредиенты:\nморковь\nлук кольцами\nукроп и прочая зелень\n\nПриготовление:\n"
        "Потушить.\n");
    EXPECT_EQ(r.ingredients, (QStringList{"морковь", "лук кольцами", "укроп и прочая зелень"}));
    // Without a heading, a text of no amounts is still no recipe.
    EXPECT_THROW(readText("Письмо\nпривет\nкак дела\n"), IntakeError);
    // Microdata with every line in one element, <br> between them, gives each line.
    const ReadRecipe page = readHtml(
        "<html><body><div itemscope itemtype=\"http://schema.org/Recipe\"><h1 "
        "itemprop=\"name\">Суп</h1><p itemprop=\"recipeIngredient\">Вода — 1 л<br>Соль — по "
        "вкусу<br/><b>Лук</b> — 1 шт.</p><div itemprop=\"recipeInstructions\">Сварить.</div>"
        "</div></body></html>");
    EXPECT_EQ(page.ingredients, (QStringList{"Вода — 1 л", "Соль — по вкусу", "Лук — 1 шт."}));
    // Line breaks inside one step keep its lines apart.
    EXPECT_EQ(readJson(R"({"@type": "Recipe", "name": "Суп", "recipeIngredient": ["Вода"],
        "recipeInstructions": [{"@type": "HowToStep", "text": "Вскипятить воду.\nПосолить."}]})")
                  .method,
              (QStringList{"Вскипятить воду.", "Посолить."}));
    // A step's text before and after a block inside it are lines of their own.
    EXPECT_EQ(page.method, QStringList{"Сварить."});
    EXPECT_EQ(readHtml("<html><body><div itemscope itemtype=\"http://schema.org/Recipe\"><h1 "
                       "itemprop=\"name\">Суп</h1><p itemprop=\"recipeIngredient\">Вода</p><div "
                       "itemprop=\"recipeInstructions\">Сварить.<p>Подать.</p>Остудить.</div></div>"
                       "</body></html>")
                  .method,
              (QStringList{"Сварить.", "Подать.", "Остудить."}));
}

// Pages whose markup leaves out the products or the method keep them in lists of their
// own: under a heading that names them, or in an element whose class does.
TEST(LineClasses, ListsThePageKeepsBesideItsMarkup) {
    const QByteArray ld = "<script type=\"application/ld+json\">{\"@type\": \"Recipe\", "
                          "\"name\": \"Рулет\"}</script>";
    // Headed lists: a group's name is no line, nor is a link alone; the menu's list, a
    // hidden list and the lists after the next heading as high are not the recipe's.
    const ReadRecipe headed = readHtml(
        "<html><head><meta property=\"og:image\" content=\"/rulet.jpg\">" + ld +
        "</head><body><nav><h2>Ингредиенты</h2><ul><li><a href=/>Главная</a></li></ul></nav>"
        "<h2>Пошаговый рецепт</h2><ul><li><a href=/vk>ВКонтакте</a></li></ul><h1>Рулет</h1>"
        "<h2 class=t>Ингредиенты:</h2><div><ul><li>Мука — 200 г</li><li><b>Для крема</b><ul>"
        "<li>Сливки — 200 мл</li><li><a href=/s>Сахар</a> — 2 ст. л.</li></ul></li></ul>"
        "<ul style=\"display: none\"><li>Flour — 1 cup</li></ul><h3>Совет</h3><ul><li>Соль — "
        "щепотка</li></ul></div><h2>Как приготовить</h2><ol><li><p>Замесить.</p></li>"
        "<li>Испечь.</li></ol><h2>Похожие</h2><ul><li>Торт медовый</li></ul></body></html>");
    EXPECT_EQ(headed.title, "Рулет");
    EXPECT_EQ(headed.ingredients, (QStringList{"Мука — 200 г", "Сливки — 200 мл",
                                               "Сахар — 2 ст. л.", "Соль — щепотка"}));
    EXPECT_EQ(headed.method, (QStringList{"Замесить.", "Испечь."}));
    // Its picture for sharing shows a recipe that names none.
    EXPECT_EQ(headed.images, QStringList{"/rulet.jpg"});
    EXPECT_TRUE(headed.notice.isEmpty()) << headed.notice.toStdString();
    // No heading: the lists of the outermost element named for the products, a hidden
    // duplicate in other units left out, and only the first such element read.
    const ReadRecipe classed = readHtml(
        "<html><body>" + ld +
        "<div class=\"ingredients\" hidden><ul><li>Старое</li></ul></div>"
        "<div class=\"recipe-ingredients-method\"><div class=\"ingredients\"><div "
        "class=\"ingredients__group\"><ul><li>Вода — 1 л</li></ul><ul><li>Соль</li></ul></div>"
        "<div class=\"ingredients__group\" style=\"display:none\"><ul><li>Water — 4 "
        "cups</li></ul></div></div><ol class=method><li>Сварить.</li></ol></div>"
        "<div class=\"ingredients-print\"><ul><li>Печать</li></ul></div></body></html>");
    EXPECT_EQ(classed.ingredients, (QStringList{"Вода — 1 л", "Соль"}));
    // With no markup at all, a page that lists its products under a heading is read, its
    // title from its top heading, and says it should be checked; one without is refused.
    const ReadRecipe bare = readHtml(
        "<html><head><title>Сайт</title></head><body><h1>Оладьи</h1><h2>Ингредиенты для "
        "«Оладьи»:</h2><ul><li>Кефир — 500 мл</li><li>Мука — 250 г</li></ul><h2>Приготовление"
        "</h2><p>Смешать.<br>Жарить.</p><p>Подать.</p><h2>Отзывы</h2><p>Вкусно!</p></body></html>");
    EXPECT_EQ(bare.title, "Оладьи");
    EXPECT_EQ(bare.ingredients, (QStringList{"Кефир — 500 мл", "Мука — 250 г"}));
    // Its method in paragraphs, up to the next heading.
    EXPECT_EQ(bare.method, (QStringList{"Смешать.", "Жарить.", "Подать."}));
    EXPECT_TRUE(bare.notice.startsWith("На странице нет разметки рецепта"))
        << bare.notice.toStdString();
    EXPECT_THROW(readHtml("<html><body><h1>Новости</h1><h2>Состав редакции</h2><ul><li>Иванов"
                          "</li></ul></body></html>"),
                 IntakeError);
}

// A general name given its usual product is shown to be checked, until the user changes it.
TEST(IntakeDialog, AUsualProductIsShownToBeChecked) {
    dictionaryName("муки", NamePlace::AfterAmount);
    TestDb t;
    t.addProduct("Мука пшеничная");
    const QString file = t.dir() + "/oladi.txt";
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QStringLiteral("Оладьи\nМука — 250 г\nКефир — 500 мл\n\nЖарить.\n").toUtf8());
    f.close();
    // A title past the limit is cut to 255 characters, and the preview says so.
    {
        const QString longTitle = t.dir() + "/long.txt";
        QFile l(longTitle);
        ASSERT_TRUE(l.open(QIODevice::WriteOnly));
        l.write((QString(300, QChar(0x041F)) + "\nМука — 200 г\n\nИспечь.\n").toUtf8());
        l.close();
        CIntakeDlg cut(t.db, 0, QString());
        ASSERT_TRUE(cut.loadFile(longTitle));
        EXPECT_EQ(cut.findChild<QLineEdit*>("title")->text().size(), 255);
        EXPECT_TRUE(
            cut.findChild<QLabel*>("notice")->text().contains("Название сокращено до 255 знаков."));
    }
    CIntakeDlg dialog(t.db, 0, QString());
    EXPECT_EQ(dialog.findChild<QPushButton*>("cancelButton")->text(), "Отмена");
    ASSERT_TRUE(dialog.loadFile(file));
    QTableWidget* lines = dialog.findChild<QTableWidget*>("lines");
    ASSERT_NE(lines, nullptr);
    EXPECT_EQ(lines->item(0, 0)->text(), "Мука пшеничная");
    EXPECT_TRUE(lines->item(0, 0)->font().italic());
    EXPECT_FALSE(lines->item(1, 0)->font().italic());
    QLabel* notice = dialog.findChild<QLabel*>("notice");
    EXPECT_TRUE(notice->text().endsWith("(курсивом): «Мука — 250 г» → Мука пшеничная."))
        << notice->text().toStdString();
    lines->item(0, 0)->setText("Мука ржаная");
    EXPECT_FALSE(lines->item(0, 0)->font().italic());
    EXPECT_FALSE(notice->text().contains("курсивом"));
}
