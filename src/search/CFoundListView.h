#pragma once

#include "SearchStore.h"

#include <QAbstractListModel>
#include <QTreeView>
#include <functional>
#include <optional>
#include <vector>

class Database;
class QMenu;

// The rows of the results list: recipe names with their identifiers, in the order found.
// A plain list behind a view, so that tens of thousands of rows cost no widget each.
class FoundModel : public QAbstractListModel {
    Q_OBJECT
public:
    using QAbstractListModel::QAbstractListModel;
    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    // A row dragged out carries its recipe, for the plan's week to take.
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QStringList mimeTypes() const override;
    QMimeData* mimeData(const QModelIndexList& indexes) const override;

    void setRows(std::vector<std::pair<QString, int>> rows);
    void append(const QString& name, int recipe);
    int recipeAt(int row) const;
    QString nameAt(int row) const;
    const std::vector<std::pair<QString, int>>& rows() const { return m_rows; }
    void rename(int recipe, const QString& name);
    void remove(int recipe);

private:
    std::vector<std::pair<QString, int>> m_rows;
};

// The search results: recipe names in the order they were found, in the right pane.
// Choosing a row shows its recipe; the list itself never sorts and keeps duplicates.
class CFoundListView : public QTreeView {
    Q_OBJECT
public:
    explicit CFoundListView(Database& db, QWidget* parent = nullptr);

    void setRecipeShower(std::function<bool(int)> show) { m_showRecipe = std::move(show); }
    void setCommandRunner(std::function<void(int)> run) { m_runCommand = std::move(run); }

    void clearResults();
    void appendResult(const QString& name, int recipeId);
    // Replaces every row at once.
    void setResults(std::vector<std::pair<QString, int>> rows);
    void showFound(const std::vector<search::Found>& found);
    // Keeps the rows of a recipe true to the database: a new name, or no rows at all.
    void renameRecipe(int recipeId, const QString& name);
    void removeRecipe(int recipeId);
    // Takes out the rows of every recipe that is no longer in the collection (after a
    // section was deleted with its contents).
    void dropGoneRecipes();
    int rowCount() const { return m_model->rowCount(); }
    int recipeAt(int row) const { return m_model->recipeAt(row); }
    QString textAt(int row) const { return m_model->nameAt(row); }
    QStringList texts() const;
    // Every row as name and recipe, in the order shown.
    const std::vector<std::pair<QString, int>>& rows() const { return m_model->rows(); }
    std::optional<int> selectedRow() const;
    void selectRow(int row);

    // The context menu as it stands now: every action carries its command identifier.
    QMenu* buildContextMenu(QWidget* parent);

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void onSelectionChanged();

    Database& m_db;
    FoundModel* m_model;
    std::function<bool(int)> m_showRecipe;
    std::function<void(int)> m_runCommand;
};
