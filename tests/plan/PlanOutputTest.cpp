#include "plan/PlanOutput.h"
#include "kitchen/KitchenStore.h"
#include "nutrition/NutritionStore.h"
#include "plan/CookLog.h"
#include "recipes/Servings.h"
#include "support/TestDb.h"
#include "support/ToolRun.h"

#include <QRegularExpression>
#include <gtest/gtest.h>
#include <libical/ical.h>

using plan::Meal;

namespace {

const QDate kMonday(2026, 12, 7);

QStringList texts(const std::vector<kitchen::ShoppingItem>& items) {
    QStringList out;
    for (const kitchen::ShoppingItem& i : items)
        out << i.text;
    return out;
}

// Borscht makes 4 and is planned for 8 on Monday (twice over) and for 4 on Wednesday;
// blini do not say their servings; tea is on hand and salt always present.
struct Week {
    TestDb t;
    int borscht, blini, tea;
    Week() {
        borscht =
            t.recipe("Борщ", {{"Свёкла", 2, "шт"}, {"Сметана", 1, "стакан"}, {"Соль", 1, "ч.л."}});
        recipes::setServings(t.db, borscht, {4, {}});
        blini = t.recipe("Блины", {{"Мука", 200, "г"}, {"Сметана", 50, "г"}, {"Чай", 1, "ч.л."}});
        tea = t.recipe("Чай", {{"Чай", 1, "ч.л."}});
        nutrition::Figures cream;
        cream.weights = {{"стакан", 200}};
        nutrition::setOwnFigures(t.db, t.product("Сметана"), cream);
        kitchen::addProducts(t.db, kitchen::List::OnHand, {{t.product("Чай"), "Чай"}});
        kitchen::addProducts(t.db, kitchen::List::Always, {{t.product("Соль"), "Соль"}});
        plan::addToPlan(t.db, kMonday, Meal::Lunch, borscht, 8);
        plan::addToPlan(t.db, kMonday.addDays(1), Meal::Breakfast, blini, 3);
        plan::addToPlan(t.db, kMonday.addDays(1), Meal::Snack, tea, 1);
        plan::addToPlan(t.db, kMonday.addDays(2), Meal::Dinner, borscht, 4);
    }
};

} // namespace

TEST(PlanOutput, TheListForDaysScalesByServingsAddsInGramsAndLeavesOutWhatIsAtHand) {
    Week w;
    // Monday and Tuesday: borscht twice over, blini once however many they feed.
    EXPECT_EQ(texts(plan::shoppingBetween(w.t.db, kMonday, kMonday.addDays(1))),
              (QStringList{"Мука : 200 г", "Свёкла : 4 шт", "Сметана : 450 г (2 стакан + 50 г)"}));
    const plan::PlanPortions p = plan::portionsBetween(w.t.db, kMonday, kMonday.addDays(1));
    EXPECT_EQ(p.countedOnce, (QStringList{"Блины", "Чай"}));
    EXPECT_EQ(plan::countedOnceNote(p.countedOnce),
              "Рецепты без числа порций посчитаны по разу: Блины, Чай");
    // The whole week adds Wednesday's borscht; a day outside the range adds nothing.
    EXPECT_EQ(texts(plan::shoppingBetween(w.t.db, kMonday, kMonday.addDays(6))),
              (QStringList{"Мука : 200 г", "Свёкла : 6 шт", "Сметана : 650 г (3 стакан + 50 г)"}));
    EXPECT_EQ(texts(plan::shoppingBetween(w.t.db, kMonday.addDays(3), kMonday.addDays(6))),
              QStringList{});
    EXPECT_EQ(kitchen::shoppingListText(
                  plan::shoppingBetween(w.t.db, kMonday.addDays(2), kMonday.addDays(2))),
              "Свёкла : 2 шт\nСметана : 200 г (1 стакан)\n");
    // The menu's own list knows nothing of the plan.
    EXPECT_EQ(kitchen::shoppingListText(w.t.db), "");

    EXPECT_EQ(plan::scaleOf(6, {4, {}}).factor, 1.5);
    EXPECT_TRUE(plan::scaleOf(6, {}).once);
    EXPECT_EQ(plan::daysText(kMonday, kMonday.addDays(6)), "7–13 декабря");
    EXPECT_EQ(plan::daysText(QDate(2026, 12, 28), QDate(2027, 1, 3)), "28 декабря — 3 января");
    EXPECT_EQ(plan::weekStart(QDate(2026, 12, 13)), kMonday);
    EXPECT_EQ(plan::weekStart(kMonday), kMonday);
}

TEST(PlanOutput, AnEntryIsDoneWhenItsRecipeWasCookedThatDay) {
    Week w;
    plan::addCooked(w.t.db, w.borscht, kMonday.addDays(2), 5, {}, kMonday.addDays(3));
    QStringList done;
    for (const plan::PlanEntry& e : plan::planBetween(w.t.db, kMonday, kMonday.addDays(6)))
        done << QStringLiteral("%1 %2").arg(e.name).arg(e.done);
    EXPECT_EQ(done, (QStringList{"Борщ 0", "Блины 0", "Чай 0", "Борщ 1"}));
    EXPECT_TRUE(plan::weekHtml(w.t.db, kMonday).contains("Борщ (4) ✓"));
}

TEST(PlanOutput, TheCalendarReadsBackWithItsDatesSummariesUidsAndFoldedLines) {
    Week w;
    // A name long enough that its summary must be folded past 75 bytes.
    const QString longName =
        QStringLiteral("Пирог с капустой, яйцом и зелёным луком по-бабушкиному");
    const int pie = w.t.recipe(longName, {{"Капуста", 500, "г"}});
    recipes::setServings(w.t.db, pie, {6, {}});
    plan::addToPlan(w.t.db, kMonday.addDays(6), Meal::Dinner, pie, 6);
    const QByteArray ics = plan::calendar(w.t.db, kMonday, kMonday.addDays(6));

    // Folded by the library: no line over 75 bytes, none cut inside a letter.
    int folded = 0;
    for (const QByteArray& line : ics.split('\n')) {
        EXPECT_LE(line.size(), 76) << line.toStdString(); // with the CR
        if (line.startsWith(' '))
            ++folded;
        EXPECT_EQ(QString::fromUtf8(line).toUtf8(), line) << "a letter cut in two";
    }
    EXPECT_GT(folded, 0);

    icalcomponent* cal = icalparser_parse_string(ics.constData());
    ASSERT_TRUE(cal);
    QStringList events, uids;
    for (icalcomponent* e = icalcomponent_get_first_component(cal, ICAL_VEVENT_COMPONENT); e;
         e = icalcomponent_get_next_component(cal, ICAL_VEVENT_COMPONENT)) {
        const icaltimetype start = icalcomponent_get_dtstart(e);
        const icaltimetype end = icalcomponent_get_dtend(e);
        EXPECT_TRUE(start.is_date);
        EXPECT_EQ(icaltime_compare(end, icaltime_add(start, icaldurationtype_from_int(86400))), 0);
        events << QStringLiteral("%1-%2-%3 %4")
                      .arg(start.year)
                      .arg(start.month)
                      .arg(start.day)
                      .arg(QString::fromUtf8(icalcomponent_get_summary(e)));
        uids << QString::fromUtf8(icalcomponent_get_uid(e));
        if (QString::fromUtf8(icalcomponent_get_summary(e)).startsWith("Обед: Борщ")) {
            EXPECT_EQ(QString::fromUtf8(icalcomponent_get_description(e)),
                      "Свёкла — 4 шт\nСметана — 2 стакана\nСоль — 2 ч.л.");
        }
    }
    icalcomponent_free(cal);
    EXPECT_EQ(events,
              (QStringList{"2026-12-7 Обед: Борщ (8 порций)", "2026-12-8 Завтрак: Блины (3 порции)",
                           "2026-12-8 Перекус: Чай (1 порция)", "2026-12-9 Ужин: Борщ (4 порции)",
                           "2026-12-13 Ужин: " + longName + " (6 порций)"}));
    EXPECT_EQ(QSet<QString>(uids.begin(), uids.end()).size(), uids.size()) << "every UID its own";
    // Exported again, the same entries keep their UIDs, so a calendar updates rather than
    // doubles them.
    const QByteArray again = plan::calendar(w.t.db, kMonday, kMonday.addDays(6));
    for (const QString& uid : uids)
        EXPECT_TRUE(again.contains(uid.toUtf8()));
}

TEST(PlanOutput, TheToolWritesTheListAndTheCalendarAndRefusesBadRanges) {
    Week w;
    const QString db = w.t.path();
    w.t.db.close();
    ToolRun run = runTool(
        {"plan", "--db", db, "shopping-list", "--from", "2026-12-09", "--to", "2026-12-09"});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, "Свёкла : 2 шт\nСметана : 200 г (1 стакан)\n");
    const QString ics = QDir(w.t.dir()).filePath("week.ics");
    EXPECT_EQ(
        runTool({"plan", "--db", db, "ics", "--from", "2026-12-07", "--to", "2026-12-13", ics})
            .exitCode,
        0);
    EXPECT_TRUE(fileBytes(ics).startsWith("BEGIN:VCALENDAR\r\n"));
    EXPECT_EQ(fileBytes(ics).count("BEGIN:VEVENT"), 4);

    const QByteArray before = fileBytes(db);
    const QString out = QDir(w.t.dir()).filePath("never.ics");
    for (const QStringList& args :
         {QStringList{"shopping-list", "--from", "2026-12-07"},
          QStringList{"shopping-list", "--from", "2026-12-07", "--to", "2026-13-01"},
          QStringList{"shopping-list", "--from", "2026-12-07", "--to", "2027-12-08"},
          QStringList{"ics", "--from", "2026-12-09", "--to", "2026-12-07", out},
          QStringList{"ics", "--from", "2026-12-07", "--to", "2026-12-09"}}) {
        run = runTool(QStringList{"plan", "--db", db} + args);
        EXPECT_EQ(run.exitCode, 1) << args.join(' ').toStdString();
        EXPECT_TRUE(run.err.contains(QRegularExpression("[а-я]"))) << run.err.toStdString();
    }
    EXPECT_FALSE(QFile::exists(out));
    EXPECT_EQ(fileBytes(db), before);
}
