// ovelta-db cooked, history: the cooking log.

#include "DbTool.h"
#include "plan/CookLog.h"

#include <QDate>

namespace {

QString readDay(const QString& text, QDate& day) {
    day = QDate::fromString(text, Qt::ISODate);
    if (!day.isValid() || text.size() != 10)
        return QStringLiteral("такой даты нет / no such date: %1 (YYYY-MM-DD)").arg(text);
    return {};
}

} // namespace

int cookedCommand(const QStringList& args) {
    Command c(true);
    const QCommandLineOption date(QStringLiteral("date"), QString(), QStringLiteral("DATE"));
    const QCommandLineOption rating(QStringLiteral("rating"), QString(), QStringLiteral("1-5"));
    const QCommandLineOption note(QStringLiteral("note"), QString(), QStringLiteral("TEXT"));
    c.parser.addOptions({date, rating, note});
    if (QString e = c.parse(args, 1, 1); !e.isEmpty())
        return failure(e);
    int recipe = 0;
    if (QString e = readRecipeId(c.arg(0), recipe); !e.isEmpty())
        return failure(e);
    QDate day = QDate::currentDate();
    if (c.parser.isSet(date))
        if (QString e = readDay(c.parser.value(date), day); !e.isEmpty())
            return failure(e);
    int stars = 0;
    if (c.parser.isSet(rating)) {
        bool ok = false;
        stars = c.parser.value(rating).toInt(&ok);
        if (!ok || stars < 1 || stars > 5)
            return failure(
                QStringLiteral("оценка — от 1 до 5 / rating 1-5: %1").arg(c.parser.value(rating)));
    }
    return onCollection(c, [&](Database& db) {
        try {
            plan::addCooked(db, recipe, day, stars, c.parser.value(note));
        } catch (const plan::InputError& e) {
            return failure(e.message());
        }
        return 0;
    });
}

int historyCommand(const QStringList& args) {
    Command c(true);
    if (QString e = c.parse(args, 0, 1); !e.isEmpty())
        return failure(e);
    int recipe = 0;
    if (c.argCount() == 1)
        if (QString e = readRecipeId(c.arg(0), recipe); !e.isEmpty())
            return failure(e);
    return readingCollection(c, [&](Database& db) {
        QString out;
        for (const plan::Cooked& l : plan::history(db, recipe))
            out += QStringLiteral("%1\t%2\t%3\t%4\t%5\n")
                       .arg(l.day.toString(Qt::ISODate), QString::number(l.recipe), l.name,
                            l.rating > 0 ? QString::number(l.rating) : QString(),
                            QString(l.note).replace(QLatin1Char('\n'), QLatin1Char(' ')));
        print(stdout, out);
        return 0;
    });
}
