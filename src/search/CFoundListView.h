#pragma once

#include <QTreeWidget>
#include <functional>
#include <optional>

class Database;
class QMenu;

// The search results: recipe names in the order they were found, in the right pane.
// Choosing a row shows its recipe; the list itself never sorts and keeps duplicates.
class CFoundListView : public QTreeWidget {
    Q_OBJECT
public:
    explicit CFoundListView(Database& db, QWidget* parent = nullptr);

    void setRecipeShower(std::function<bool(int)> show) { m_showRecipe = std::move(show); }
    void setCommandRunner(std::function<void(int)> run) { m_runCommand = std::move(run); }

    void clearResults();
    void appendResult(const QString& name, int recipeId);
    // Keeps the rows of a recipe true to the database: a new name, or no rows at all.
    void renameRecipe(int recipeId, const QString& name);
    void removeRecipe(int recipeId);
    int rowCount() const { return topLevelItemCount(); }
    int recipeAt(int row) const;
    std::optional<int> selectedRow() const;

    // The context menu as it stands now: every action carries its command identifier.
    QMenu* buildContextMenu(QWidget* parent);

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void onSelectionChanged();

    Database& m_db;
    std::function<bool(int)> m_showRecipe;
    std::function<void(int)> m_runCommand;
};
