#pragma once

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

private:
    // The selected section; null after telling the user why there is none.
    class QTreeWidgetItem* selectedSection(const QString& refusalForRecipe);

    Database& m_db;
    CCatalogView& m_tree;
    QWidget* m_window;
    std::function<void()> m_recipesGone;
};
