// ovelta-db delete, trash, undelete: the trash, as the window's delete and "Корзина" use it.

#include "DbTool.h"
#include "backup/Backups.h"
#include "data/Schema.h"
#include "trash/TrashStore.h"

#include <QDateTime>

namespace {

// The trash is made where an older file lacks it, as the program does at start-up: with a
// backup of the file as it was first.
int withTrash(Command& c, const std::function<int(Database&)>& work) {
    return onCollection(c, [&](Database& db) {
        if (!trash::available(db) && schema::needsUpgrade(db)) {
            try {
                backup::make(db);
            } catch (const backup::BackupError& e) {
                return failure(e.message());
            }
            schema::upgrade(db);
        }
        if (!trash::available(db))
            return failure(QStringLiteral("в этой коллекции нельзя сделать корзину / this "
                                          "collection cannot hold a trash"));
        return work(db);
    });
}

// "12" is recipe 12, "s12" section 12, as `trash` lists them.
struct Thing {
    trash::Kind kind = trash::Kind::Recipe;
    int id = 0;
};

QString readThing(const QString& text, Thing& thing) {
    const bool section = text.startsWith(QLatin1Char('s'), Qt::CaseInsensitive);
    thing.kind = section ? trash::Kind::Section : trash::Kind::Recipe;
    bool ok = false;
    thing.id = (section ? text.mid(1) : text).toInt(&ok);
    if (!ok || thing.id <= 0)
        return QStringLiteral("неверный номер / bad ID: %1 (рецепт — 12, раздел — s12)").arg(text);
    return {};
}

QString thingText(trash::Kind kind, int id) {
    return kind == trash::Kind::Section ? QStringLiteral("s%1").arg(id) : QString::number(id);
}

} // namespace

int deleteCommand(const QStringList& args) {
    Command c(true);
    Thing thing;
    if (QString e = c.parse(args, 1, 1); !e.isEmpty())
        return failure(e);
    if (QString e = readThing(c.arg(0), thing); !e.isEmpty())
        return failure(e);
    return withTrash(c, [&](Database& db) {
        const qint64 entry = thing.kind == trash::Kind::Section ? trash::moveSection(db, thing.id)
                                                                : trash::moveRecipe(db, thing.id);
        if (entry <= 0)
            return failure(QStringLiteral("нет %1 %2 / no such %3")
                               .arg(thing.kind == trash::Kind::Section ? QStringLiteral("раздела")
                                                                       : QStringLiteral("рецепта"),
                                    c.arg(0),
                                    thing.kind == trash::Kind::Section ? QStringLiteral("section")
                                                                       : QStringLiteral("recipe")));
        print(stdout, QStringLiteral("«%1» в корзине\n").arg(trash::entry(db, entry)->name));
        return 0;
    });
}

int trashCommand(const QStringList& args) {
    Command c(true);
    if (QString e = c.parse(args, 0, 0); !e.isEmpty())
        return failure(e);
    return readingCollection(c, [](Database& db) {
        QString out;
        for (const trash::Entry& e : trash::entries(db))
            out += QStringLiteral("%1\t%2\t%3\n")
                       .arg(thingText(e.kind, e.item),
                            e.deleted.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")), e.name);
        print(stdout, out);
        return 0;
    });
}

int undeleteCommand(const QStringList& args) {
    Command c(true);
    Thing thing;
    if (QString e = c.parse(args, 1, 1); !e.isEmpty())
        return failure(e);
    if (QString e = readThing(c.arg(0), thing); !e.isEmpty())
        return failure(e);
    return withTrash(c, [&](Database& db) {
        const std::optional<qint64> entry = trash::entryOf(db, thing.kind, thing.id);
        if (!entry)
            return failure(QStringLiteral("в корзине нет %1 / not in the trash").arg(c.arg(0)));
        const std::optional<trash::Restored> back = trash::restore(db, *entry);
        if (!back)
            return failure(QStringLiteral("в корзине нет %1 / not in the trash").arg(c.arg(0)));
        print(stdout, QStringLiteral("«%1» восстановлен: %2\n")
                          .arg(back->name, thingText(back->kind, back->item)));
        return 0;
    });
}
