#include "TrashCommands.h"

#include "CCatalogView.h"
#include "CatalogStore.h"
#include "TrashWindow.h"
#include "data/DbError.h"
#include "ui/BusyCursor.h"
#include "ui/Commands.h"
#include "ui/Icons.h"
#include "ui/Prompts.h"
#include "ui/StatusText.h"

#include <QPushButton>

TrashCommands::TrashCommands(Database& db, CCatalogView& tree, QWidget* window)
    : QObject(window), m_db(db), m_tree(tree), m_window(window) {
    m_row = new QPushButton;
    m_row->setObjectName(QStringLiteral("trashRow"));
    m_row->setFlat(true);
    m_row->setIcon(QIcon::fromTheme(QStringLiteral("user-trash"), commandIcon(ID_TRASH)));
    m_row->setStyleSheet(QStringLiteral("text-align: left; padding: 2px 4px;"));
    m_row->setToolTip(QStringLiteral("Удалённые рецепты и разделы"));
    connect(m_row, &QPushButton::clicked, this, &TrashCommands::showTrash);
    refresh();
}

void TrashCommands::refresh() {
    size_t count = 0;
    try {
        count = trash::entries(m_db).size();
    } catch (const DbError&) {
        // A file that cannot be read says so where it is read; the row just shows no count.
    }
    m_row->setText(count == 0 ? QStringLiteral("Корзина")
                              : QStringLiteral("Корзина (%1)").arg(count));
    m_row->setVisible(trash::available(m_db));
}

void TrashCommands::deleted(qint64 entry, const QString& name) {
    if (entry <= 0)
        return; // deleted for good: there is nothing to undo
    m_lastDeleted = entry;
    emit undoAvailable(true);
    refresh();
    sayInStatusBar(m_window,
                   QStringLiteral("«%1» в корзине. Ctrl+Z — отменить удаление.").arg(name), 15000);
}

void TrashCommands::undoDelete() {
    if (m_lastDeleted <= 0) {
        sayInStatusBar(m_window, QStringLiteral("Нечего отменять"), 5000);
        return;
    }
    const qint64 entry = m_lastDeleted;
    m_lastDeleted = 0;
    emit undoAvailable(false);
    restoreEntry(entry);
}

bool TrashCommands::restoreEntry(qint64 entry) {
    std::optional<trash::Restored> restored;
    try {
        const BusyCursor busy;
        restored = trash::restore(m_db, entry);
    } catch (const DbError& e) {
        Prompts::databaseError(m_window, e.message());
        return false;
    }
    if (entry == m_lastDeleted) {
        m_lastDeleted = 0;
        emit undoAvailable(false);
    }
    refresh();
    if (!restored)
        return false;
    reveal(*restored);
    emit restoredSomething();
    sayInStatusBar(m_window,
                   QStringLiteral("«%1» восстановлен%2")
                       .arg(restored->name, restored->kind == trash::Kind::Section
                                                ? QStringLiteral(" с содержимым")
                                                : QString()),
                   10000);
    return true;
}

void TrashCommands::reveal(const trash::Restored& restored) {
    // Each level is found in the tree, or added where the tree has already read that level
    // (a section read before would not show what came back into it).
    const bool recipe = restored.kind == trash::Kind::Recipe;
    const qint32 value = recipe ? catalog::recipeValue(restored.item) : qint32(restored.item);
    QTreeWidgetItem* level = nullptr;
    auto findOrAdd = [this](QTreeWidgetItem* parent, qint32 v, const QString& name) {
        m_tree.expandSection(parent);
        if (QTreeWidgetItem* found = m_tree.findChild(parent, v))
            return found;
        QTreeWidgetItem* added = m_tree.insertEntry(parent, name, v, true);
        m_tree.sortChildrenOf(parent);
        return added;
    };
    for (int section : trash::sectionPath(m_db, restored.section)) {
        const std::optional<catalog::Section> s = catalog::readSection(m_db, section);
        level = findOrAdd(level, section, s ? s->name : QString());
    }
    QTreeWidgetItem* item = findOrAdd(level, value, restored.name);
    m_tree.selectEntry(item);
}

void TrashCommands::showTrash() {
    try {
        TrashWindow window(
            m_db, [this](qint64 entry) { return restoreEntry(entry); }, m_window);
        window.exec();
    } catch (const DbError& e) {
        Prompts::databaseError(m_window, e.message());
    }
    // Emptied: nothing is left to undo.
    if (m_lastDeleted > 0 && !trash::entry(m_db, m_lastDeleted)) {
        m_lastDeleted = 0;
        emit undoAvailable(false);
    }
    refresh();
}

void TrashCommands::purgeOld(const QDateTime& now) {
    try {
        trash::purgeBefore(m_db, now.addDays(-trash::kKeepDays));
    } catch (const DbError&) {
        // Left for the next start: nothing is lost by keeping them a little longer.
    }
    refresh();
}
