#include "SearchCommands.h"

#include "CFindDlg.h"
#include "CFoundListView.h"
#include "SearchStore.h"
#include "TextIndex.h"
#include "TextIndexBuilder.h"
#include "catalog/CCatalogView.h"
#include "catalog/CatalogStore.h"
#include "data/Database.h"
#include "recipes/IngredientDialogs.h"
#include "ui/BusyCursor.h"
#include "ui/CProgress.h"
#include "ui/Prompts.h"
#include "ui/StatusText.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <climits>

namespace {

// Fewer than this are indexed before the window answers; more are built beside it.
constexpr qint64 kBuildBesideWindow = 2000;

} // namespace

SearchCommands::SearchCommands(Database& db, CCatalogView& tree, CFoundListView& results,
                               QWidget* window)
    : m_db(db), m_tree(tree), m_results(results), m_window(window) {}

SearchCommands::~SearchCommands() = default;

bool SearchCommands::textIndexBuilding() const {
    return m_builder && m_builder->running();
}

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
    if (inText && textIndexBuilding()) {
        // Searching the texts before the index is whole would miss recipes without saying so.
        m_results.clearResults();
        sayInStatusBar(
            m_window,
            QStringLiteral("Указатель для поиска в тексте строится (%1%), ищите пока по названию")
                .arg(m_builder->total() > 0 ? m_builder->done() * 100 / m_builder->total() : 0),
            8000);
        return;
    }
    if (inText)
        catchUpTextIndex();
    m_results.showFound(inText ? search::findByText(m_db, text, true)
                               : search::findByNameAsTyped(m_db, text));
}

void SearchCommands::catchUpTextIndex() {
    if (textIndexBuilding())
        return;
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

void SearchCommands::buildTextIndex() {
    const qint64 backlog = search::textIndexBacklog(m_db);
    if (backlog == 0 || textIndexBuilding())
        return;
    if (backlog < kBuildBesideWindow) {
        catchUpTextIndex();
        return;
    }
    m_builder = std::make_unique<TextIndexBuilder>(m_db.path());
    auto window = qobject_cast<QMainWindow*>(m_window ? m_window->window() : nullptr);
    QPointer<QWidget> shown;
    QPointer<QProgressBar> progress;
    if (window) {
        shown = new QWidget;
        shown->setObjectName(QStringLiteral("textIndexProgress"));
        auto row = new QHBoxLayout(shown);
        row->setContentsMargins(0, 0, 0, 0);
        shown->setToolTip(QStringLiteral("Строится указатель для поиска в тексте; поиск по "
                                         "названию работает уже сейчас"));
        row->addWidget(new QLabel(QStringLiteral("Указатель:"), shown));
        progress = new QProgressBar(shown);
        progress->setMaximumWidth(120);
        progress->setMaximumHeight(14);
        progress->setRange(0, int(std::min<qint64>(backlog, INT_MAX)));
        row->addWidget(progress);
        window->statusBar()->addPermanentWidget(shown);
    }
    QObject::connect(m_builder.get(), &TextIndexBuilder::progressed, m_window,
                     [progress](qint64 done, qint64 total) {
                         if (!progress)
                             return;
                         progress->setMaximum(int(std::min<qint64>(total, INT_MAX)));
                         progress->setValue(int(std::min<qint64>(done, INT_MAX)));
                     });
    QObject::connect(m_builder.get(), &TextIndexBuilder::finished, m_window,
                     [this, shown](bool complete, const QString& error) {
                         delete shown;
                         if (complete)
                             sayInStatusBar(m_window,
                                            QStringLiteral("Указатель для поиска в тексте готов"),
                                            5000);
                         else if (!error.isEmpty())
                             sayInStatusBar(m_window,
                                            QStringLiteral("Указатель для поиска в тексте не "
                                                           "достроен: %1. Он достроится при "
                                                           "первом поиске в тексте.")
                                                .arg(error),
                                            15000);
                     });
    m_builder->start();
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
