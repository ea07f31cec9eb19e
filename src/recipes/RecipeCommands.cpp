#include "RecipeCommands.h"

#include "CRView.h"
#include "CRecipeForm.h"
#include "catalog/CCatalogView.h"
#include "catalog/CatalogStore.h"
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
    CRecipeForm form(m_db, CRecipeForm::Delete, recipe, 0, m_window);
    if (form.exec() != QDialog::Accepted)
        return;
    delete item;
    m_view.ShowRecipe(0);
    if (m_recipeChanged)
        m_recipeChanged(recipe);
}
