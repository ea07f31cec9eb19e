#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <thread>

class Database;
class QMainWindow;
class QTimer;
class QWidget;

// Backs the collection up before work that rewrites much of it: waits for the copy while
// the window paints and says so in the status bar. When the copy fails the user is told why
// and chooses whether to go on. True when the work may go on.
bool backupBefore(Database& db, QWidget* parent, const QString& what);

// The backup commands of the main window, and its backups made by themselves: at most once
// a day while it runs (off the main thread, the window usable meanwhile) and on closing,
// each only when something changed since the last.
class BackupCommands : public QObject {
    Q_OBJECT
public:
    BackupCommands(Database& db, QMainWindow* window);
    ~BackupCommands() override;

    void backupNow();
    void restoreFromBackup();
    void checkCollection();
    // The start-up's quick check of a large file, on a thread of its own; a damaged file is
    // said when the check ends, with the backups offered.
    void checkInBackground();
    // On closing the window: waits for a copy when something changed.
    void backupOnClose();
    // Starts a copy on its own thread when something changed and the last is a day old.
    void backupIfDue();
    bool running() const { return m_running; }

signals:
    // The collection was replaced by a backup: everything shown must be read again.
    void collectionReplaced();
    void backgroundBackupDone(const QString& pathOrError, bool ok);
    void backgroundCheckDone(const QString& problems);

private:
    bool changedSinceBackup() const;
    void noteBackupMade();

    Database& m_db;
    QMainWindow* m_window;
    QTimer* m_daily;
    qint64 m_changesAtBackup = 0;
    qint64 m_lastBackupMs = 0;
    bool m_running = false;
    std::thread m_worker;
    std::thread m_checker;
};
