#pragma once

#include <QDateTime>
#include <QString>
#include <functional>
#include <stdexcept>
#include <vector>

class Database;

// Copies of the collection kept beside it, in the folder "backups": made whole by the
// engine's online backup while the collection stays open, listed, checked, thinned out and
// put back. No widgets here.
namespace backup {

// Why a backup or a restore could not be made, in Russian. Nothing was changed.
class BackupError : public std::runtime_error {
public:
    explicit BackupError(const QString& message)
        : std::runtime_error(message.toStdString()), m_message(message) {}
    const QString& message() const { return m_message; }

private:
    QString m_message;
};

// What the user is told when the engine's code stopped a backup: a full disk by itself, a
// folder that cannot be written with the system's reason.
QString failureText(int code, const QString& detail);

struct Backup {
    QString path;
    QDateTime made;
    int recipes = -1; // -1: unreadable
    qint64 bytes = 0;
};

// The folder beside the collection file.
QString folderFor(const QString& collection);
// The backups of the collection, the newest first. Half-written copies are never listed.
std::vector<Backup> list(const QString& collection);

// For tests: called after each slice of pages copied, with the pages left; may throw.
void setStepHookForTests(std::function<void(int)> hook);

// A whole, consistent copy of the collection file as it is on disk, read over a connection
// of its own so that it may run on another thread while the program goes on. The copy is
// written under a hidden name and renamed into the list only when it is complete and
// flushed. Thins the folder out afterwards. Returns the new backup's path; throws
// BackupError (a full disk, a folder that cannot be written) leaving the collection as it was.
QString make(const QString& collection);
// The same for an open connection's file: what it has committed.
QString make(Database& db);

// Keeps the newest 10, and the newest of each of the 8 weeks before; removes the rest and
// any half-written copy left by a program that was stopped. Returns how many it removed.
int thinOut(const QString& collection, const QDateTime& now = QDateTime::currentDateTime());

// What is wrong with a collection file, in Russian; empty when it is whole and holds the
// collection's tables. quick runs the engine's quick check, else the full one.
QString problemsOf(const QString& file, bool quick = false);
QString problemsOf(Database& db, bool quick = false);

// Replaces the open collection with the backup, all or nothing, after checking the backup
// and backing the collection up as it is now (that backup's path goes to keptAs). The
// connection is opened again on the restored file. Throws BackupError with nothing changed.
void restore(Database& db, const QString& backupPath, QString* keptAs = nullptr);

// Puts a good backup in place of a damaged collection file that no connection has open:
// the damaged file and its journal are kept beside it first. Returns where the damaged
// file went. Throws BackupError with the collection file as it was.
QString replaceDamaged(const QString& collection, const QString& backupPath);

// "9 декабря 2026, 20:05", "1,2 МБ".
QString whenText(const QDateTime& when);
QString sizeText(qint64 bytes);

} // namespace backup
