#include "KitchenCommands.h"

#include <algorithm>

#include "KitchenDialogs.h"
#include "KitchenStore.h"
#include "catalog/CCatalogView.h"
#include "catalog/CatalogStore.h"
#include "data/Records.h"
#include "recipes/CRView.h"
#include "search/CFoundListView.h"
#include "ui/BusyCursor.h"
#include "ui/CProgress.h"
#include "ui/Prompts.h"

namespace {

// The results list holds exactly these dishes, in this order.
void listDishes(CFoundListView& results, const std::vector<kitchen::Dish>& dishes) {
    std::vector<std::pair<QString, int>> rows;
    rows.reserve(dishes.size());
    for (const kitchen::Dish& d : dishes)
        rows.emplace_back(d.name, d.recipe);
    results.setResults(std::move(rows));
}

} // namespace

void KitchenCommands::productsOnHand() {
    CProductsList dialog(m_db, m_window);
    dialog.exec();
}

void KitchenCommands::productsAlways() {
    CProductsAlwaysList dialog(m_db, m_window);
    dialog.exec();
}

void KitchenCommands::whatToCook() {
    std::vector<kitchen::Dish> found;
    {
        BusyCursor busy;
        CProgress progress(m_window);
        progress.place();
        progress.show();
        m_results.clearResults();
        found = kitchen::whatToCook(m_db, progress);
        listDishes(m_results, found);
    }
    if (!found.empty())
        return;
    // With nothing at hand the answer is no surprise: the way to say what is at hand is
    // offered at once.
    if (kitchen::listProducts(m_db, kitchen::List::OnHand).empty()) {
        if (Prompts::ask(m_window, QStringLiteral("Не знаю, что можно приготовить из ваших "
                                                  "продуктов: список продуктов в наличии пуст.\n"
                                                  "Открыть «Продукты в наличии»?")))
            productsOnHand();
        return;
    }
    Prompts::notice(m_window, QStringLiteral("Не знаю, что можно приготовить из ваших продуктов"));
}

int KitchenCommands::recipeOf(Pane active) {
    switch (active) {
    case Pane::Catalog: {
        const QTreeWidgetItem* item = m_tree.selectedEntry();
        const qint32 value = CCatalogView::itemValue(item);
        if (!item || !catalog::isRecipeValue(value)) {
            Prompts::error(m_window, QStringLiteral("Не выделен рецепт"));
            return 0;
        }
        return catalog::recipeIdOf(value);
    }
    case Pane::Recipe:
        if (m_view.CurrentRecipeId() == 0) {
            Prompts::error(m_window, QStringLiteral("Не выделен рецепт"));
            return 0;
        }
        return m_view.CurrentRecipeId();
    case Pane::Results: {
        const std::optional<int> row = m_results.selectedRow();
        if (!row) {
            Prompts::error(m_window, QStringLiteral("Не выбран рецепт"));
            return 0;
        }
        return m_results.recipeAt(*row);
    }
    case Pane::Other:
        break;
    }
    Prompts::notice(m_window, QStringLiteral("Сначала нужно выделить рецепт"));
    return 0;
}

void KitchenCommands::addToMenu(Pane active) {
    const int recipe = recipeOf(active);
    if (!recipe)
        return;
    askServings(recipe, m_window);
}

void KitchenCommands::showMenu() {
    CMenuForm dialog(m_db, m_window);
    dialog.exec();
}

void KitchenCommands::menuProductList() {
    BusyCursor busy;
    m_view.ShowMenuProductList(kitchen::menuProductListRtf(m_db, CMenuForm::sumsInGrams()));
    listDishes(m_results, kitchen::menuDishesByBytes(m_db));
}

void KitchenCommands::whatIsMissing() {
    CMissingList dialog(m_db, m_window);
    // The list shows each chosen recipe in the recipe pane: it opens on the wider side of
    // that pane, over the tree or the results, so that it hides nothing it changes.
    if (m_window && m_view.isVisible()) {
        const QRect window = m_window->geometry();
        const QRect pane(m_view.mapToGlobal(QPoint(0, 0)), m_view.size());
        const int left = pane.left() - window.left();
        const int right = window.right() - pane.right();
        const int width = std::max(std::max(left, right), 320);
        const int x = left >= right ? std::max(window.left(), pane.left() - width)
                                    : std::min(pane.right() + 1, window.right() - width);
        dialog.setGeometry(x, window.top(), width, std::min(window.height(), 420));
    }
    QObject::connect(&dialog, &CMissingList::recipeChosen, &m_view,
                     [this](int recipe) { m_view.ShowRecipe(recipe); });
    QObject::connect(&dialog, &CMissingList::addToMenuRequested, &dialog,
                     [this, &dialog](int recipe) { askServings(recipe, &dialog); });
    dialog.exec();
}

void KitchenCommands::shoppingList() {
    CShoppingList dialog(m_db, m_window);
    dialog.exec();
}

void KitchenCommands::askServings(int recipe, QWidget* parent) {
    CRecipesset rs(m_db);
    // A recipe deleted behind the pane's back cannot go on the menu.
    if (!rs.openFirst({"ID=?", recipe})) {
        Prompts::error(parent, QStringLiteral("Рецепт не найден в базе данных"));
        return;
    }
    CRecipeQuantity dialog(rs.Name, kitchen::menuServings(m_db, recipe).value_or(1), parent);
    if (dialog.exec() == QDialog::Accepted)
        kitchen::setMenuServings(m_db, recipe, dialog.servings());
}
