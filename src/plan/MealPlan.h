#pragma once

#include "CookLog.h"

#include <QDate>
#include <QString>
#include <optional>
#include <vector>

class Database;

// The dated plan: recipes for the days' meals, with their servings. No widgets here.
namespace plan {

enum class Meal { Breakfast = 0, Lunch = 1, Dinner = 2, Snack = 3 };
constexpr int kMeals = 4;
constexpr int kMaxServings = 1000;
constexpr int kMaxRangeDays = 366;

// "Завтрак", "Обед", "Ужин", "Перекус".
QString mealName(Meal meal);
// The meal a word names, in any case ("обед", "Ужин"); nothing for another word.
std::optional<Meal> mealNamed(const QString& word);

struct PlanEntry {
    qint64 id = 0;
    QDate day;
    Meal meal = Meal::Lunch;
    int recipe = 0;
    QString name;
    int servings = 1;
    bool done = false; // the log has the recipe cooked that day
};

// Adds a recipe to a day's meal. Throws InputError for an unknown recipe, a day that does
// not exist, or servings out of 1 to 1,000.
qint64 addToPlan(Database& db, const QDate& day, Meal meal, int recipe, int servings);
// Removes the recipe from the day (every meal); returns how many entries went.
int removeFromPlan(Database& db, const QDate& day, int recipe);
// Takes one entry out of the plan; false when it is not there.
bool removeEntry(Database& db, qint64 entry);
// Moves an entry to another day's meal; false when it is not there.
bool moveEntry(Database& db, qint64 entry, const QDate& day, Meal meal);
// The entries of the days from..to, by day, meal and the order they were added. Throws
// InputError when to is before from.
std::vector<PlanEntry> planBetween(Database& db, const QDate& from, const QDate& to);
// A range of days a list or a calendar is made for: InputError beyond 366 days.
void checkRange(const QDate& from, const QDate& to);

} // namespace plan
