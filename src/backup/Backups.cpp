#include "Backups.h"

#include "data/Database.h"
#include "data/Schema.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QThread>
#include <fcntl.h>
#include <map>
#include <mutex>
#include <sqlite3.h>
#include <unistd.h>

namespace backup {

namespace {

const QString kPrefix = QStringLiteral("ovelta-");
const QString kPartial = QStringLiteral(".partial-");
const QString kStamp = QStringLiteral("yyyyMMdd-HHmmss-zzz");
constexpr int kPagesAStep = 512;

std::function<void(int)>& stepHook() {
    static std::function<void(int)> hook;
    return hook;
}

// One backup at a time in a process: a second would thin out the first one's folder.
std::mutex& making() {
    static std::mutex m;
    return m;
}

// A raw connection that closes itself.
struct Connection {
    sqlite3* db = nullptr;
    Connection(const QString& path, int flags) {
        if (sqlite3_open_v2(QFile::encodeName(path).constData(), &db, flags, nullptr) !=
            SQLITE_OK) {
            const QString why = db ? QString::fromUtf8(sqlite3_errmsg(db)) : QString();
            sqlite3_close(db);
            db = nullptr;
            throw BackupError(QStringLiteral("не открывается файл %1: %2").arg(path, why));
        }
        sqlite3_busy_timeout(db, 3000);
    }
    ~Connection() { sqlite3_close(db); }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;
};

// Copies every page of one open file into another, all or nothing on the destination.
void copyPages(sqlite3* from, sqlite3* to) {
    sqlite3_backup* copy = sqlite3_backup_init(to, "main", from, "main");
    if (!copy)
        throw BackupError(failureText(sqlite3_errcode(to), QString::fromUtf8(sqlite3_errmsg(to))));
    int rc = SQLITE_OK;
    // Between slices the collection may be written, and the engine starts the copy again.
    // A writer that never pauses would keep it starting for ever: after two new starts the
    // rest is copied in one slice, which holds writers off until it is done.
    int restarts = 0;
    int remaining = -1;
    try {
        while (true) {
            rc = sqlite3_backup_step(copy, restarts >= 2 ? -1 : kPagesAStep);
            const int now = sqlite3_backup_remaining(copy);
            if (remaining >= 0 && now > remaining)
                ++restarts;
            remaining = now;
            if (stepHook())
                stepHook()(now);
            if (rc == SQLITE_DONE)
                break;
            if (rc == SQLITE_BUSY || rc == SQLITE_LOCKED) {
                QThread::msleep(20);
                continue;
            }
            if (rc != SQLITE_OK)
                break;
        }
    } catch (...) {
        sqlite3_backup_finish(copy);
        throw;
    }
    const int finished = sqlite3_backup_finish(copy);
    if (rc != SQLITE_DONE || finished != SQLITE_OK) {
        const int code = rc != SQLITE_DONE ? rc : finished;
        throw BackupError(failureText(code, QString::fromUtf8(sqlite3_errstr(code))));
    }
}

void syncFolder(const QString& folder) {
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

int countRecipes(const QString& file) {
    try {
        Connection c(file, SQLITE_OPEN_READONLY);
        sqlite3_stmt* st = nullptr;
        int count = -1;
        if (sqlite3_prepare_v2(c.db, "SELECT count(*) FROM Recipes", -1, &st, nullptr) ==
                SQLITE_OK &&
            sqlite3_step(st) == SQLITE_ROW)
            count = sqlite3_column_int(st, 0);
        sqlite3_finalize(st);
        return count;
    } catch (const BackupError&) {
        return -1;
    }
}

} // namespace

QString failureText(int code, const QString& detail) {
    if ((code & 0xff) == SQLITE_FULL)
        return QStringLiteral("На диске не хватает места для резервной копии.");
    if ((code & 0xff) == SQLITE_CANTOPEN || (code & 0xff) == SQLITE_READONLY ||
        (code & 0xff) == SQLITE_IOERR || (code & 0xff) == SQLITE_PERM)
        return QStringLiteral("Резервную копию не удалось записать: %1.").arg(detail);
    return QStringLiteral("Резервная копия не сделана: %1.").arg(detail);
}

void setStepHookForTests(std::function<void(int)> hook) {
    stepHook() = std::move(hook);
}

QString folderFor(const QString& collection) {
    return QFileInfo(collection).absoluteDir().filePath(QStringLiteral("backups"));
}

std::vector<Backup> list(const QString& collection) {
    std::vector<Backup> out;
    const QDir folder(folderFor(collection));
    const QFileInfoList files =
        folder.entryInfoList({kPrefix + QStringLiteral("*.db")}, QDir::Files, QDir::Name);
    for (const QFileInfo& f : files) {
        const QDateTime made =
            QDateTime::fromString(f.completeBaseName().mid(kPrefix.size()), kStamp);
        if (!made.isValid())
            continue;
        out.push_back({f.absoluteFilePath(), made, -1, f.size()});
    }
    std::sort(out.begin(), out.end(),
              [](const Backup& a, const Backup& b) { return a.made > b.made; });
    for (Backup& b : out)
        b.recipes = countRecipes(b.path);
    return out;
}

QString make(const QString& collection) {
    const std::lock_guard<std::mutex> one(making());
    const QString folder = folderFor(collection);
    if (!QDir().mkpath(folder))
        throw BackupError(
            QStringLiteral("Не удалось создать папку для резервных копий %1.").arg(folder));
    // Two backups in one millisecond would share a name.
    QDateTime now = QDateTime::currentDateTime();
    QString name = now.toString(kStamp);
    while (QFile::exists(QDir(folder).filePath(kPrefix + name + QStringLiteral(".db"))))
        name = (now = now.addMSecs(1)).toString(kStamp);
    const QString partial = QDir(folder).filePath(kPartial + name + QStringLiteral(".db"));
    const QString final = QDir(folder).filePath(kPrefix + name + QStringLiteral(".db"));
    try {
        Connection from(collection, SQLITE_OPEN_READONLY);
        {
            Connection to(partial, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
            copyPages(from.db, to.db);
        }
        if (::rename(QFile::encodeName(partial).constData(),
                     QFile::encodeName(final).constData()) != 0)
            throw BackupError(failureText(SQLITE_IOERR, QString::fromLocal8Bit(strerror(errno))));
        syncFolder(folder);
    } catch (...) {
        QFile::remove(partial);
        QFile::remove(partial + QStringLiteral("-journal"));
        throw;
    }
    thinOut(collection, now);
    return final;
}

QString make(Database& db) {
    return make(db.path());
}

int thinOut(const QString& collection, const QDateTime& now) {
    const QDir folder(folderFor(collection));
    int removed = 0;
    // What a stopped program left half-written; one being written now is younger.
    for (const QFileInfo& f :
         folder.entryInfoList({kPartial + QStringLiteral("*")}, QDir::Files | QDir::Hidden))
        if (f.lastModified().secsTo(now) > 3600 && QFile::remove(f.absoluteFilePath()))
            ++removed;
    const QFileInfoList files =
        folder.entryInfoList({kPrefix + QStringLiteral("*.db")}, QDir::Files, QDir::Name);
    std::vector<std::pair<QDateTime, QString>> all;
    for (const QFileInfo& f : files) {
        const QDateTime made =
            QDateTime::fromString(f.completeBaseName().mid(kPrefix.size()), kStamp);
        if (made.isValid())
            all.emplace_back(made, f.absoluteFilePath());
    }
    std::sort(all.begin(), all.end(),
              [](const auto& a, const auto& b) { return a.first > b.first; });
    std::map<qint64, bool> weekKept;
    for (size_t i = 0; i < all.size(); ++i) {
        if (i < 10)
            continue;
        const qint64 week = all[i].first.daysTo(now) / 7;
        if (week < 8 && !weekKept[week]) {
            weekKept[week] = true;
            continue;
        }
        if (QFile::remove(all[i].second))
            ++removed;
    }
    return removed;
}

namespace {

QString checkConnection(sqlite3* db, bool quick) {
    sqlite3_stmt* st = nullptr;
    QStringList problems;
    if (sqlite3_prepare_v2(db, quick ? "PRAGMA quick_check(20)" : "PRAGMA integrity_check(20)", -1,
                           &st, nullptr) != SQLITE_OK)
        return QStringLiteral("файл не читается как база данных: %1")
            .arg(QString::fromUtf8(sqlite3_errmsg(db)));
    int rc = SQLITE_ROW;
    while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
        const QString row =
            QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
        if (row != QLatin1String("ok"))
            problems << row;
    }
    sqlite3_finalize(st);
    if (rc != SQLITE_DONE)
        problems << QString::fromUtf8(sqlite3_errstr(rc));
    if (!problems.isEmpty())
        return QStringLiteral("файл повреждён: %1").arg(problems.join(QStringLiteral("; ")));
    QStringList missing;
    for (const QString& table : schema::requiredTables()) {
        sqlite3_stmt* find = nullptr;
        bool there = false;
        if (sqlite3_prepare_v2(db, "SELECT 1 FROM sqlite_master WHERE name=?", -1, &find,
                               nullptr) == SQLITE_OK) {
            const QByteArray name = table.toUtf8();
            sqlite3_bind_text(find, 1, name.constData(), int(name.size()), SQLITE_TRANSIENT);
            there = sqlite3_step(find) == SQLITE_ROW;
        }
        sqlite3_finalize(find);
        if (!there)
            missing << table;
    }
    if (!missing.isEmpty())
        return QStringLiteral("это не коллекция рецептов: нет %1")
            .arg(missing.join(QStringLiteral(", ")));
    return {};
}

} // namespace

QString problemsOf(const QString& file, bool quick) {
    if (!QFileInfo(file).isFile())
        return QStringLiteral("нет такого файла: %1").arg(file);
    try {
        Connection c(file, SQLITE_OPEN_READONLY);
        return checkConnection(c.db, quick);
    } catch (const BackupError& e) {
        return e.message();
    }
}

QString problemsOf(Database& db, bool quick) {
    return checkConnection(db.handle(), quick);
}

void restore(Database& db, const QString& backupPath, QString* keptAs) {
    if (const QString problems = problemsOf(backupPath); !problems.isEmpty())
        throw BackupError(
            QStringLiteral("Эту резервную копию восстановить нельзя: %1.").arg(problems));
    if (db.transactionDepth() > 0)
        throw BackupError(QStringLiteral("Сначала закройте окна, в которых идёт правка."));
    const QString kept = make(db);
    if (keptAs)
        *keptAs = kept;
    const QString path = db.path();
    db.close();
    try {
        // One write transaction on the collection: a stop half-way leaves its journal,
        // which the next opening rolls back to the collection as it was.
        Connection from(backupPath, SQLITE_OPEN_READONLY);
        Connection to(path, SQLITE_OPEN_READWRITE);
        copyPages(from.db, to.db);
    } catch (...) {
        db.open(path, Database::OpenMode::Existing);
        throw;
    }
    db.open(path, Database::OpenMode::Existing);
    schema::upgrade(db);
}

QString replaceDamaged(const QString& collection, const QString& backupPath) {
    const QString stamp = QDateTime::currentDateTime().toString(kStamp);
    const QString aside = collection + QStringLiteral(".повреждён-") + stamp;
    const QString copy = collection + QStringLiteral(".restoring");
    QFile::remove(copy);
    if (!QFile::copy(backupPath, copy))
        throw BackupError(
            QStringLiteral("Не удалось скопировать резервную копию %1.").arg(backupPath));
    if (!QFile::copy(collection, aside)) {
        QFile::remove(copy);
        throw BackupError(
            QStringLiteral("Не удалось сохранить повреждённый файл как %1.").arg(aside));
    }
    // A journal left beside the damaged file belongs to it, never to the copy.
    const QString journal = collection + QStringLiteral("-journal");
    if (QFile::exists(journal))
        QFile::rename(journal, aside + QStringLiteral("-journal"));
    if (::rename(QFile::encodeName(copy).constData(), QFile::encodeName(collection).constData()) !=
        0) {
        QFile::remove(copy);
        throw BackupError(QStringLiteral("Не удалось заменить файл коллекции: %1.")
                              .arg(QString::fromLocal8Bit(strerror(errno))));
    }
    syncFolder(QFileInfo(collection).absolutePath());
    return aside;
}

QString whenText(const QDateTime& when) {
    static const char* const kMonths[] = {"января",   "февраля", "марта",  "апреля",
                                          "мая",      "июня",    "июля",   "августа",
                                          "сентября", "октября", "ноября", "декабря"};
    return QStringLiteral("%1 %2 %3, %4")
        .arg(when.date().day())
        .arg(QString::fromUtf8(kMonths[when.date().month() - 1]))
        .arg(when.date().year())
        .arg(when.time().toString(QStringLiteral("HH:mm")));
}

QString sizeText(qint64 bytes) {
    const QLocale russian(QLocale::Russian);
    if (bytes < 1024 * 1024)
        return QStringLiteral("%1 КБ").arg(russian.toString(std::max<qint64>(1, bytes / 1024)));
    return QStringLiteral("%1 МБ").arg(russian.toString(double(bytes) / (1024 * 1024), 'f', 1));
}

} // namespace backup
