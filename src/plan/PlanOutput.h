#pragma once

#include "MealPlan.h"
#include "kitchen/KitchenStore.h"
#include "recipes/Servings.h"

#include <QByteArray>
#include <QDate>
#include <QString>
#include <QStringList>
#include <vector>

class Database;

// What the plan gives out: its shopping list, the week on paper and the calendar file. No
// widgets here.
namespace plan {

// How many times an entry counts its recipe: its servings over the recipe's own, or once
// when the recipe does not say how many it makes.
struct Scale {
    double factor = 1;
    bool once = false; // the recipe's servings are unknown
};
Scale scaleOf(int servings, const recipes::Servings& own);

// "Обед: Борщ (4 порции)".
QString entryTitle(const PlanEntry& entry);

// "7–13 декабря", "28 декабря — 3 января", "7 декабря".
QString daysText(const QDate& from, const QDate& to);
// The Monday of the day's week.
QDate weekStart(const QDate& day);

struct PlanPortions {
    std::vector<kitchen::Portion> portions;
    QStringList countedOnce; // recipes without servings, by name, each once
};
// Every entry of the days as its recipe times its scale. Throws InputError for a range that
// is not one.
PlanPortions portionsBetween(Database& db, const QDate& from, const QDate& to);
// "Рецепты без числа порций посчитаны по разу: Борщ, Плов"; empty when there are none.
QString countedOnceNote(const QStringList& names);
// What the days' entries need less what is at hand, a product a line in grams where the
// weights are known. Throws InputError for a range that is not one.
std::vector<kitchen::ShoppingItem> shoppingBetween(Database& db, const QDate& from,
                                                   const QDate& to);

// The week from Monday as an HTML table for a landscape page: the days as columns, the
// meals as rows.
QString weekHtml(Database& db, const QDate& monday);

// The days' entries as an iCalendar file: an all-day event each, the products at its
// servings in the description. Throws InputError for a range that is not one.
QByteArray calendar(Database& db, const QDate& from, const QDate& to);

} // namespace plan
