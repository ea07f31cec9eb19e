#include "CCookbookApp.h"

#include "CMainFrame.h"
#include "ui/Prompts.h"
#include "data/Schema.h"

#include <QApplication>

void initOveltaResources() {
    Q_INIT_RESOURCE(ovelta);
}

CCookbookApp::CCookbookApp(QString databasePath) : m_path(std::move(databasePath)) {
    initOveltaResources();
}

CCookbookApp::~CCookbookApp() {
    m_mainWindow.reset();
    m_db.close();
}

bool CCookbookApp::initInstance() {
    try {
        m_db.open(m_path, Database::OpenMode::Existing);
        if (!schema::missingTables(m_db).isEmpty())
            throw DbError(0, QStringLiteral("not a collection file"));
    } catch (const DbError&) {
        m_db.close();
        Prompts::message(nullptr, QStringLiteral("Не могу подключиться к базе данных"),
                         QStringLiteral("Ошибка"), Prompts::Icon::None, Prompts::Buttons::Ok);
        return false;
    }

    try {
        schema::upgrade(m_db);
    } catch (const DbError& e) {
        m_db.close();
        Prompts::message(nullptr,
                         QStringLiteral("Не удалось обновить базу данных до версии %1:\n%2\n"
                                        "Файл оставлен без изменений.")
                             .arg(schema::currentVersion, e.message()),
                         QStringLiteral("Ошибка"), Prompts::Icon::Error, Prompts::Buttons::Ok);
        return false;
    }

    try {
        m_mainWindow = std::make_unique<CMainFrame>(m_db);
    } catch (const DbError& e) {
        // The catalog is read as the window is made: a damaged file stops here, told.
        m_db.close();
        Prompts::databaseError(nullptr, e.message());
        return false;
    }
    m_mainWindow->show();
    m_mainWindow->activateWindow();
    return true;
}
