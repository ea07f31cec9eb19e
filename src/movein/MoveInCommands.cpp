#include "MoveInCommands.h"

#include "backup/BackupCommands.h"

#include "MoveInStore.h"
#include "catalog/CCatalogView.h"
#include "catalog/CatalogStore.h"
#include "data/Database.h"
#include "ui/Progress.h"
#include "ui/Prompts.h"

#include <QCoreApplication>
#include <QDir>
#include <QProgressDialog>
#include <QStandardPaths>
#include <QTreeWidgetItem>

namespace movein {

namespace {

const QString kCaption = QStringLiteral("Импорт коллекции");

// The progress window with its Cancel button; the work asks it between recipes.
class CancellableProgress : public Progress {
public:
    explicit CancellableProgress(QWidget* window)
        : m_dialog(QStringLiteral("Переношу рецепты..."), QStringLiteral("Отмена"), 0, 1, window) {
        m_dialog.setObjectName(QStringLiteral("moveInProgress"));
        m_dialog.setWindowTitle(kCaption);
        m_dialog.setWindowModality(Qt::WindowModal);
        m_dialog.setMinimumDuration(300);
        m_dialog.setAutoClose(false);
        m_dialog.setAutoReset(false);
        // Wide enough for its title and the count, which a window manager would cut.
        m_dialog.setMinimumWidth(360);
    }
    void setRange(qint64 low, qint64 high) override {
        m_dialog.setRange(int(low), int(high));
        m_high = high;
    }
    void setPosition(qint64 value) override {
        // What is counted is the collection's files: one may hold many recipes, or none.
        m_dialog.setLabelText(QStringLiteral("Прочитано файлов: %1 из %2").arg(value).arg(m_high));
        m_dialog.setValue(int(std::min(value, m_high)));
        QCoreApplication::processEvents();
    }
    bool cancelled() {
        QCoreApplication::processEvents();
        return m_dialog.wasCanceled();
    }

private:
    QProgressDialog m_dialog;
    qint64 m_high = 1;
};

} // namespace

void importCollection(Database& db, CCatalogView& tree, QWidget* window, bool fromFolder) {
    // Exports usually land in Downloads; a home without one starts the dialog at home.
    QString start = QStandardPaths::writableLocation(QStandardPaths::DownloadLocation);
    if (!QDir(start).exists())
        start = QDir::homePath();
    const QString path =
        fromFolder
            ? Prompts::folderName(window, QStringLiteral("Папка с рецептами другой программы"),
                                  start)
            : Prompts::openFileName(
                  window, QStringLiteral("Коллекция другой программы"), start,
                  QStringLiteral("Коллекции рецептов (*.paprikarecipes *.paprikarecipe *.zip "
                                 "*.tar *.tar.gz *.tgz *.json *.html *.htm *.txt);;"
                                 "Все файлы (*)"));
    if (path.isEmpty())
        return;
    if (!backupBefore(db, window, QStringLiteral("Переносить рецепты")))
        return;
    // A highlighted recipe is where the user happened to be, not a choice of section: the
    // new section goes at the top unless a section itself is chosen.
    QTreeWidgetItem* parent = tree.selectedEntry();
    if (parent && catalog::isRecipeValue(CCatalogView::itemValue(parent)))
        parent = nullptr;
    const int parentId = parent ? CCatalogView::itemValue(parent) : 0;
    Summary summary;
    try {
        CancellableProgress progress(window);
        summary = movein::importCollection(db, path, parentId, progress,
                                           [&progress] { return progress.cancelled(); });
    } catch (const MoveInError& e) {
        Prompts::message(window, e.message(), kCaption, Prompts::Icon::Warning,
                         Prompts::Buttons::Ok);
        return;
    } catch (const DbError& e) {
        Prompts::databaseError(window, e.message());
        return;
    }
    if (parent)
        tree.ensureLoaded(parent);
    QTreeWidgetItem* item = tree.findChild(parent, summary.section);
    if (!item)
        item = tree.insertEntry(parent, summary.sectionName, summary.section, true);
    tree.sortChildrenOf(parent);
    tree.selectEntry(item);
    tree.scrollToItem(item);
    Prompts::message(window, QStringLiteral("Импорт завершён\n") + summaryText(summary), kCaption,
                     Prompts::Icon::Information, Prompts::Buttons::Ok);
}

} // namespace movein
