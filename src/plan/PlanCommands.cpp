#include "PlanCommands.h"

#include "AddToPlanDialog.h"
#include "CookLog.h"
#include "CookedDialog.h"
#include "PlanDialogs.h"
#include "WeekView.h"
#include "recipes/CRView.h"
#include "recipes/RecipeStore.h"
#include "search/CFoundListView.h"
#include "ui/BusyCursor.h"
#include "ui/Prompts.h"

#include <algorithm>

namespace {

// The recipe the pane shows, after telling the user when there is none.
std::optional<recipes::Recipe> shownRecipe(Database& db, CRView& pane, QWidget* window) {
    const int recipe = pane.CurrentRecipeId();
    std::optional<recipes::Recipe> shown =
        recipe > 0 ? recipes::readRecipe(db, recipe) : std::nullopt;
    if (!shown)
        Prompts::error(window, QStringLiteral("Не выбран рецепт"));
    return shown;
}

} // namespace

void PlanCommands::cooked() {
    const std::optional<recipes::Recipe> shown = shownRecipe(m_db, m_pane, m_window);
    if (!shown)
        return;
    const int recipe = m_pane.CurrentRecipeId();
    CookedDialog dialog(m_db, recipe, shown->name, m_window);
    if (dialog.exec() == QDialog::Accepted)
        m_pane.ShowRecipe(recipe);
}

void PlanCommands::addToPlan() {
    const std::optional<recipes::Recipe> shown = shownRecipe(m_db, m_pane, m_window);
    if (!shown)
        return;
    AddToPlanDialog dialog(m_db, m_pane.CurrentRecipeId(), shown->name, m_window);
    dialog.exec();
}

WeekView& PlanCommands::weekView(const QDate& today) {
    if (!m_week) {
        m_week = new WeekView(m_db, m_window, today);
        m_week->setAttribute(Qt::WA_DeleteOnClose);
        m_week->setRecipeShower([this](int recipe) {
            m_pane.ShowRecipe(recipe);
            m_window->raise();
            m_window->activateWindow();
        });
    }
    m_week->show();
    m_week->raise();
    m_week->activateWindow();
    return *m_week;
}

void PlanCommands::shoppingForDays(const QDate& today) {
    if (const auto days = plan::askDays(m_window, today))
        plan::showShopping(m_db, days->first, days->second, m_window);
}

void PlanCommands::history() {
    CookHistoryDialog dialog(m_db, std::max(0, m_pane.CurrentRecipeId()), m_window);
    dialog.exec();
}

void PlanCommands::notCookedLately(const QDate& today) {
    const QString typed =
        Prompts::askText(m_window, QStringLiteral("Давно не готовили"),
                         QStringLiteral("Не готовили &недель:"), QStringLiteral("4"));
    if (typed.isEmpty())
        return;
    bool ok = false;
    const int weeks = typed.trimmed().toInt(&ok);
    if (!ok || weeks < 1 || weeks > 520) {
        Prompts::error(m_window, QStringLiteral("Число недель — от 1 до 520"));
        return;
    }
    std::vector<search::Found> found;
    {
        const BusyCursor busy;
        found = plan::notCookedSince(m_db, today.addDays(-7 * weeks));
    }
    m_results.clearResults();
    if (found.empty()) {
        Prompts::notice(m_window, QStringLiteral("Нет рецептов, которые готовили раньше и не "
                                                 "готовили %1 нед.")
                                      .arg(weeks));
        return;
    }
    m_results.showFound(found);
}

void PlanCommands::sortResults(bool byRating) {
    const BusyCursor busy;
    const QHash<int, plan::Standing> standing = plan::standings(m_db);
    // Each row's place in the log looked up once, not at every comparison: at a hundred
    // thousand rows that is the whole cost.
    struct Key {
        bool cooked;
        qint64 last;
        double rating;
        size_t row;
    };
    const std::vector<std::pair<QString, int>>& shown = m_results.rows();
    std::vector<Key> keys;
    keys.reserve(shown.size());
    for (size_t i = 0; i < shown.size(); ++i) {
        const auto s = standing.constFind(shown[i].second);
        keys.push_back(s == standing.cend() ? Key{false, 0, 0, i}
                                            : Key{true, s->last.toJulianDay(), s->rating, i});
    }
    std::stable_sort(keys.begin(), keys.end(), [byRating](const Key& a, const Key& b) {
        if (a.cooked != b.cooked)
            return a.cooked;
        if (!a.cooked)
            return false;
        if (byRating && a.rating != b.rating)
            return a.rating > b.rating;
        return a.last > b.last;
    });
    std::vector<std::pair<QString, int>> rows;
    rows.reserve(keys.size());
    for (const Key& k : keys)
        rows.push_back(shown[k.row]);
    m_results.setResults(std::move(rows));
}
