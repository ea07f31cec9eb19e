#include "BackupCommands.h"

#include "Backups.h"
#include "data/Database.h"
#include "ui/BusyCursor.h"
#include "ui/OffMainThread.h"
#include "ui/Prompts.h"
#include "ui/StatusText.h"

#include <QDateTime>
#include <QDialog>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QMainWindow>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <sqlite3.h>
#include <thread>

namespace {

constexpr qint64 kDayMs = 24LL * 60 * 60 * 1000;

// The copy on a thread of its own, the window painting; what went wrong as text.
QString makeWaiting(const QString& path, QString& made) {
    try {
        made = offMainThread<QString>([&] { return backup::make(path); });
        return {};
    } catch (const backup::BackupError& e) {
        return e.message();
    }
}

} // namespace

bool backupBefore(Database& db, QWidget* parent, const QString& what) {
    sayInStatusBar(parent, QStringLiteral("Создаётся резервная копия…"));
    QString made;
    const QString problem = makeWaiting(db.path(), made);
    if (problem.isEmpty()) {
        sayInStatusBar(parent, QStringLiteral("Резервная копия сохранена"), 5000);
        return true;
    }
    sayInStatusBar(parent, QString());
    return Prompts::message(parent,
                            QStringLiteral("%1 Коллекция не тронута.\n\n%2 без резервной копии?")
                                .arg(problem, what),
                            QStringLiteral("Резервная копия"), Prompts::Icon::Warning,
                            Prompts::Buttons::YesNo) == Prompts::Yes;
}

BackupCommands::BackupCommands(Database& db, QMainWindow* window)
    : QObject(window), m_db(db), m_window(window), m_daily(new QTimer(this)) {
    m_changesAtBackup = db.isOpen() ? sqlite3_total_changes64(db.handle()) : 0;
    m_lastBackupMs = QDateTime::currentMSecsSinceEpoch();
    if (const std::vector<backup::Backup> all = backup::list(db.path()); !all.empty())
        m_lastBackupMs = all.front().made.toMSecsSinceEpoch();
    // Checked every hour: a copy a day at most, and only of a collection that changed.
    m_daily->setInterval(60 * 60 * 1000);
    connect(m_daily, &QTimer::timeout, this, &BackupCommands::backupIfDue);
    m_daily->start();
    connect(this, &BackupCommands::backgroundBackupDone, this,
            [this](const QString& result, bool ok) {
                m_running = false;
                if (ok) {
                    sayInStatusBar(m_window, QStringLiteral("Резервная копия сохранена"), 5000);
                    return;
                }
                sayInStatusBar(m_window, QString());
                Prompts::message(m_window, QStringLiteral("%1 Коллекция не тронута.").arg(result),
                                 QStringLiteral("Резервная копия"), Prompts::Icon::Warning,
                                 Prompts::Buttons::Ok);
            });
}

BackupCommands::~BackupCommands() {
    if (m_worker.joinable())
        m_worker.join();
    if (m_checker.joinable())
        m_checker.join();
}

void BackupCommands::checkInBackground() {
    if (m_checker.joinable())
        return;
    connect(this, &BackupCommands::backgroundCheckDone, this, [this](const QString& problems) {
        if (problems.isEmpty())
            return;
        if (Prompts::message(m_window,
                             QStringLiteral("Файл коллекции повреждён: %1.\n\nВосстановить "
                                            "коллекцию из резервной копии?")
                                 .arg(problems),
                             QStringLiteral("Коллекция повреждена"), Prompts::Icon::Warning,
                             Prompts::Buttons::YesNo) == Prompts::Yes)
            restoreFromBackup();
    });
    m_checker = std::thread(
        [this, path = m_db.path()] { emit backgroundCheckDone(backup::problemsOf(path, true)); });
}

bool BackupCommands::changedSinceBackup() const {
    return m_db.isOpen() && sqlite3_total_changes64(m_db.handle()) != m_changesAtBackup;
}

void BackupCommands::noteBackupMade() {
    m_changesAtBackup = m_db.isOpen() ? sqlite3_total_changes64(m_db.handle()) : 0;
    m_lastBackupMs = QDateTime::currentMSecsSinceEpoch();
}

void BackupCommands::backupNow() {
    if (backupBefore(m_db, m_window, QStringLiteral("Продолжить")))
        noteBackupMade();
}

void BackupCommands::backupIfDue() {
    if (m_running || !changedSinceBackup() ||
        QDateTime::currentMSecsSinceEpoch() - m_lastBackupMs < kDayMs)
        return;
    m_running = true;
    noteBackupMade();
    sayInStatusBar(m_window, QStringLiteral("Создаётся резервная копия…"));
    if (m_worker.joinable())
        m_worker.join();
    m_worker = std::thread([this, path = m_db.path()] {
        QString result;
        bool ok = true;
        try {
            result = backup::make(path);
        } catch (const backup::BackupError& e) {
            result = e.message();
            ok = false;
        }
        emit backgroundBackupDone(result, ok);
    });
}

void BackupCommands::backupOnClose() {
    // A copy still being made by the day's timer is waited for, never cut off.
    if (m_worker.joinable())
        m_worker.join();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    if (!changedSinceBackup())
        return;
    sayInStatusBar(m_window, QStringLiteral("Создаётся резервная копия…"));
    QString made;
    if (const QString problem = makeWaiting(m_db.path(), made); !problem.isEmpty())
        Prompts::message(m_window, QStringLiteral("%1 Коллекция не тронута.").arg(problem),
                         QStringLiteral("Резервная копия"), Prompts::Icon::Warning,
                         Prompts::Buttons::Ok);
    else
        noteBackupMade();
}

void BackupCommands::checkCollection() {
    QString problems;
    {
        const BusyCursor busy;
        sayInStatusBar(m_window, QStringLiteral("Проверяется коллекция…"));
        problems = offMainThread<QString>([this] { return backup::problemsOf(m_db.path()); });
        sayInStatusBar(m_window, QString());
    }
    if (problems.isEmpty())
        Prompts::notice(m_window, QStringLiteral("Коллекция в порядке."));
    else
        Prompts::error(m_window,
                       QStringLiteral("Коллекция повреждена: %1.\n\nВосстановите её из резервной "
                                      "копии («Файл» — «Восстановить из резервной копии...»).")
                           .arg(problems));
}

void BackupCommands::restoreFromBackup() {
    const std::vector<backup::Backup> all = backup::list(m_db.path());
    if (all.empty()) {
        Prompts::notice(m_window, QStringLiteral("Резервных копий пока нет. Они появляются в "
                                                 "папке %1 сами: при закрытии программы, раз в "
                                                 "день и перед импортом.")
                                      .arg(backup::folderFor(m_db.path())));
        return;
    }
    QDialog dialog(m_window);
    dialog.setObjectName(QStringLiteral("restoreDialog"));
    dialog.setWindowTitle(QStringLiteral("Восстановить из резервной копии"));
    auto label = new QLabel(QStringLiteral("&Резервные копии (новые первыми):"), &dialog);
    auto table = new QTreeWidget(&dialog);
    table->setObjectName(QStringLiteral("backups"));
    table->setRootIsDecorated(false);
    table->setHeaderLabels(
        {QStringLiteral("Дата и время"), QStringLiteral("Рецептов"), QStringLiteral("Размер")});
    for (const backup::Backup& b : all) {
        auto item = new QTreeWidgetItem(
            table, {backup::whenText(b.made),
                    b.recipes < 0 ? QStringLiteral("не читается") : QString::number(b.recipes),
                    backup::sizeText(b.bytes)});
        item->setData(0, Qt::UserRole, b.path);
        item->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
        item->setTextAlignment(2, Qt::AlignRight | Qt::AlignVCenter);
    }
    table->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    table->setCurrentItem(table->topLevelItem(0));
    label->setBuddy(table);
    auto note = new QLabel(QStringLiteral("Коллекция, какая она сейчас, сначала сохранится "
                                          "резервной копией."),
                           &dialog);
    note->setWordWrap(true);
    auto buttons = new QDialogButtonBox(&dialog);
    auto restore =
        buttons->addButton(QStringLiteral("&Восстановить"), QDialogButtonBox::AcceptRole);
    restore->setObjectName(QStringLiteral("restoreButton"));
    buttons->addButton(QStringLiteral("Отмена"), QDialogButtonBox::RejectRole)
        ->setObjectName(QStringLiteral("cancelButton"));
    connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    connect(table, &QTreeWidget::itemDoubleClicked, &dialog, &QDialog::accept);
    auto layout = new QVBoxLayout(&dialog);
    layout->addWidget(label);
    layout->addWidget(table, 1);
    layout->addWidget(note);
    layout->addWidget(buttons);
    dialog.resize(460, 320);
    if (dialog.exec() != QDialog::Accepted || !table->currentItem())
        return;
    const QString chosen = table->currentItem()->data(0, Qt::UserRole).toString();
    const QString when = table->currentItem()->text(0);
    if (!Prompts::ask(m_window,
                      QStringLiteral("Заменить коллекцию резервной копией от %1?").arg(when)))
        return;
    try {
        const BusyCursor busy;
        sayInStatusBar(m_window, QStringLiteral("Восстанавливается коллекция…"));
        backup::restore(m_db, chosen);
        noteBackupMade();
    } catch (const backup::BackupError& e) {
        sayInStatusBar(m_window, QString());
        Prompts::error(m_window, e.message());
        return;
    }
    sayInStatusBar(m_window, QStringLiteral("Коллекция восстановлена из копии от %1").arg(when),
                   10000);
    emit collectionReplaced();
}
