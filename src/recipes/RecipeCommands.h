#pragma once

#include <QtGlobal>
#include <functional>

class CCatalogView;
class CRView;
class Database;
class QImage;
class QString;
class QWidget;
namespace photos {
struct Photo;
}

// The recipe commands of the main window: new recipe in the selected section or at the
// root, edit and delete the selected recipe, keeping the tree and the view in step.
class RecipeCommands {
public:
    RecipeCommands(Database& db, CCatalogView& tree, CRView& view, QWidget* window)
        : m_db(db), m_tree(tree), m_view(view), m_window(window) {}

    void addToSelectedSection();
    void addToRoot();
    void editSelected();
    void deleteSelected();
    // The shown recipe's photo: chosen in a file dialog, from a file dropped on it, from a
    // picture pasted; removed after a question.
    void choosePhoto();
    void setPhotoFromFile(const QString& path);
    void setPhotoFromImage(const QImage& image);
    void removePhoto();

    // Told after a recipe was renamed or deleted, so other panes can follow.
    void setRecipeChanged(std::function<void(int)> f) { m_recipeChanged = std::move(f); }
    // Told what went to the trash (its entry, and the recipe's name).
    void setDeleted(std::function<void(qint64, const QString&)> f) { m_deleted = std::move(f); }

private:
    void addIn(class QTreeWidgetItem* sectionItem, int section);
    class QTreeWidgetItem* selectedRecipe(); // null after telling the user why
    int shownRecipe();                       // 0 after telling the user why
    void storePhoto(int recipe, const std::function<photos::Photo()>& make);
    // True when the recipe has no photo, or the user agrees to replace it.
    bool mayReplacePhoto(int recipe);

    Database& m_db;
    CCatalogView& m_tree;
    CRView& m_view;
    QWidget* m_window;
    std::function<void(int)> m_recipeChanged;
    std::function<void(qint64, const QString&)> m_deleted;
};
