#pragma once

#include "data/Database.h"

#include <QString>
#include <memory>

class CMainFrame;

// Start-up: opens the collection file, brings an older file up to date, shows the main
// window. The one connection lives here from start to exit.
class CCookbookApp {
public:
    explicit CCookbookApp(QString databasePath = QStringLiteral("data.db"));
    ~CCookbookApp();

    // False when the program cannot go on; the user has been told why.
    bool initInstance();

    Database& database() { return m_db; }
    CMainFrame* mainWindow() const { return m_mainWindow.get(); }

private:
    QString m_path;
    Database m_db;
    std::unique_ptr<CMainFrame> m_mainWindow;
};

// Loads the program's own resources (help, pictures) into the resource system.
void initOveltaResources();
