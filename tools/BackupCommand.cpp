// ovelta-db backup, backups, restore, check: the collection's copies beside it.

#include "DbTool.h"
#include "backup/Backups.h"

#include <QFileInfo>

namespace {

// A collection file that must exist; its problems are the command's to say.
int withFile(Command& c, const std::function<int(const QString&)>& work) {
    const QString file = c.parser.value(c.db);
    if (!QFileInfo(file).isFile())
        return failure(QStringLiteral("нет файла коллекции %1").arg(file));
    try {
        return work(file);
    } catch (const backup::BackupError& e) {
        return failure(e.message());
    } catch (const DbError& e) {
        return failure(e.message());
    }
}

} // namespace

int backupCommand(const QStringList& args) {
    Command c(true);
    if (QString e = c.parse(args, 0, 0); !e.isEmpty())
        return failure(e);
    return withFile(c, [](const QString& file) {
        print(stdout, backup::make(file) + QLatin1Char('\n'));
        return 0;
    });
}

int backupsCommand(const QStringList& args) {
    Command c(true);
    if (QString e = c.parse(args, 0, 0); !e.isEmpty())
        return failure(e);
    return withFile(c, [](const QString& file) {
        QString out;
        int n = 0;
        for (const backup::Backup& b : backup::list(file))
            out += QStringLiteral("%1\t%2\t%3\t%4\n")
                       .arg(++n)
                       .arg(b.made.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")))
                       .arg(b.recipes)
                       .arg(b.bytes);
        print(stdout, out);
        return 0;
    });
}

int restoreCommand(const QStringList& args) {
    Command c(true);
    if (QString e = c.parse(args, 1, 1); !e.isEmpty())
        return failure(e);
    return withFile(c, [&](const QString& file) {
        QString chosen = c.arg(0);
        bool isNumber = false;
        const int n = chosen.toInt(&isNumber);
        if (isNumber) {
            const std::vector<backup::Backup> all = backup::list(file);
            if (n < 1 || n > int(all.size()))
                return failure(QStringLiteral("нет резервной копии с номером %1 (их %2)")
                                   .arg(c.arg(0))
                                   .arg(all.size()));
            chosen = all[size_t(n - 1)].path;
        }
        Database db;
        db.open(file, Database::OpenMode::Existing);
        QString kept;
        backup::restore(db, chosen, &kept);
        print(stdout, QStringLiteral("Восстановлено из %1; прежняя коллекция сохранена в %2\n")
                          .arg(chosen, kept));
        return 0;
    });
}

int checkCommand(const QStringList& args) {
    Command c(true);
    if (QString e = c.parse(args, 0, 0); !e.isEmpty())
        return failure(e);
    return withFile(c, [](const QString& file) {
        const QString problems = backup::problemsOf(file);
        if (!problems.isEmpty())
            return failure(QStringLiteral("Коллекция повреждена: %1").arg(problems));
        print(stdout, QStringLiteral("Коллекция в порядке\n"));
        return 0;
    });
}
