#include "CCookbookApp.h"

#include "CMainFrame.h"
#include "data/Schema.h"
#include "nutrition/NutritionStore.h"
#include "search/TextIndex.h"
#include "ui/BusyCursor.h"
#include "ui/CProgress.h"
#include "ui/Prompts.h"

#include <QApplication>
#include <QFileInfo>

void initOveltaResources() {
    Q_INIT_RESOURCE(ovelta);
}

CCookbookApp::CCookbookApp(QString databasePath) : m_path(std::move(databasePath)) {
    initOveltaResources();
}

CCookbookApp::~CCookbookApp() {
    m_mainWindow.reset();
    m_db.close();
    m_lock.reset(); // unlocks
}

bool CCookbookApp::initInstance() {
    m_lock = std::make_unique<QLockFile>(m_path + QStringLiteral(".lock"));
    // Only a live copy holds the lock: one that was killed leaves it to be taken over.
    m_lock->setStaleLockTime(0);
    if (!m_lock->tryLock(0) && m_lock->error() == QLockFile::LockFailedError) {
        qint64 pid = 0;
        QString host, application;
        m_lock->getLockInfo(&pid, &host, &application);
        Prompts::message(nullptr,
                         QStringLiteral("Коллекция рецептов %1 уже открыта другой копией "
                                        "программы (процесс %2). Закройте её и запустите "
                                        "программу снова.")
                             .arg(m_path, QString::number(pid)),
                         QStringLiteral("Ошибка"), Prompts::Icon::Error, Prompts::Buttons::Ok);
        m_lock.reset();
        return false;
    }
    try {
        if (!QFileInfo::exists(m_path))
            throw DbError(0, QStringLiteral("такого файла нет"));
        m_db.open(m_path, Database::OpenMode::Existing);
        const QStringList missing = schema::missingTables(m_db);
        if (!missing.isEmpty())
            throw DbError(0, QStringLiteral("это не коллекция рецептов: нет %1")
                                 .arg(missing.join(QStringLiteral(", "))));
    } catch (const DbError& e) {
        m_db.close();
        // Started from the applications menu, this window is all the user sees: it says
        // which file and why.
        Prompts::message(nullptr,
                         QStringLiteral("Не могу подключиться к базе данных\n\n%1:\n%2")
                             .arg(QFileInfo(m_path).absoluteFilePath(), e.message()),
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
    // Products that have no weights and food value yet get the shipped table's, once: a
    // product the table does not know is remembered as asked.
    try {
        BusyCursor busy;
        nutrition::fillFromTable(m_db);
    } catch (const DbError& e) {
        Prompts::databaseError(m_mainWindow.get(), e.message());
    }
    // Recipes changed while the program was closed (a file of an older version, the sqlite3
    // shell) are indexed for the search in the texts now, with progress, not at the first
    // search. A failure here costs only that search, which catches up again.
    if (search::textIndexBacklog(m_db) > 0) {
        try {
            BusyCursor busy;
            CProgress progress(m_mainWindow.get());
            progress.place();
            progress.show();
            search::refreshTextIndex(m_db, progress);
        } catch (const DbError& e) {
            Prompts::databaseError(m_mainWindow.get(), e.message());
        }
    }
    return true;
}
