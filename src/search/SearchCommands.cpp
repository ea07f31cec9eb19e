#include "SearchCommands.h"

#include "CFindDlg.h"
#include "CFoundListView.h"
#include "SearchStore.h"
#include "TextIndex.h"
#include "catalog/CCatalogView.h"
#include "catalog/CatalogStore.h"
#include "recipes/IngredientDialogs.h"
#include "ui/BusyCursor.h"
#include "ui/CProgress.h"
#include "ui/Prompts.h"

void SearchCommands::showResults(const std::function<std::vector<search::Found>()>& query) {
    m_results.clearResults();
    std::vector<search::Found> found;
    {
        BusyCursor busy;
        found = query();
    }
    if (found.empty()) {
        Prompts::message(m_window, QStringLiteral("По данному запросу ничего не найдено"),
                         QStringLiteral("Поиск"), Prompts::Icon::None, Prompts::Buttons::Ok);
        return;
    }
    m_results.showFound(found);
}

void SearchCommands::searchAsTyped(const QString& text, bool inText) {
    if (text.trimmed().isEmpty()) {
        m_results.clearResults();
        return;
    }
    if (inText)
        catchUpTextIndex();
    m_results.showFound(inText ? search::findByText(m_db, text, true)
                               : search::findByNameAsTyped(m_db, text));
}

void SearchCommands::catchUpTextIndex() {
    const qint64 backlog = search::textIndexBacklog(m_db);
    if (backlog == 0)
        return;
    BusyCursor busy;
    if (backlog < 2000) {
        NoProgress quiet;
        search::refreshTextIndex(m_db, quiet);
        return;
    }
    CProgress progress(m_window);
    progress.place();
    progress.show();
    search::refreshTextIndex(m_db, progress);
}

void SearchCommands::findByName() {
    CFindDlg dialog(m_window);
    if (dialog.exec() == QDialog::Accepted)
        showResults([&] { return search::findByName(m_db, dialog.text()); });
}

void SearchCommands::findByProduct() {
    CIngredientList picker(m_db, m_window);
    if (picker.exec() == QDialog::Accepted)
        showResults([&] { return search::findByProduct(m_db, picker.id()); });
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
