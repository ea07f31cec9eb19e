#include "PlanOutput.h"

#include "cooking/Scaling.h"
#include "data/Database.h"

#include <QHash>
#include <QLocale>
#include <QSet>
#include <libical/ical.h>
#include <memory>

namespace plan {

Scale scaleOf(int servings, const recipes::Servings& own) {
    if (!own.known())
        return {1, true};
    return {double(servings) / double(own.count), false};
}

QString entryTitle(const PlanEntry& entry) {
    return QStringLiteral("%1: %2 (%3)")
        .arg(mealName(entry.meal), entry.name, recipes::servingsText(entry.servings));
}

QString daysText(const QDate& from, const QDate& to) {
    // The genitive month is what a Russian date says ("7 декабря"), whatever the desktop's
    // language.
    const QLocale ru(QLocale::Russian, QLocale::Russia);
    if (from == to)
        return ru.toString(from, QStringLiteral("d MMMM"));
    if (from.month() == to.month() && from.year() == to.year())
        return QStringLiteral("%1–%2")
            .arg(from.day())
            .arg(ru.toString(to, QStringLiteral("d MMMM")));
    return QStringLiteral("%1 — %2").arg(ru.toString(from, QStringLiteral("d MMMM")),
                                         ru.toString(to, QStringLiteral("d MMMM")));
}

QDate weekStart(const QDate& day) {
    return day.addDays(1 - day.dayOfWeek());
}

PlanPortions portionsBetween(Database& db, const QDate& from, const QDate& to) {
    checkRange(from, to);
    Transaction reading(db);
    PlanPortions out;
    QHash<int, recipes::Servings> own;
    QSet<int> once;
    for (const PlanEntry& entry : planBetween(db, from, to)) {
        auto known = own.find(entry.recipe);
        if (known == own.end())
            known = own.insert(entry.recipe, recipes::servingsOf(db, entry.recipe));
        const Scale scale = scaleOf(entry.servings, *known);
        out.portions.push_back({entry.recipe, scale.factor});
        if (scale.once && !once.contains(entry.recipe)) {
            once.insert(entry.recipe);
            out.countedOnce << entry.name;
        }
    }
    return out;
}

QString countedOnceNote(const QStringList& names) {
    if (names.isEmpty())
        return {};
    return QStringLiteral("Рецепты без числа порций посчитаны по разу: %1")
        .arg(names.join(QStringLiteral(", ")));
}

std::vector<kitchen::ShoppingItem> shoppingBetween(Database& db, const QDate& from,
                                                   const QDate& to) {
    Transaction reading(db);
    return kitchen::shoppingListFor(db, portionsBetween(db, from, to).portions);
}

QString weekHtml(Database& db, const QDate& monday) {
    const QLocale ru(QLocale::Russian, QLocale::Russia);
    const QDate sunday = monday.addDays(6);
    const std::vector<PlanEntry> entries = planBetween(db, monday, sunday);
    QString html = QStringLiteral("<h2>План питания: %1 %2</h2>"
                                  "<table border=\"1\" cellspacing=\"0\" cellpadding=\"4\" "
                                  "width=\"100%\"><tr><th></th>")
                       .arg(daysText(monday, sunday).toHtmlEscaped())
                       .arg(sunday.year());
    for (int d = 0; d < 7; ++d)
        html +=
            QStringLiteral("<th width=\"13%\">%1</th>")
                .arg(ru.toString(monday.addDays(d), QStringLiteral("ddd, d MMMM")).toHtmlEscaped());
    html += QStringLiteral("</tr>");
    for (int m = 0; m < kMeals; ++m) {
        html += QStringLiteral("<tr><th align=\"left\">%1</th>").arg(mealName(Meal(m)));
        for (int d = 0; d < 7; ++d) {
            QStringList dishes;
            for (const PlanEntry& e : entries)
                if (e.day == monday.addDays(d) && int(e.meal) == m)
                    dishes << QStringLiteral("%1 (%2)%3")
                                  .arg(e.name.toHtmlEscaped(), QString::number(e.servings),
                                       e.done ? QStringLiteral(" ✓") : QString());
            html += QStringLiteral("<td valign=\"top\">%1</td>")
                        .arg(dishes.join(QStringLiteral("<br>")));
        }
        html += QStringLiteral("</tr>");
    }
    return html + QStringLiteral("</table>");
}

namespace {

struct ComponentFree {
    void operator()(icalcomponent* c) const { icalcomponent_free(c); }
};

icaltimetype icalDate(const QDate& day) {
    icaltimetype t = icaltime_null_date();
    t.year = day.year();
    t.month = day.month();
    t.day = day.day();
    return t;
}

} // namespace

QByteArray calendar(Database& db, const QDate& from, const QDate& to) {
    checkRange(from, to);
    Transaction reading(db);
    std::unique_ptr<icalcomponent, ComponentFree> cal(icalcomponent_new(ICAL_VCALENDAR_COMPONENT));
    icalcomponent_add_property(cal.get(), icalproperty_new_version("2.0"));
    icalcomponent_add_property(cal.get(), icalproperty_new_prodid("-//Ovelta//Plan//RU"));
    icalcomponent_add_property(cal.get(), icalproperty_new_calscale("GREGORIAN"));
    const icaltimetype stamp =
        icaltime_from_timet_with_zone(time(nullptr), 0, icaltimezone_get_utc_timezone());
    QHash<int, recipes::Servings> own;
    for (const PlanEntry& entry : planBetween(db, from, to)) {
        auto known = own.find(entry.recipe);
        if (known == own.end())
            known = own.insert(entry.recipe, recipes::servingsOf(db, entry.recipe));
        const Scale scale = scaleOf(entry.servings, *known);
        QStringList lines;
        if (const auto shown = cooking::present(db, entry.recipe, {scale.factor, false}))
            for (const cooking::ShownLine& line : shown->lines)
                lines << (line.amount.isEmpty()
                              ? line.product
                              : QStringLiteral("%1 — %2").arg(line.product, line.amount));
        if (scale.once)
            lines << QStringLiteral("(порций в рецепте не указано: продукты на один раз)");

        icalcomponent* event = icalcomponent_new(ICAL_VEVENT_COMPONENT);
        // The same entry keeps its UID from one export to the next, so that a calendar
        // importing the week again updates it rather than doubling it.
        const QByteArray uid = QStringLiteral("plan-%1-%2-%3@ovelta")
                                   .arg(entry.id)
                                   .arg(entry.day.toString(QStringLiteral("yyyyMMdd")))
                                   .arg(entry.recipe)
                                   .toUtf8();
        icalcomponent_add_property(event, icalproperty_new_uid(uid.constData()));
        icalcomponent_add_property(event, icalproperty_new_dtstamp(stamp));
        icaltimetype start = icalDate(entry.day);
        icalcomponent_add_property(event, icalproperty_new_dtstart(start));
        icalcomponent_add_property(event, icalproperty_new_dtend(icalDate(entry.day.addDays(1))));
        icalcomponent_add_property(
            event, icalproperty_new_summary(entryTitle(entry).toUtf8().constData()));
        icalcomponent_add_property(event, icalproperty_new_description(
                                              lines.join(QLatin1Char('\n')).toUtf8().constData()));
        icalcomponent_add_property(event, icalproperty_new_transp(ICAL_TRANSP_TRANSPARENT));
        icalcomponent_add_component(cal.get(), event);
    }
    char* text = icalcomponent_as_ical_string_r(cal.get());
    const QByteArray out(text);
    icalmemory_free_buffer(text);
    return out;
}

} // namespace plan
