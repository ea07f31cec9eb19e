// ovelta-db plan, cooked, history: the dated plan and the cooking log.

#include "DbTool.h"
#include "plan/CookLog.h"
#include "plan/MealPlan.h"
#include "plan/PlanOutput.h"
#include "recipes/Servings.h"

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

int planCommand(const QStringList& args) {
    Command c(true);
    const QCommandLineOption servings(QStringLiteral("servings"), QString(), QStringLiteral("N"));
    const QCommandLineOption meal(QStringLiteral("meal"), QString(), QStringLiteral("MEAL"));
    const QCommandLineOption from(QStringLiteral("from"), QString(), QStringLiteral("DATE"));
    const QCommandLineOption to(QStringLiteral("to"), QString(), QStringLiteral("DATE"));
    c.parser.addOptions({servings, meal, from, to});
    if (QString e = c.parse(args, 1, 3); !e.isEmpty())
        return failure(e);
    const QString verb = c.arg(0);
    if (verb == QLatin1String("add") || verb == QLatin1String("remove")) {
        if (c.argCount() != 3)
            return failure(QStringLiteral("нужны дата и номер рецепта / DATE and ID wanted"));
        QDate day;
        int recipe = 0;
        if (QString e = readDay(c.arg(1), day); !e.isEmpty())
            return failure(e);
        if (QString e = readRecipeId(c.arg(2), recipe); !e.isEmpty())
            return failure(e);
        plan::Meal which = plan::Meal::Lunch;
        if (c.parser.isSet(meal)) {
            const std::optional<plan::Meal> named = plan::mealNamed(c.parser.value(meal));
            if (!named)
                return failure(QStringLiteral("приём пищи — завтрак, обед, ужин или перекус / "
                                              "meal: %1")
                                   .arg(c.parser.value(meal)));
            which = *named;
        }
        int count = 0;
        if (c.parser.isSet(servings)) {
            bool ok = false;
            count = c.parser.value(servings).toInt(&ok);
            if (!ok || count < 1 || count > plan::kMaxServings)
                return failure(QStringLiteral("порций — от 1 до %1 / servings: %2")
                                   .arg(plan::kMaxServings)
                                   .arg(c.parser.value(servings)));
        }
        return onCollection(c, [&](Database& db) {
            try {
                if (verb == QLatin1String("remove")) {
                    if (plan::removeFromPlan(db, day, recipe) == 0)
                        return failure(QStringLiteral("в плане на %1 нет рецепта %2 / not planned")
                                           .arg(c.arg(1), c.arg(2)));
                    return 0;
                }
                // The recipe's own servings unless told; once where it does not say.
                const recipes::Servings own = recipes::servingsOf(db, recipe);
                plan::addToPlan(db, day, which, recipe,
                                count > 0 ? count : (own.known() ? own.count : 1));
            } catch (const plan::InputError& e) {
                return failure(e.message());
            }
            return 0;
        });
    }
    if (verb == QLatin1String("list")) {
        if (c.argCount() != 1)
            return failure(QStringLiteral("лишний аргумент / extra argument: %1").arg(c.arg(1)));
        QDate first(1, 1, 1), last(9999, 12, 31);
        if (c.parser.isSet(from))
            if (QString e = readDay(c.parser.value(from), first); !e.isEmpty())
                return failure(e);
        if (c.parser.isSet(to))
            if (QString e = readDay(c.parser.value(to), last); !e.isEmpty())
                return failure(e);
        return readingCollection(c, [&](Database& db) {
            QString out;
            try {
                for (const plan::PlanEntry& e : plan::planBetween(db, first, last))
                    out += QStringLiteral("%1\t%2\t%3\t%4\t%5\n")
                               .arg(e.day.toString(Qt::ISODate), plan::mealName(e.meal).toLower(),
                                    QString::number(e.recipe), e.name, QString::number(e.servings));
            } catch (const plan::InputError& e) {
                return failure(e.message());
            }
            print(stdout, out);
            return 0;
        });
    }
    if (verb == QLatin1String("shopping-list") || verb == QLatin1String("ics")) {
        const bool ics = verb == QLatin1String("ics");
        if (!c.parser.isSet(from) || !c.parser.isSet(to))
            return failure(QStringLiteral("нужны --from и --to / --from and --to wanted"));
        if (ics && c.argCount() != 2)
            return failure(QStringLiteral("нужен файл / OUT wanted"));
        if (c.argCount() > 2)
            return failure(QStringLiteral("лишний аргумент / extra argument: %1").arg(c.arg(2)));
        QDate first, last;
        if (QString e = readDay(c.parser.value(from), first); !e.isEmpty())
            return failure(e);
        if (QString e = readDay(c.parser.value(to), last); !e.isEmpty())
            return failure(e);
        try {
            plan::checkRange(first, last);
        } catch (const plan::InputError& e) {
            return failure(e.message());
        }
        const QString out = c.argCount() == 2 ? c.arg(1) : QString();
        return readingCollection(c, [&](Database& db) {
            const QByteArray bytes =
                ics ? plan::calendar(db, first, last)
                    : kitchen::shoppingListText(plan::shoppingBetween(db, first, last)).toUtf8();
            return writeOut(out, bytes);
        });
    }
    return failure(QStringLiteral("неизвестное действие / unknown action: %1 (add, remove, list, "
                                  "shopping-list, ics)")
                       .arg(verb));
}
