#include "CatalogCommands.h"

#include "CCatalogView.h"
#include "CatalogDialogs.h"
#include "CatalogStore.h"
#include "trash/TrashStore.h"
#include "ui/BusyCursor.h"
#include "ui/Prompts.h"

void CatalogCommands::addSection() {
    QTreeWidgetItem* selected = m_tree.selectedEntry();
    QTreeWidgetItem* parent = selected ? selected->parent() : nullptr;
    const int parentId = parent ? CCatalogView::itemValue(parent) : 0;
    m_tree.expandSection(parent);
    CCatalogForm form(m_db, CCatalogForm::New, 0, parentId, m_window);
    if (form.run() == QDialog::Accepted) {
        QTreeWidgetItem* item = m_tree.insertEntry(parent, form.name(), form.sectionId(), false);
        m_tree.sortChildrenOf(parent);
        m_tree.selectEntry(item);
        m_tree.scrollToItem(item);
        return;
    }
    m_tree.sortChildrenOf(parent);
}

void CatalogCommands::addSubsection() {
    QTreeWidgetItem* selected = m_tree.selectedEntry();
    const qint32 parentId = CCatalogView::itemValue(selected);
    if (catalog::isRecipeValue(parentId)) {
        Prompts::error(m_window, QStringLiteral("Не возможно создать подраздел"));
        return;
    }
    m_tree.expandSection(selected);
    CCatalogForm form(m_db, CCatalogForm::New, 0, parentId, m_window);
    if (form.run() == QDialog::Accepted) {
        QTreeWidgetItem* item = m_tree.insertEntry(selected, form.name(), form.sectionId(), false);
        m_tree.sortChildrenOf(selected);
        m_tree.selectEntry(item);
        m_tree.scrollToItem(item);
        return;
    }
    m_tree.sortChildrenOf(selected);
}

QTreeWidgetItem* CatalogCommands::selectedSection(const QString& refusalForRecipe) {
    QTreeWidgetItem* selected = m_tree.selectedEntry();
    if (!selected) {
        Prompts::error(m_window, QStringLiteral("Не выделен раздел"));
        return nullptr;
    }
    if (catalog::isRecipeValue(CCatalogView::itemValue(selected))) {
        Prompts::error(m_window, refusalForRecipe);
        return nullptr;
    }
    return selected;
}

void CatalogCommands::renameSection() {
    QTreeWidgetItem* selected =
        selectedSection(QStringLiteral("Не возможно редактирование раздела"));
    if (!selected)
        return;
    QTreeWidgetItem* parent = selected->parent();
    CCatalogForm form(m_db, CCatalogForm::Rename, CCatalogView::itemValue(selected), 0, m_window);
    if (form.run() == QDialog::Accepted)
        selected->setText(0, form.name());
    m_tree.sortChildrenOf(parent);
}

void CatalogCommands::deleteSection() {
    QTreeWidgetItem* selected = selectedSection(QStringLiteral("Не возможно удаление раздела"));
    if (!selected)
        return;
    m_tree.expandSection(selected);
    const int section = CCatalogView::itemValue(selected);
    // Where there is a trash nothing is lost, so nothing is asked but where the contents go.
    if (trash::available(m_db)) {
        bool moveContents = false;
        if (catalog::hasContents(m_db, section)) {
            CDeleteCatalogDlg choice(m_window);
            if (choice.exec() != QDialog::Accepted)
                return;
            moveContents = choice.moveContents();
        }
        const QString name = selected->text(0);
        qint64 entry = 0;
        {
            const BusyCursor busy;
            entry = trash::moveSection(m_db, section, moveContents);
        }
        takeFromTree(selected, moveContents);
        if (m_deleted)
            m_deleted(entry, name);
        return;
    }
    CCatalogForm form(m_db, CCatalogForm::Delete, section, 0, m_window);
    if (form.run() != QDialog::Accepted)
        return;
    takeFromTree(selected, form.moveContents());
}

void CatalogCommands::takeFromTree(QTreeWidgetItem* selected, bool contentsMovedUp) {
    QTreeWidgetItem* parent = selected->parent();
    if (contentsMovedUp) {
        while (selected->childCount() > 0) {
            QTreeWidgetItem* child = selected->child(0);
            QTreeWidgetItem* moved = m_tree.insertEntry(parent, QString(), 0, false);
            m_tree.MoveItem(moved, child);
            delete child;
        }
    }
    delete selected;
    m_tree.sortChildrenOf(parent);
    if (!contentsMovedUp && m_recipesGone)
        m_recipesGone();
}
