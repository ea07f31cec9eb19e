#include "CCookbookApp.h"

#include "backup/BackupCommands.h"
#include "backup/Backups.h"
#include "backup/FileSystem.h"

#include <QCryptographicHash>
#include <QSettings>

#include "CMainFrame.h"
#include "catalog/TrashCommands.h"
#include "data/Schema.h"
#include "nutrition/NutritionStore.h"
#include "search/SearchCommands.h"
#include "ui/BusyCursor.h"
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

bool CCookbookApp::offerBackupFor(const QString& problems) {
    QString good;
    backup::Backup chosen;
    for (const backup::Backup& b : backup::list(m_path))
        if (backup::problemsOf(b.path, true).isEmpty()) {
            chosen = b;
            break;
        }
    if (chosen.path.isEmpty())
        return Prompts::message(nullptr,
                                QStringLiteral("Файл коллекции %1 повреждён: %2.\n\nРезервных "
                                               "копий нет. Открыть файл как есть, чтобы "
                                               "сохранить экспортом, что уцелело?")
                                    .arg(m_path, problems),
                                QStringLiteral("Коллекция повреждена"), Prompts::Icon::Warning,
                                Prompts::Buttons::YesNo) == Prompts::Yes;
    const Prompts::Answer answer = Prompts::message(
        nullptr,
        QStringLiteral("Файл коллекции %1 повреждён: %2.\n\nВосстановить коллекцию из "
                       "резервной копии от %3 (рецептов: %4)? Повреждённый файл останется "
                       "рядом.\n\n«Нет» — открыть файл как есть.")
            .arg(m_path, problems, backup::whenText(chosen.made))
            .arg(chosen.recipes),
        QStringLiteral("Коллекция повреждена"), Prompts::Icon::Warning,
        Prompts::Buttons::YesNoCancel);
    if (answer == Prompts::Cancel)
        return false;
    if (answer == Prompts::No)
        return true;
    try {
        m_db.close();
        const QString aside = backup::replaceDamaged(m_path, chosen.path);
        m_db.open(m_path, Database::OpenMode::Existing);
        Prompts::notice(nullptr, QStringLiteral("Коллекция восстановлена из копии от %1. "
                                                "Повреждённый файл сохранён как %2.")
                                     .arg(backup::whenText(chosen.made), aside));
        return true;
    } catch (const backup::BackupError& e) {
        Prompts::error(nullptr, e.message());
    } catch (const DbError& e) {
        Prompts::databaseError(nullptr, e.message());
    }
    return false;
}

// Said once for each place a collection lies in: a network drive or a synced folder.
void CCookbookApp::warnAboutPlace() {
    const backup::Risk risk = backup::riskOf(m_path);
    if (risk == backup::Risk::None)
        return;
    QSettings settings;
    const QString key =
        QStringLiteral("warned/%1")
            .arg(QString::fromLatin1(
                QCryptographicHash::hash(QFileInfo(m_path).absoluteFilePath().toUtf8(),
                                         QCryptographicHash::Md5)
                    .toHex()));
    if (settings.value(key).toBool())
        return;
    settings.setValue(key, true);
    Prompts::message(m_mainWindow.get(), backup::riskText(risk), QStringLiteral("Внимание"),
                     Prompts::Icon::Warning, Prompts::Buttons::Ok);
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

    // A damaged file is said before anything writes to it, with the newest good copy offered.
    // The engine's check reads the whole file: a large one that is up to date is checked on
    // a thread of its own once the window shows, so that the start waits for nothing.
    const bool checkNow =
        schema::needsUpgrade(m_db) || QFileInfo(m_path).size() <= kCheckAtOnceBytes;
    if (checkNow)
        if (const QString problems = backup::problemsOf(m_db, true); !problems.isEmpty())
            if (!offerBackupFor(problems))
                return false;
    // An older file is copied as it is before it is brought up to date.
    if (schema::needsUpgrade(m_db))
        try {
            backup::make(m_path);
        } catch (const backup::BackupError& e) {
            if (!Prompts::ask(nullptr, QStringLiteral("%1\n\nОбновить коллекцию без резервной "
                                                      "копии?")
                                           .arg(e.message())))
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
    warnAboutPlace();
    // What writes at start-up waits until the file is known to be whole: at once for a small
    // file, when the check beside the window ends for a large one.
    CMainFrame* window = m_mainWindow.get();
    auto upkeep = [this, window] {
        // What was deleted over a month ago goes.
        window->trashCommands()->purgeOld();
        // Products that have no weights and food value yet get the shipped table's, once: a
        // product the table does not know is remembered as asked.
        try {
            BusyCursor busy;
            nutrition::fillFromTable(m_db);
        } catch (const DbError& e) {
            Prompts::databaseError(window, e.message());
        }
        // Recipes changed while the program was closed (a file of an older version, the
        // sqlite3 shell, a generated collection) are indexed for the search in the texts: a
        // few at once, many beside the window. A failure costs only that search, which
        // catches up.
        try {
            window->searchCommands()->buildTextIndex();
        } catch (const DbError& e) {
            Prompts::databaseError(window, e.message());
        }
    };
    if (checkNow) {
        upkeep();
    } else {
        QObject::connect(window->backupCommands(), &BackupCommands::backgroundCheckDone, window,
                         [upkeep](const QString& problems) {
                             if (problems.isEmpty())
                                 upkeep();
                         });
        window->backupCommands()->checkInBackground();
    }
    return true;
}
