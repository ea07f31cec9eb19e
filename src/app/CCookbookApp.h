#pragma once

#include "data/Database.h"

#include <QLockFile>
#include <QString>
#include <memory>

class CMainFrame;

// Start-up: opens the collection file, brings an older file up to date, shows the main
// window. The one connection lives here from start to exit.
// Files up to this size are checked before the window opens, within the start-up target.
inline constexpr qint64 kCheckAtOnceBytes = 64LL * 1024 * 1024;

class CCookbookApp {
public:
    explicit CCookbookApp(QString databasePath = QStringLiteral("data.db"));
    ~CCookbookApp();

    // False when the program cannot go on; the user has been told why.
    bool initInstance();

    Database& database() { return m_db; }
    CMainFrame* mainWindow() const { return m_mainWindow.get(); }

private:
    // Says the file is damaged and offers the newest good backup; false to stop.
    bool offerBackupFor(const QString& problems);
    void warnAboutPlace();
    QString m_path;
    // One copy of the program per collection: a second would see a tree the first keeps
    // changing, and its editor would wait on the first one's unfinished work.
    std::unique_ptr<QLockFile> m_lock;
    Database m_db;
    std::unique_ptr<CMainFrame> m_mainWindow;
};

// Loads the program's own resources (help, pictures) into the resource system.
void initOveltaResources();
