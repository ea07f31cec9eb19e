#include "MealPlan.h"

#include "data/Database.h"

namespace plan {

namespace {

const char* const kMealNames[kMeals] = {"Завтрак", "Обед", "Ужин", "Перекус"};

void requireDay(const QDate& day) {
    if (!day.isValid())
        throw InputError(QStringLiteral("Такой даты нет"));
}

} // namespace

QString mealName(Meal meal) {
    return QString::fromUtf8(kMealNames[int(meal)]);
}

std::optional<Meal> mealNamed(const QString& word) {
    for (int m = 0; m < kMeals; ++m)
        if (word.compare(QString::fromUtf8(kMealNames[m]), Qt::CaseInsensitive) == 0)
            return Meal(m);
    return std::nullopt;
}

qint64 addToPlan(Database& db, const QDate& day, Meal meal, int recipe, int servings) {
    requireDay(day);
    if (!std::holds_alternative<qint64>(
            db.scalar("SELECT ID FROM Recipes WHERE ID=?", {qint64(recipe)})))
        throw InputError(QStringLiteral("Нет рецепта %1").arg(recipe));
    if (servings < 1 || servings > kMaxServings)
        throw InputError(QStringLiteral("Порций может быть от 1 до %1").arg(kMaxServings));
    Transaction tx(db);
    db.exec("INSERT INTO MealPlan (Day, Meal, Recipe, Servings) VALUES (?, ?, ?, ?)",
            {day.toString(Qt::ISODate), qint64(meal), qint64(recipe), qint64(servings)});
    const qint64 id = db.lastInsertRowId();
    tx.commit();
    return id;
}

int removeFromPlan(Database& db, const QDate& day, int recipe) {
    requireDay(day);
    Transaction tx(db);
    const qint64 n =
        std::get<qint64>(db.scalar("SELECT count(*) FROM MealPlan WHERE Day=? AND Recipe=?",
                                   {day.toString(Qt::ISODate), qint64(recipe)}));
    db.exec("DELETE FROM MealPlan WHERE Day=? AND Recipe=?",
            {day.toString(Qt::ISODate), qint64(recipe)});
    tx.commit();
    return int(n);
}

bool removeEntry(Database& db, qint64 entry) {
    Transaction tx(db);
    db.exec("DELETE FROM MealPlan WHERE ID=?", {entry});
    const bool gone = std::get<qint64>(db.scalar("SELECT changes()")) > 0;
    tx.commit();
    return gone;
}

bool moveEntry(Database& db, qint64 entry, const QDate& day, Meal meal) {
    requireDay(day);
    Transaction tx(db);
    db.exec("UPDATE MealPlan SET Day=?, Meal=? WHERE ID=?",
            {day.toString(Qt::ISODate), qint64(meal), entry});
    const bool moved = std::get<qint64>(db.scalar("SELECT changes()")) > 0;
    tx.commit();
    return moved;
}

void checkRange(const QDate& from, const QDate& to) {
    requireDay(from);
    requireDay(to);
    if (to < from)
        throw InputError(QStringLiteral("Конец раньше начала"));
    if (from.daysTo(to) + 1 > kMaxRangeDays)
        throw InputError(QStringLiteral("Не больше %1 дней").arg(kMaxRangeDays));
}

std::vector<PlanEntry> planBetween(Database& db, const QDate& from, const QDate& to) {
    requireDay(from);
    requireDay(to);
    if (to < from)
        throw InputError(QStringLiteral("Конец раньше начала"));
    std::vector<PlanEntry> out;
    if (!db.hasTable(QStringLiteral("MealPlan")))
        return out;
    // The log's table is made with the plan's, so where one is the other is.
    Statement rows(db, SqlText("SELECT p.ID, p.Day, p.Meal, p.Recipe, r.Name, p.Servings, "
                               "EXISTS (SELECT 1 FROM CookLog c WHERE c.Recipe = p.Recipe AND "
                               "c.Day = p.Day) FROM MealPlan p JOIN Recipes r ON r.ID = p.Recipe "
                               "WHERE p.Day BETWEEN ? AND ? ORDER BY p.Day, p.Meal, p.ID"));
    rows.bind(1, from.toString(Qt::ISODate));
    rows.bind(2, to.toString(Qt::ISODate));
    while (rows.step())
        out.push_back({rows.int64(0), QDate::fromString(rows.text(1), Qt::ISODate),
                       Meal(std::clamp<qint64>(rows.int64(2), 0, kMeals - 1)), int(rows.int64(3)),
                       rows.text(4), int(rows.int64(5)), rows.int64(6) != 0});
    return out;
}

} // namespace plan
