#include "CookLog.h"

#include "data/Database.h"
#include "data/TextOrder.h"
#include "recipes/Servings.h"

#include <QLocale>

namespace plan {

namespace {

QString isoOf(const QDate& day) {
    return day.toString(Qt::ISODate);
}

QDate dayOf(const QString& text) {
    return QDate::fromString(text, Qt::ISODate);
}

} // namespace

qint64 addCooked(Database& db, int recipe, const QDate& day, int rating, const QString& note,
                 const QDate& today) {
    if (!std::holds_alternative<qint64>(
            db.scalar("SELECT ID FROM Recipes WHERE ID=?", {qint64(recipe)})))
        throw InputError(QStringLiteral("Нет рецепта %1").arg(recipe));
    if (!day.isValid())
        throw InputError(QStringLiteral("Такой даты нет"));
    if (day > today)
        throw InputError(QStringLiteral("Этот день ещё не наступил"));
    if (rating < 0 || rating > 5)
        throw InputError(QStringLiteral("Оценка — от 1 до 5"));
    if (note.size() > kMaxNoteLength)
        throw InputError(QStringLiteral("Заметка длиннее %1 знаков").arg(kMaxNoteLength));
    Transaction tx(db);
    db.exec("INSERT INTO CookLog (Recipe, Day, Rating, Note) VALUES (?, ?, ?, ?)",
            {qint64(recipe), isoOf(day), rating > 0 ? SqlValue(qint64(rating)) : SqlValue(), note});
    const qint64 id = db.lastInsertRowId();
    tx.commit();
    return id;
}

std::vector<Cooked> history(Database& db, int recipe) {
    std::vector<Cooked> out;
    if (!db.hasTable(QStringLiteral("CookLog")))
        return out;
    Statement rows(db, SqlText("SELECT l.ID, l.Recipe, r.Name, l.Day, ifnull(l.Rating, 0), l.Note "
                               "FROM CookLog l JOIN Recipes r ON r.ID = l.Recipe "
                               "WHERE ? = 0 OR l.Recipe = ? ORDER BY l.Day DESC, l.ID DESC"));
    rows.bind(1, qint64(recipe));
    rows.bind(2, qint64(recipe));
    while (rows.step())
        out.push_back({rows.int64(0), int(rows.int64(1)), rows.text(2), dayOf(rows.text(3)),
                       int(rows.int64(4)), rows.text(5)});
    return out;
}

Summary summaryOf(Database& db, int recipe) {
    Summary s;
    if (!db.hasTable(QStringLiteral("CookLog")))
        return s;
    Statement row(db, SqlText("SELECT count(*), max(Day), count(Rating), ifnull(avg(Rating), 0) "
                              "FROM CookLog WHERE Recipe=?"));
    row.bind(1, qint64(recipe));
    if (row.step()) {
        s.times = int(row.int64(0));
        s.last = dayOf(row.text(1));
        s.rated = int(row.int64(2));
        s.rating = row.real(3);
    }
    return s;
}

QString summaryText(const Summary& s) {
    if (s.times == 0)
        return {};
    static const char* const kForms[] = {"раз", "раза", "раз"};
    const QLocale russian(QLocale::Russian);
    QString text = QStringLiteral("Готовили %1 %2, последний — %3")
                       .arg(s.times)
                       .arg(QString::fromUtf8(kForms[recipes::numberForm(s.times)]),
                            russian.toString(s.last, QStringLiteral("d MMMM yyyy")));
    if (s.rated > 0)
        text += QStringLiteral(", оценка %1").arg(russian.toString(s.rating, 'g', 2));
    return text;
}

std::vector<search::Found> notCookedSince(Database& db, const QDate& since) {
    std::vector<search::Found> out;
    if (!db.hasTable(QStringLiteral("CookLog")))
        return out;
    Statement rows(db, SqlText("SELECT r.Name, r.ID FROM Recipes r JOIN (SELECT Recipe, max(Day) "
                               "AS Last FROM CookLog GROUP BY Recipe) l ON l.Recipe = r.ID "
                               "WHERE l.Last < ?"));
    rows.bind(1, isoOf(since));
    while (rows.step())
        out.push_back({rows.text(0), int(rows.int64(1))});
    sortRussian(out, [](const search::Found& f) { return f.name; });
    return out;
}

QHash<int, Standing> standings(Database& db) {
    QHash<int, Standing> out;
    if (!db.hasTable(QStringLiteral("CookLog")))
        return out;
    // One pass over the rows, added up here: the engine's GROUP BY walks the index and
    // fetches every row's rating from the table, several times slower on a long log.
    struct Sum {
        QString last;
        int rated = 0;
        int stars = 0;
    };
    QHash<int, Sum> sums;
    Statement rows(db, SqlText("SELECT Recipe, Day, Rating FROM CookLog"));
    while (rows.step()) {
        Sum& sum = sums[int(rows.int64(0))];
        QString day = rows.text(1);
        if (day > sum.last) // ISO days order as text
            sum.last = std::move(day);
        if (!rows.isNull(2)) {
            ++sum.rated;
            sum.stars += int(rows.int64(2));
        }
    }
    out.reserve(sums.size());
    for (auto it = sums.cbegin(); it != sums.cend(); ++it)
        out.insert(it.key(), {dayOf(it->last), it->rated ? double(it->stars) / it->rated : 0});
    return out;
}

} // namespace plan
