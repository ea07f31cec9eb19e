#pragma once

#include "search/SearchStore.h"

#include <QDate>
#include <QHash>
#include <QString>
#include <stdexcept>
#include <vector>

class Database;

// What was cooked and when, with a rating and a note. No widgets here.
namespace plan {

constexpr int kMaxNoteLength = 4000;

// Input that cannot be written, said in Russian; nothing was written.
class InputError : public std::runtime_error {
public:
    explicit InputError(const QString& message)
        : std::runtime_error(message.toStdString()), m_message(message) {}
    const QString& message() const { return m_message; }

private:
    QString m_message;
};

struct Cooked {
    qint64 id = 0;
    int recipe = 0;
    QString name;
    QDate day;
    int rating = 0; // 0: none given
    QString note;
};

// Notes that a recipe was cooked on a day (not a day to come), rated 1 to 5 or 0 for none.
// Throws InputError for an unknown recipe, a day to come, a rating or note out of bounds.
qint64 addCooked(Database& db, int recipe, const QDate& day, int rating, const QString& note,
                 const QDate& today = QDate::currentDate());

// The newest first: of one recipe, or of all (0). Recipes in the trash are left out.
std::vector<Cooked> history(Database& db, int recipe = 0);

struct Summary {
    int times = 0;
    QDate last;
    int rated = 0;
    double rating = 0; // the average of the ratings given
};
Summary summaryOf(Database& db, int recipe);
// "Готовили 2 раза, последний — 3 декабря 2026, оценка 4,5"; empty when never cooked.
QString summaryText(const Summary& summary);

// Recipes cooked before and not since the day, by name.
std::vector<search::Found> notCookedSince(Database& db, const QDate& since);

// For sorting the results: each cooked recipe's last day and average rating.
struct Standing {
    QDate last;
    double rating = 0;
};
QHash<int, Standing> standings(Database& db);

} // namespace plan
