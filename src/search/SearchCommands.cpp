#include "SearchCommands.h"

#include "CFindDlg.h"
#include "CFoundListView.h"
#include "SearchStore.h"
#include "app/BusyCursor.h"
#include "app/Prompts.h"
#include "catalog/CCatalogView.h"
#include "catalog/CatalogStore.h"
#include "recipes/IngredientDialogs.h"

namespace {

void fill(CFoundListView& results, const std::vector<search::Found>& found, QWidget* window) {
    if (found.empty()) {
        Prompts::message(window, QStringLiteral("По данному запросу ничего не найдено"),
                         QStringLiteral("Поиск"), Prompts::Icon::None, Prompts::Buttons::Ok);
        return;
    }
    results.setUpdatesEnabled(false);
    for (const search::Found& f : found)
        results.appendResult(f.name, f.recipe);
    results.setUpdatesEnabled(true);
}

} // namespace

void SearchCommands::findByName() {
    CFindDlg dialog(m_window);
    if (dialog.exec() != QDialog::Accepted)
        return;
    m_results.clearResults();
    std::vector<search::Found> found;
    {
        BusyCursor busy;
        found = search::findByName(m_db, dialog.text());
    }
    fill(m_results, found, m_window);
}

void SearchCommands::findByProduct() {
    CIngredientList picker(m_db, m_window);
    if (picker.exec() != QDialog::Accepted)
        return;
    m_results.clearResults();
    std::vector<search::Found> found;
    {
        BusyCursor busy;
        found = search::findByProduct(m_db, picker.id());
    }
    fill(m_results, found, m_window);
}

void SearchCommands::locateInCatalog() {
    const std::optional<int> row = m_results.selectedRow();
    if (!row) {
        Prompts::error(m_window, QStringLiteral("Не выбран рецепт в списке результатов поиска"));
        return;
    }
    const int recipe = m_results.recipeAt(*row);
    // When the tree and the database are out of step the command just ends.
    const std::optional<std::vector<int>> chain = search::sectionChain(m_db, recipe);
    if (!chain)
        return;
    QTreeWidgetItem* level = nullptr; // the top level
    for (auto it = chain->rbegin(); it != chain->rend(); ++it) {
        QTreeWidgetItem* section = m_tree.findChild(level, *it);
        if (!section)
            return;
        m_tree.expandSection(section);
        level = section;
    }
    if (QTreeWidgetItem* item = m_tree.findChild(level, catalog::recipeValue(recipe)))
        m_tree.selectEntry(item);
}
