#include "RecipeCommands.h"

#include "CRView.h"
#include "CRecipeForm.h"
#include "catalog/CCatalogView.h"
#include "catalog/CatalogStore.h"
#include "data/Database.h"
#include "photos/PhotoPrompts.h"
#include "photos/PhotoStore.h"
#include "trash/TrashStore.h"
#include "ui/Prompts.h"

void RecipeCommands::addIn(QTreeWidgetItem* sectionItem, int section) {
    m_tree.expandSection(sectionItem);
    CRecipeForm form(m_db, CRecipeForm::New, 0, section, m_window);
    if (form.exec() != QDialog::Accepted)
        return;
    m_tree.addRecipeEntry(sectionItem, form.name(), form.recipe());
}

void RecipeCommands::addToSelectedSection() {
    QTreeWidgetItem* item = m_tree.selectedSection();
    const int section = item ? CCatalogView::itemValue(item) : 0;
    addIn(item, section);
}

void RecipeCommands::addToRoot() {
    addIn(nullptr, 0);
}

QTreeWidgetItem* RecipeCommands::selectedRecipe() {
    QTreeWidgetItem* item = m_tree.selectedEntry();
    if (!item) {
        Prompts::error(m_window, QStringLiteral("Не выделен рецепт"));
        return nullptr;
    }
    if (!catalog::isRecipeValue(CCatalogView::itemValue(item))) {
        Prompts::error(m_window, QStringLiteral("Выберите рецепт"));
        return nullptr;
    }
    return item;
}

void RecipeCommands::editSelected() {
    QTreeWidgetItem* item = selectedRecipe();
    if (!item)
        return;
    const int recipe = catalog::recipeIdOf(CCatalogView::itemValue(item));
    CRecipeForm form(m_db, CRecipeForm::Edit, recipe, 0, m_window);
    if (form.exec() != QDialog::Accepted)
        return;
    item->setText(0, form.name());
    m_tree.sortChildrenOf(item->parent());
    m_tree.selectEntry(item);
    m_view.ShowRecipe(recipe);
    if (m_recipeChanged)
        m_recipeChanged(recipe);
}

void RecipeCommands::deleteSelected() {
    QTreeWidgetItem* item = selectedRecipe();
    if (!item)
        return;
    const int recipe = catalog::recipeIdOf(CCatalogView::itemValue(item));
    // Where there is a trash nothing is lost, so nothing is asked.
    qint64 entry = 0;
    const QString name = item->text(0);
    if (trash::available(m_db)) {
        entry = trash::moveRecipe(m_db, recipe);
    } else {
        CRecipeForm form(m_db, CRecipeForm::Delete, recipe, 0, m_window);
        if (form.exec() != QDialog::Accepted)
            return;
    }
    delete item;
    m_view.ShowRecipe(0);
    if (m_recipeChanged)
        m_recipeChanged(recipe);
    if (entry > 0 && m_deleted)
        m_deleted(entry, name);
}

int RecipeCommands::shownRecipe() {
    const int recipe = m_view.CurrentRecipeId();
    if (recipe <= 0)
        Prompts::error(m_window, QStringLiteral("Не выделен рецепт"));
    return recipe;
}

// A refused picture changes nothing and says why.
void RecipeCommands::storePhoto(int recipe, const std::function<photos::Photo()>& make) {
    const std::optional<photos::Photo> photo = photos::makePhoto(m_window, make);
    if (!photo)
        return;
    try {
        photos::setPhoto(m_db, recipe, *photo);
        m_view.ShowRecipe(recipe);
    } catch (const DbError& e) {
        Prompts::databaseError(m_window, e.message());
    }
}

void RecipeCommands::choosePhoto() {
    const int recipe = shownRecipe();
    if (recipe <= 0)
        return;
    // The command says "put or replace": choosing a file is the answer.
    const QString path = photos::askPhotoFile(m_window);
    if (!path.isEmpty())
        storePhoto(recipe, [&path] { return photos::readPhotoFile(path); });
}

bool RecipeCommands::mayReplacePhoto(int recipe) {
    // A picture dropped or pasted by a slip of the hand must not take a photo away unasked,
    // as removing one never does.
    return !photos::hasPhoto(m_db, recipe) ||
           Prompts::ask(m_window, QStringLiteral("Заменить фотографию рецепта новой?"));
}

void RecipeCommands::setPhotoFromFile(const QString& path) {
    if (const int recipe = shownRecipe(); recipe > 0 && mayReplacePhoto(recipe))
        storePhoto(recipe, [&path] { return photos::readPhotoFile(path); });
}

void RecipeCommands::setPhotoFromImage(const QImage& image) {
    if (const int recipe = shownRecipe(); recipe > 0 && mayReplacePhoto(recipe))
        storePhoto(recipe, [&image] { return photos::fromImage(image); });
}

void RecipeCommands::removePhoto() {
    const int recipe = shownRecipe();
    if (recipe <= 0)
        return;
    try {
        if (!photos::hasPhoto(m_db, recipe)) {
            Prompts::notice(m_window, QStringLiteral("У этого рецепта нет фотографии"));
            return;
        }
        if (!Prompts::ask(m_window, QStringLiteral("Удалить фотографию рецепта?")))
            return;
        photos::removePhoto(m_db, recipe);
        m_view.ShowRecipe(recipe);
    } catch (const DbError& e) {
        Prompts::databaseError(m_window, e.message());
    }
}
