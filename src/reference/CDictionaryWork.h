#pragma once

#include "recipes/RecipeStore.h"

#include <QDialog>
#include <functional>

class Database;
class QListWidget;
class QPushButton;

// Keeping a dictionary: every entry, the recipes that use the selected one, and add,
// rename, delete and "edit a recipe that uses it". Products and units are this one
// dialog with another table, usage query and name dialog.
class CDictionaryWork : public QDialog {
    Q_OBJECT
public:
    QListWidget* entries() const { return m_entries; }
    QListWidget* usage() const { return m_usage; }

    // Told when a recipe was saved in the editor (its ID), and when an entry's name
    // changed, so that the windows behind can show the new names at once.
    void setRecipeChanged(std::function<void(int)> f) { m_recipeChanged = std::move(f); }
    void setNamesChanged(std::function<void()> f) { m_namesChanged = std::move(f); }

protected:
    CDictionaryWork(Database& db, recipes::Dictionary which, QWidget* parent);

private:
    void fillUsage();
    void addEntry();
    void renameEntry();
    void deleteEntry();
    void editRecipe();
    void editFoodValue();
    void updateButtons();
    int selectedEntry() const; // 0 when none

    Database& m_db;
    recipes::Dictionary m_which;
    QListWidget* m_entries;
    QListWidget* m_usage;
    QPushButton* m_change;
    QPushButton* m_delete;
    QPushButton* m_food = nullptr; // products only
    bool m_usageEmpty = true;
    std::function<void(int)> m_recipeChanged;
    std::function<void()> m_namesChanged;
};

class CIngredientWork : public CDictionaryWork {
    Q_OBJECT
public:
    explicit CIngredientWork(Database& db, QWidget* parent = nullptr)
        : CDictionaryWork(db, recipes::Dictionary::Products, parent) {}
};

class CUnitWork : public CDictionaryWork {
    Q_OBJECT
public:
    explicit CUnitWork(Database& db, QWidget* parent = nullptr)
        : CDictionaryWork(db, recipes::Dictionary::Units, parent) {}
};
