#include "CookingCommands.h"

#include "CookingWindow.h"
#include "ScaleBar.h"
#include "recipes/CRView.h"
#include "ui/Prompts.h"

CookingCommands::CookingCommands(Database& db, CRView& view, QWidget* window)
    : m_db(db), m_view(view), m_window(window), m_bar(new ScaleBar(db, view)) {}

void CookingCommands::scaleUp() {
    m_bar->stepUp();
}

void CookingCommands::scaleDown() {
    m_bar->stepDown();
}

void CookingCommands::scaleReset() {
    m_bar->reset();
}

void CookingCommands::toggleGrams() {
    m_bar->setGrams(!m_bar->view().grams);
}

void CookingCommands::cook() {
    const int recipe = m_view.CurrentRecipeId();
    if (recipe <= 0) {
        Prompts::notice(m_window, QStringLiteral("Выберите рецепт, по которому готовить."));
        return;
    }
    CookingWindow window(m_db, recipe, m_bar->view(), QDBusConnection::sessionBus(), m_window);
    if (!window.isValid())
        return;
    window.exec();
}
