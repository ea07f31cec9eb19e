#include "support/TestDb.h"
#include "support/Widgets.h"

#include "data/Records.h"
#include "exchange/ExchangeStore.h"
#include "kitchen/KitchenDialogs.h"
#include "kitchen/KitchenStore.h"
#include "nutrition/FoodTable.h"
#include "nutrition/FoodValueDialog.h"
#include "nutrition/NutritionStore.h"
#include "recipes/CRView.h"
#include "recipes/RecipeDocument.h"
#include "reference/CDictionaryWork.h"
#include "ui/Progress.h"

#include "app/CMainFrame.h"
#include "ui/Commands.h"
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QTableWidget>
#include <QTextBlock>
#include <cmath>
#include <gtest/gtest.h>

using namespace nutrition;

namespace {

int starter(TestDb& t) {
    NoProgress quiet;
    exchange::importBytes(t.db, exchange::starterCollection(), quiet);
    return fillFromTable(t.db).filled;
}

int recipeNamed(Database& db, const QString& name) {
    return int(number(db, "SELECT ID FROM Recipes WHERE Name=?", {name}));
}

QString summed(const Figures& f, std::vector<UnitAmount> amounts) {
    const Summed s = sumAmounts(f, amounts);
    QStringList out;
    for (const UnitAmount& a : s.amounts)
        out << QString::number(a.amount) + ' ' + a.unit;
    return out.join(" + ") + (s.apart ? " (apart)" : "");
}

} // namespace

TEST(FoodTable, ShipsEveryRowReadableWithItsSourceAndKnowsTheStarterProducts) {
    QFile file(":/nutrition/products.tsv");
    ASSERT_TRUE(foodTable().size() >= 200u) << foodTable().size();
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    int unread = -1;
    readFoodTable(file.readAll(), &unread);
    EXPECT_EQ(unread, 0);
    // A source is shown in Russian with its licence, the record's own name in quotes.
    // A source is shown in Russian with its licence and the record's number, its own name in
    // quotes; a product stored before the records were numbered keeps its name alone.
    EXPECT_EQ(sourceText("USDA FDC SR Legacy 20081: Wheat flour, white (ближайший: крахмал)"),
              "пищевая ценность — таблица USDA FoodData Central (SR Legacy, общественное "
              "достояние), запись 20081 «Wheat flour, white» (ближайший: крахмал); вес единиц — "
              "русские кулинарные таблицы мер и весов");
    EXPECT_EQ(sourceText("USDA SR24 10219 и 23572: Pork и Beef"),
              "пищевая ценность — таблица USDA National Nutrient Database for Standard Reference "
              "(выпуск 24, общественное достояние), записи 10219 и 23572 «Pork и Beef»; вес "
              "единиц — русские кулинарные таблицы мер и весов");
    // The record's own brackets are part of its name; only our Russian remark is not.
    EXPECT_TRUE(sourceText("USDA FDC SR Legacy 12117: Nuts, coconut milk, raw (liquid)")
                    .contains("запись 12117 «Nuts, coconut milk, raw (liquid)»;"));
    EXPECT_EQ(sourceText("USDA FDC SR Legacy: Potato flour"),
              "пищевая ценность — таблица USDA FoodData Central (SR Legacy, общественное "
              "достояние), запись «Potato flour»; вес единиц — русские кулинарные таблицы мер и "
              "весов");
    // Every row names where its figures come from, a USDA row by its record's number, so that
    // the table can be checked against another copy.
    static const QRegularExpression numbered(
        QStringLiteral("^USDA (FDC SR Legacy|SR24) [0-9]{5}[ ,и0-9]*: \\S"));
    for (const TableRow& row : foodTable()) {
        const QString& source = row.figures.source;
        EXPECT_TRUE(numbered.match(source).hasMatch() ||
                    source.startsWith("Химический состав российских") ||
                    source.startsWith("Регламент (ЕС)"))
            << row.name.toStdString();
        EXPECT_TRUE(row.figures.per100) << row.name.toStdString();
    }
    TestDb t;
    EXPECT_EQ(starter(t), 41);
    EXPECT_EQ(number(t.db, "SELECT count(*) FROM ProductFood WHERE Kcal IS NULL"), 0);
}

TEST(FoodTable, MatchesNamesByTheirWordsNotByAnyWordTheyShare) {
    const auto nameOf = [](const char* written) {
        const TableRow* row = tableRowFor(QString::fromUtf8(written));
        return row ? row->name : QString("—");
    };
    EXPECT_EQ(nameOf("пшеничная мука"), "Мука пшеничная"); // any order
    EXPECT_EQ(nameOf("Свекла"), "Свёкла");                 // ё or е
    EXPECT_EQ(nameOf("Яйца"), "Яйцо куриное");             // another form
    EXPECT_EQ(nameOf("Мука пшеничная высшего сорта"), "Мука пшеничная");
    EXPECT_EQ(nameOf("Мука ржаная"), "Мука ржаная"); // not the wheat flour
    EXPECT_EQ(nameOf("Соус из лимона"), "—");        // a lemon is not its sauce
    EXPECT_EQ(nameOf("Перец"), "—");                 // sweet or black: unknown
    EXPECT_EQ(nameOf("Трюфель чёрный"), "—");
}

TEST(FoodTable, RefusesRowsThatDoNotAddUp) {
    const QByteArray text = "# comment\n"
                            "Мука\t364\t10\t1\t76\t0.64\tстакан=160\t\tUSDA\n"
                            "Без полей\t1\t2\n"
                            "Минус\t-5\t1\t1\t1\t\t\t\tUSDA\n"
                            "Штучный без веса\t50\t1\t1\t1\t\t\tшт\tUSDA\n"
                            "Нулевая плотность\t50\t1\t1\t1\t0\t\t\tUSDA\n"
                            "Вес без числа\t50\t1\t1\t1\t\tшт=\t\tUSDA\n";
    int unread = 0;
    const std::vector<TableRow> rows = readFoodTable(text, &unread);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(unread, 5);
    EXPECT_EQ(rows[0].figures.weightOf("стакан"), 160);
}

TEST(Nutrition, UnitsAddUpThroughTheProductsWeights) {
    Figures sugar;
    sugar.density = 0.8;
    sugar.weights = {{"стакан", 200}, {"ст.л.", 25}};
    // One unit however written is one unit, and what can be weighed reads in grams.
    EXPECT_EQ(summed(sugar, {{"ст.л.", 1}, {"столовая ложка", 2}, {"ст. л.", 1}}), "100 г");
    EXPECT_EQ(summed(sugar, {{"кг", 2}}), "2 кг");
    // Volumes of a dry product read in grams; a liquid poured in мл or л stays in them.
    Figures flour;
    flour.density = 0.64;
    flour.weights = {{"стакан", 160}, {"ст.л.", 25}};
    EXPECT_EQ(summed(flour, {{"стакан", 2}, {"ст.л.", 3}}), "395 г");
    EXPECT_EQ(summed(flour, {{"стакан", 2}}), "320 г");
    EXPECT_EQ(summed(sugar, {{"ст.л.", 1}, {"ст. л.", 2}, {"г", 100}, {"стакан", 1}}), "375 г");
    // A volume through the density when no weight is given; a kilogram is 1000 g.
    EXPECT_EQ(summed(sugar, {{"мл", 100}, {"кг", 0.5}}), "580 г");

    Figures milk;
    milk.density = 1.03;
    EXPECT_EQ(summed(milk, {{"стакан", 1}, {"мл", 200}, {"л", 0.5}}), "950 мл");
    EXPECT_EQ(summed(Figures(), {{"стакан", 1}, {"мл", 200}}), "450 мл");
    EXPECT_EQ(summed(Figures(), {{"капли", 20}, {"мл", 9}}), "10 мл");
    // A cup is no measure the density can turn into grams.
    EXPECT_EQ(gramsOf(milk, 1, "чашка"), std::nullopt);

    Figures egg;
    egg.counted = true;
    egg.weights = {{"шт", 50}};
    EXPECT_EQ(summed(egg, {{"шт", 2}, {"г", 100}}), "4 шт");
    EXPECT_EQ(summed(egg, {{"шт", 2}, {"г", 30}}), "2.6 шт");

    // What has no weight stays apart, and says so.
    Figures dill;
    dill.weights = {{"пучок", 30}};
    EXPECT_EQ(summed(dill, {{"пучок", 1}, {"г", 20}, {"веточка", 3}}), "50 г + 3 веточка (apart)");
    EXPECT_EQ(summed(Figures(), {{"пучок", 1}, {"г", 20}}), "20 г + 1 пучок (apart)");
    EXPECT_EQ(summed(Figures(), {{"г", 0.25}, {"кг", 0.001}}), "1.3 г");
}

// Hand-worked from the starter collection's lines and the table's figures: each line's
// grams (a unit's own weight, else a measure, else a volume times the density), then the
// food value of those grams.
TEST(Nutrition, StarterRecipesAddUpAsWorkedByHand) {
    TestDb t;
    starter(t);
    struct Expected {
        const char* recipe;
        double grams, kcal, protein, fat, carbs;
    };
    const Expected expected[] = {
        {"Борщ домашний", 1798, 1819.92, 115.84, 87.51, 147.88},
        {"Щи из свежей капусты", 1220.4, 1294.85, 86.89, 69.33, 82.48},
        {"Куриный суп с лапшой", 1270, 2254.10, 160.56, 118.15, 130.28},
        {"Окрошка на квасе", 2115, 1558.30, 63.03, 65.56, 173.80},
        {"Каша гречневая рассыпчатая", 740, 941.70, 24.84, 30.00, 157.53},
        {"Каша манная на молоке", 625, 752.60, 26.10, 25.93, 104.33},
        {"Овсянка с яблоком", 792, 782.28, 28.78, 23.04, 120.14},
        {"Блины на молоке", 874, 1582.46, 49.68, 62.50, 203.02},
        {"Оладьи на кефире", 867.5, 1386.15, 51.62, 11.88, 264.27},
        {"Сырники", 575, 1022.00, 82.82, 25.50, 114.77}, // творог 400 г: 484 ккал
        {"Шарлотка с яблоками", 1290, 2088.50, 43.93, 30.15, 422.85},
        {"Винегрет", 1481, 1068.84, 19.35, 53.20, 139.70},
        {"Салат оливье", 1720, 3167.60, 95.65, 244.66, 147.32},
    };
    for (const Expected& e : expected) {
        SCOPED_TRACE(e.recipe);
        const RecipeFood food = recipeFood(t.db, recipeNamed(t.db, QString::fromUtf8(e.recipe)));
        EXPECT_NEAR(food.grams, e.grams, 0.01);
        EXPECT_NEAR(food.total.kcal, e.kcal, 0.01);
        EXPECT_NEAR(food.total.protein, e.protein, 0.01);
        EXPECT_NEAR(food.total.fat, e.fat, 0.01);
        EXPECT_NEAR(food.total.carbs, e.carbs, 0.01);
        EXPECT_TRUE(food.unweighed.isEmpty());
    }
    EXPECT_EQ(foodText(recipeFood(t.db, recipeNamed(t.db, "Блины на молоке"))),
              "Пищевая ценность: всего 1\u00a0582 ккал; на 100 г — 181 ккал, белки 5,7 г, "
              "жиры 7,2 г, углеводы 23 г");
}

TEST(Nutrition, ToTasteWeighsNothingAndWhatCannotBeWeighedIsNamed) {
    TestDb t;
    const int soup = t.recipe("Суп", {{"Картофель", 2, "шт"},
                                      {"Соль", 0, "по вкусу"},
                                      {"Приправа хмели-сунели", 1, "ч.л."},
                                      {"Зелень", 2, "веточка"},
                                      {"Зелень", 1, "горсть"}});
    fillFromTable(t.db);
    const RecipeFood food = recipeFood(t.db, soup);
    EXPECT_NEAR(food.grams, 240 + 4, 1e-9);
    EXPECT_EQ(food.unweighed, (QStringList{"Приправа хмели-сунели", "Зелень"}));
    const QString text = foodText(food, 2);
    EXPECT_TRUE(text.startsWith("Пищевая ценность: всего 372 ккал;")) << text.toStdString();
    EXPECT_TRUE(text.endsWith("\nбез учёта: Приправа хмели-сунели, Зелень"));

    const int salted = t.recipe("Только соль", {{"Соль", 0, "по вкусу"}});
    EXPECT_EQ(foodText(recipeFood(t.db, salted)), QString());
    const int unknown = t.recipe("Неизвестное", {{"Трюфель", 10, "г"}});
    fillFromTable(t.db);
    EXPECT_EQ(foodText(recipeFood(t.db, unknown)),
              "Пищевая ценность: не известна\nбез учёта: Трюфель");
}

TEST(Nutrition, TheTableFillsOnceAndNeverOverwritesTheUsersFigures) {
    TestDb t;
    const int flour = t.product("Мука пшеничная");
    const int truffle = t.product("Трюфель");
    std::pair<int, int> told;
    FillResult first = fillFromTable(t.db, [&](int done, int total) { told = {done, total}; });
    EXPECT_EQ(told, std::make_pair(2, 2));
    EXPECT_EQ(first.asked, 2);
    EXPECT_EQ(first.filled, 1);
    EXPECT_EQ(fillFromTable(t.db).asked, 0); // the unknown one is not asked again

    Figures mine;
    mine.per100 = FoodValue{333, 9, 1, 70};
    mine.weights = {{"стакан", 130}};
    setOwnFigures(t.db, flour, mine);
    t.db.exec("DELETE FROM ProductFood WHERE Product=?", {qint64(truffle)});
    EXPECT_EQ(fillFromTable(t.db).asked, 1);
    EXPECT_TRUE(ownFigures(t.db, flour));
    EXPECT_EQ(productFigures(t.db, flour).per100->kcal, 333);
    EXPECT_EQ(productFigures(t.db, flour).weightOf("стакан"), 130);

    // A rename asks the table again, unless the figures are the user's; a deleted product's
    // figures go with it.
    const int beet = t.product("Корнеплод");
    fillFromTable(t.db);
    EXPECT_FALSE(productFigures(t.db, beet).known());
    t.db.exec("UPDATE Ingredient SET Name='Свёкла' WHERE ID=?", {qint64(beet)});
    t.db.exec("UPDATE Ingredient SET Name='Мука' WHERE ID=?", {qint64(flour)});
    EXPECT_EQ(fillFromTable(t.db).filled, 1);
    EXPECT_EQ(productFigures(t.db, beet).per100->kcal, 43);
    EXPECT_EQ(productFigures(t.db, flour).per100->kcal, 333);
    t.db.exec("DELETE FROM Ingredient WHERE ID=?", {qint64(beet)});
    EXPECT_EQ(number(t.db, "SELECT count(*) FROM ProductWeights WHERE Product=?", {qint64(beet)}),
              0);
    EXPECT_EQ(number(t.db, "SELECT count(*) FROM ProductFood WHERE Product=?", {qint64(beet)}), 0);
}

TEST(Nutrition, TheMenusListsAddUpInGramsOnlyWhenAsked) {
    TestDb t;
    const int pancakes = t.recipe("Блины", {{"Мука пшеничная", 2, "стакан"},
                                            {"Яйцо куриное", 2, "шт"},
                                            {"Соль", 1, "ч.л."},
                                            {"Зелень", 1, "пучок"}});
    const int pie = t.recipe("Пирог", {{"Мука пшеничная", 300, "г"},
                                       {"Яйцо куриное", 100, "г"},
                                       {"Соль", 1, "ч. л."},
                                       {"Зелень", 20, "г"},
                                       {"Зелень", 0, "по вкусу"}});
    fillFromTable(t.db);
    t.db.exec("DELETE FROM ProductWeights WHERE Unit='пучок'");
    kitchen::setMenuServings(t.db, pancakes, 1);
    kitchen::setMenuServings(t.db, pie, 2);
    const QByteArray plain = kitchen::menuProductListRtf(t.db);
    EXPECT_TRUE(plain.contains("2 \xf1\xf2\xe0\xea\xe0\xed + 600 \xe3")); // "2 стакан + 600 г"
    EXPECT_EQ(kitchen::shoppingListText(t.db),
              "Зелень : более чем 40 г + 1 пучок (не сложено: нет веса)\n"
              "Мука пшеничная : 920 г (2 стакан + 600 г)\n"
              "Соль : 30 г (3 ч.л.)\n"
              "Яйцо куриное : 6 шт (2 шт + 200 г)\n");
    EXPECT_TRUE(kitchen::menuProductListRtf(t.db, true).contains("920 \xe3"));
}

TEST(Nutrition, TheRecipePaneShowsFoodValueButTheDocumentStaysTheRecipes) {
    TestDb t;
    starter(t);
    t.recipe("Чай с трюфелем",
             {{"Вода", 1, "стакан"}, {"Трюфель", 5, "г"}, {"Соль", 0, "по вкусу"}});
    fillFromTable(t.db);
    CRView view(t.db);
    const int pancakes = recipeNamed(t.db, "Блины на молоке");
    ASSERT_TRUE(view.ShowRecipe(pancakes));
    EXPECT_EQ(view.documentRtf(), recipeRtf(t.db, pancakes));
    const QString shown = view.document()->toRawText();
    const qsizetype food = shown.indexOf("Пищевая ценность: всего 1\u00a0582 ккал");
    ASSERT_GE(food, 0) << shown.toStdString();
    EXPECT_GT(food, shown.indexOf("Масло растительное"));    // under the lines
    EXPECT_LT(food, shown.indexOf("Яйца взбить с сахаром")); // above the method
    ASSERT_TRUE(view.ShowRecipe(recipeNamed(t.db, "Чай с трюфелем")));
    // The salt to taste is no line left out: the list ends with the truffle.
    EXPECT_TRUE(view.document()->toRawText().contains("\u2028без учёта: Трюфель\u2029"))
        << view.document()->toRawText().toStdString();
}

// A recipe shown before its new products had figures is drawn again once they have them.
TEST(Nutrition, TheShownRecipeFollowsFiguresTheCommandJustGave) {
    TestDb t;
    const int porridge = t.recipe("Каша", {{"Крупа гречневая", 200, "г"}});
    CMainFrame frame(t.db);
    frame.recipeView()->ShowRecipe(porridge);
    EXPECT_TRUE(frame.recipeView()->document()->toRawText().contains("без учёта"));
    frame.runCommand(ID_VIEW_STATUS_BAR);
    EXPECT_FALSE(frame.recipeView()->document()->toRawText().contains("без учёта"))
        << frame.recipeView()->document()->toRawText().toStdString();
}

TEST(Nutrition, TheProductDialogEditsTheFiguresAndRefusesHalfOfThem) {
    TestDb t;
    starter(t);
    CIngredientWork work(t.db);
    QListWidget* entries = work.entries();
    const auto flour = entries->findItems("Мука пшеничная", Qt::MatchExactly);
    ASSERT_EQ(flour.size(), 1);
    entries->setCurrentItem(flour.front());
    const int id = flour.front()->data(Qt::UserRole).toInt();

    onNextModal(
        [](QWidget* dialog) {
            EXPECT_EQ(dialog->objectName(), "foodValueDlg");
            auto kcal = child<QLineEdit>(dialog, "kcal");
            EXPECT_EQ(kcal->text(), "364");
            EXPECT_EQ(child<QLineEdit>(dialog, "density")->text(), "0,64");
            // "Из справочника" brings the table's figures back over what was typed.
            kcal->setText("1");
            click(dialog, "fromTable");
            EXPECT_EQ(kcal->text(), "364");
            // A new row is ready to be typed in.
            auto table = child<QTableWidget>(dialog, "weights");
            click(dialog, "addWeight");
            EXPECT_EQ(table->rowCount(), 4);
            EXPECT_NE(table->viewport()->findChild<QLineEdit*>(), nullptr) << "no editor open";
            table->setCurrentCell(3, 0);
            click(dialog, "removeWeight");
            EXPECT_EQ(table->rowCount(), 3);
            EXPECT_TRUE(child<QLabel>(dialog, "source")->text().contains("USDA"));
            child<QLineEdit>(dialog, "protein")->clear();
            click(dialog, "yesButton");
            EXPECT_TRUE(lastMessage().contains("все четыре")) << lastMessage().toStdString();
            EXPECT_TRUE(dialog->isVisible());
            child<QLineEdit>(dialog, "protein")->setText("9,5");
            kcal->setText("340");
            auto weights = child<QTableWidget>(dialog, "weights");
            weights->item(0, 1)->setText("140");
            weights->item(2, 1)->setText("");
            click(dialog, "yesButton");
            EXPECT_TRUE(lastMessage().startsWith("В строке 3 ")) << lastMessage().toStdString();
            weights->item(2, 1)->setText("12");
            click(dialog, "yesButton");
        },
        &work, "the food value dialog");
    click(&work, "foodButton");
    EXPECT_TRUE(ownFigures(t.db, id));
    const Figures f = productFigures(t.db, id);
    EXPECT_EQ(f.per100->kcal, 340);
    EXPECT_EQ(f.per100->protein, 9.5);
    EXPECT_EQ(f.weightOf("стакан"), 140);
    EXPECT_EQ(f.weightOf("ч.л."), 12);
    EXPECT_EQ(fillFromTable(t.db).asked, 0);
    EXPECT_EQ(productFigures(t.db, id).per100->kcal, 340);
}

TEST(Nutrition, TheMenuWindowScalesTheFoodValueWithTheServings) {
    TestDb t;
    starter(t);
    kitchen::setMenuServings(t.db, recipeNamed(t.db, "Блины на молоке"), 3);
    kitchen::setMenuServings(t.db, recipeNamed(t.db, "Сырники"), 1);
    CMenuForm form(t.db);
    auto label = child<QLabel>(&form, "menuFood");
    // 3 × 1582.46 + 1022.00
    EXPECT_EQ(label->text(), "Всё меню: 5\u00a0769 ккал");
    form.list()->topLevelItem(0)->setSelected(true);
    EXPECT_EQ(label->text(), "«Блины на молоке» × 3: 4\u00a0747 ккал; всё меню: 5\u00a0769 ккал");
}
