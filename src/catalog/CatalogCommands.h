#pragma once

#include <QtGlobal>
#include <functional>

class CCatalogView;
class Database;
class QString;
class QWidget;

// The section commands: add beside, add inside, rename, delete. Each runs the section
// dialog and then brings the tree up to date item by item.
class CatalogCommands {
public:
    CatalogCommands(Database& db, CCatalogView& tree, QWidget* window)
        : m_db(db), m_tree(tree), m_window(window) {}

    void addSection();
    void addSubsection();
    void renameSection();
    void deleteSection();
    // Told when recipes went with a deleted section, so that no pane still shows them.
    void setRecipesGone(std::function<void()> gone) { m_recipesGone = std::move(gone); }
    // Told what went to the trash (its entry, and the section's name).
    void setDeleted(std::function<void(qint64, const QString&)> deleted) {
        m_deleted = std::move(deleted);
    }

private:
    // The selected section; null after telling the user why there is none.
    class QTreeWidgetItem* selectedSection(const QString& refusalForRecipe);
    // Takes a deleted section's item out of the tree; its items move up with its contents.
    void takeFromTree(class QTreeWidgetItem* selected, bool contentsMovedUp);

    Database& m_db;
    CCatalogView& m_tree;
    QWidget* m_window;
    std::function<void()> m_recipesGone;
    std::function<void(qint64, const QString&)> m_deleted;
};
