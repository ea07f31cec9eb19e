#include "CMainFrame.h"

#include "CAboutDlg.h"
#include "HelpWindow.h"
#include "LockKeys.h"
#include "backup/BackupCommands.h"
#include "catalog/CCatalogView.h"
#include "catalog/CatalogCommands.h"
#include "catalog/TrashCommands.h"
#include "cooking/CookingCommands.h"
#include "cooking/ScaleBar.h"
#include "data/DbError.h"
#include "exchange/ExchangeCommands.h"
#include "intake/CIntakeDlg.h"
#include "kitchen/KitchenCommands.h"
#include "movein/MoveInCommands.h"
#include "nutrition/NutritionStore.h"
#include "plan/CookLog.h"
#include "plan/PlanCommands.h"
#include "recipes/CRView.h"
#include "recipes/RecipeCommands.h"
#include "recipes/RecipeStore.h"
#include "reference/CDictionaryWork.h"
#include "search/CFoundListView.h"
#include "search/CSearchBox.h"
#include "search/SearchCommands.h"
#include "search/SearchStore.h"
#include "ui/Commands.h"
#include "ui/Icons.h"
#include "ui/Prompts.h"

#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QResizeEvent>
#include <QScreen>
#include <QSettings>
#include <QShortcut>
#include <QSplitter>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QWhatsThis>

CMainFrame::CMainFrame(Database& db, QWidget* parent) : QMainWindow(parent), m_db(db) {
    TopLevelReadAhead topLevel(m_db);
    setObjectName(QStringLiteral("mainFrame"));
    setWindowTitle(QStringLiteral("Ovelta 3.01"));
    setWindowIcon(applicationIcon());
    createActions();
    createMenus();
    createToolBar();
    createStatusBar();
    createPanes();
    createAccelerators();
    setShortcuts();
    connectPanes();
    // The first size fits the screen it opens on, with room for the window's frame.
    const QRect screen = this->screen()->availableGeometry();
    resize(std::min(1000, screen.width() * 9 / 10), std::min(700, screen.height() * 85 / 100));
    restoreSettings();
    m_catalog->loadTopLevel(&topLevel);
}

void CMainFrame::setShortcuts() {
    // Keys of the whole window.
    m_actions[ID_PRINT_RECIPE]->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
    m_actions[ID_APP_EXIT]->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    m_actions[ID_IMPORT_LINK]->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_L));
    m_actions[ID_COOK]->setShortcut(QKeySequence(Qt::Key_F11));
    m_actions[ID_SCALE_UP]->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::Key_Plus), QKeySequence(Qt::CTRL | Qt::Key_Equal)});
    m_actions[ID_SCALE_DOWN]->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Minus));
    m_actions[ID_SCALE_RESET]->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_0));
    m_actions[ID_SHOW_GRAMS]->setCheckable(true);
    m_actions[ID_UNDO_DELETE]->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    m_actions[ID_MEAL_PLAN]->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_P));
    m_actions[ID_UNDO_DELETE]->setEnabled(false);
    // Keys the tree handles itself, shown in the menus so that they can be learned there.
    const std::pair<int, QKeySequence> treeKeys[] = {
        {ID_DELETE_RECIPE, QKeySequence(Qt::Key_Delete)},
        {ID_DELETE_SECTION, QKeySequence(Qt::Key_Delete)},
        {ID_EDIT_RECIPE, QKeySequence(Qt::Key_Return)},
        {ID_RENAME_SECTION, QKeySequence(Qt::Key_F2)},
        {ID_ADD_RECIPE, QKeySequence(Qt::Key_Insert)},
        {ID_HELP_FINDER, QKeySequence(Qt::Key_F1)},
    };
    for (const auto& [id, keys] : treeKeys) {
        m_actions[id]->setShortcut(keys);
        m_actions[id]->setShortcutContext(Qt::WidgetShortcut);
    }
}

void CMainFrame::saveSettings() const {
    QSettings settings;
    settings.setValue(QStringLiteral("window/geometry"), saveGeometry());
    settings.setValue(QStringLiteral("window/state"), saveState());
    settings.setValue(QStringLiteral("window/panes"), m_splitter->saveState());
    settings.setValue(QStringLiteral("window/statusBar"), statusBar()->isVisibleTo(this));
}

void CMainFrame::restoreSettings() {
    QSettings settings;
    // A geometry from another screen is brought back onto this one by Qt itself.
    if (settings.contains(QStringLiteral("window/geometry")))
        restoreGeometry(settings.value(QStringLiteral("window/geometry")).toByteArray());
    if (settings.contains(QStringLiteral("window/state"))) {
        restoreState(settings.value(QStringLiteral("window/state")).toByteArray());
        m_actions[ID_VIEW_TOOLBAR]->setChecked(!m_toolBar->isHidden());
    }
    const bool statusShown = settings.value(QStringLiteral("window/statusBar"), true).toBool();
    statusBar()->setVisible(statusShown);
    m_actions[ID_VIEW_STATUS_BAR]->setChecked(statusShown);
    m_restoredPanes = settings.value(QStringLiteral("window/panes")).toByteArray();
}

namespace {

// The first local file of a drop that is not an exchange file (those go through "Импорт").
QString droppedRecipeFile(const QMimeData* data) {
    if (!data || !data->hasUrls())
        return {};
    for (const QUrl& url : data->urls())
        if (url.isLocalFile() &&
            !url.toLocalFile().endsWith(QLatin1String(".ovl"), Qt::CaseInsensitive))
            return url.toLocalFile();
    return {};
}

} // namespace

void CMainFrame::dragEnterEvent(QDragEnterEvent* event) {
    if (!droppedRecipeFile(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void CMainFrame::dropEvent(QDropEvent* event) {
    const QString path = droppedRecipeFile(event->mimeData());
    if (path.isEmpty())
        return;
    event->acceptProposedAction();
    // After the drop has ended: the dialog must not run inside the drag's own loop.
    QTimer::singleShot(0, this, [this, path] {
        try {
            importRecipe(m_db, *m_catalog, this, path);
        } catch (const DbError& e) {
            Prompts::databaseError(this, e.message());
        }
    });
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    saveSettings();
    if (m_backupCommands)
        m_backupCommands->backupOnClose();
    QMainWindow::closeEvent(event);
}

CMainFrame::~CMainFrame() = default;

void CMainFrame::createActions() {
    for (const CommandInfo& info : commandTable()) {
        auto action = new QAction(commandIcon(info.id), QString::fromUtf8(info.menuText), this);
        action->setData(info.id);
        action->setObjectName(QStringLiteral("command%1").arg(info.id));
        if (info.prompt) {
            const QStringList parts = QString::fromUtf8(info.prompt).split(QLatin1Char('\n'));
            action->setStatusTip(parts.value(0));
            action->setToolTip(parts.value(1, parts.value(0)));
            action->setWhatsThis(parts.value(0));
        } else {
            action->setToolTip(QString());
            action->setWhatsThis(action->text());
        }
        // Only the icon on buttons; menus show it beside the text.
        action->setIconVisibleInMenu(false);
        const int id = info.id;
        connect(action, &QAction::triggered, this, [this, id] { runCommand(id); });
        m_actions[id] = action;
    }

    m_actions[ID_VIEW_TOOLBAR]->setCheckable(true);
    m_actions[ID_VIEW_TOOLBAR]->setChecked(true);
    m_actions[ID_VIEW_STATUS_BAR]->setCheckable(true);
    m_actions[ID_VIEW_STATUS_BAR]->setChecked(true);

    setCommandHandler(ID_APP_EXIT, [this] { close(); });
    setCommandHandler(ID_VIEW_TOOLBAR,
                      [this] { m_toolBar->setVisible(m_actions[ID_VIEW_TOOLBAR]->isChecked()); });
    setCommandHandler(ID_VIEW_STATUS_BAR, [this] {
        statusBar()->setVisible(m_actions[ID_VIEW_STATUS_BAR]->isChecked());
    });
    setCommandHandler(ID_APP_ABOUT, [this] { showAbout(); });
    setCommandHandler(ID_HELP_FINDER, [this] { showHelp(); });
    setCommandHandler(ID_HELP, [this] { showHelp(); });
    setCommandHandler(ID_DEFAULT_HELP, [this] { showHelp(); });
    setCommandHandler(ID_CONTEXT_HELP, [] { QWhatsThis::enterWhatsThisMode(); });
    setCommandHandler(ID_NEXT_PANE, [this] { focusPane(+1); });
    setCommandHandler(ID_PREV_PANE, [this] { focusPane(-1); });
}

void CMainFrame::createMenus() {
    for (const MenuLayout& layout : menuBarLayout()) {
        QMenu* menu = menuBar()->addMenu(QString::fromUtf8(layout.title));
        for (int id : layout.items) {
            if (id == 0)
                menu->addSeparator();
            else
                menu->addAction(m_actions.at(id));
        }
    }
}

void CMainFrame::createToolBar() {
    m_toolBar = addToolBar(QStringLiteral("Панель инструментов"));
    m_toolBar->setObjectName(QStringLiteral("toolBar"));
    m_toolBar->setIconSize(QSize(16, 16));
    m_toolBar->setMovable(true);
    m_toolBar->toggleViewAction()->setVisible(false);
    for (int id : toolbarLayout()) {
        if (id == 0)
            m_toolBar->addSeparator();
        else
            m_toolBar->addAction(m_actions.at(id));
    }
    m_toolBar->addSeparator();
    m_searchBox = new CSearchBox(m_toolBar);
    m_toolBar->addWidget(m_searchBox);
    // Hiding the bar from its own context menu keeps the check mark true.
    connect(m_toolBar, &QToolBar::visibilityChanged, this, [this](bool visible) {
        if (!isHidden())
            m_actions[ID_VIEW_TOOLBAR]->setChecked(visible);
    });
    setContextMenuPolicy(Qt::NoContextMenu);
}

void CMainFrame::createStatusBar() {
    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("statusBar"));
    // Prompts of commands show as temporary messages over this idle text.
    auto idle = new QLabel(QStringLiteral("готов"), bar);
    idle->setObjectName(QStringLiteral("idleText"));
    bar->addWidget(idle, 1);
    const char* names[] = {"CAP", "NUM", "SCRL"};
    for (int i = 0; i < 3; ++i) {
        auto label = new QLabel(QString::fromLatin1(names[i]), bar);
        label->setObjectName(QStringLiteral("indicator%1").arg(QLatin1String(names[i])));
        label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        label->setAlignment(Qt::AlignCenter);
        label->setMinimumWidth(label->fontMetrics().horizontalAdvance(QStringLiteral("SCRL")) + 10);
        bar->addPermanentWidget(label);
        m_lockLabels[size_t(i)] = label;
    }
    refreshLockIndicators();
    auto timer = new QTimer(this);
    connect(timer, &QTimer::timeout, this, &CMainFrame::refreshLockIndicators);
    timer->start(500);
}

void CMainFrame::refreshLockIndicators() {
    const LockKeyState state = readLockKeys();
    const std::optional<bool> lit[] = {state.caps, state.num, state.scroll};
    for (size_t i = 0; i < 3; ++i)
        m_lockLabels[i]->setEnabled(lit[i].value_or(false));
}

void CMainFrame::createPanes() {
    m_splitter = new QSplitter(Qt::Horizontal, this);
    m_splitter->setObjectName(QStringLiteral("splitter"));
    m_splitter->setChildrenCollapsible(true);
    m_catalog = new CCatalogView(m_db, m_splitter);
    m_recipe = new CRView(m_db, m_splitter);
    m_found = new CFoundListView(m_db, m_splitter);
    m_splitter->addWidget(m_catalog);
    m_splitter->addWidget(m_recipe);
    m_splitter->addWidget(m_found);
    // The proportions alone decide the widths, not the panes' own size hints.
    for (int i = 0; i < 3; ++i)
        m_splitter->widget(i)->setMinimumWidth(1);
    m_splitter->setSizes({200, 400, 200});
    // The pane that has the keyboard is framed in the highlight colour.
    m_splitter->setStyleSheet(QStringLiteral(
        "#catalogView, #recipeView, #foundListView { border: 1px solid palette(mid); "
        "margin: 1px; }"
        "#catalogView:focus, #recipeView:focus, #foundListView:focus { border: 2px solid "
        "palette(highlight); margin: 0px; }"));
    m_splitter->installEventFilter(this);
    setCentralWidget(m_splitter);
}

void CMainFrame::connectPanes() {
    m_catalog->setRecipeShower([this](int id) { return m_recipe->ShowRecipe(id); });
    m_catalog->setCommandRunner([this](int id) { runCommand(id); });

    m_catalogCommands = std::make_unique<CatalogCommands>(m_db, *m_catalog, this);
    m_catalogCommands->setRecipesGone([this] {
        m_found->dropGoneRecipes();
        if (const int shown = m_recipe->CurrentRecipeId();
            shown != 0 && !recipes::readRecipe(m_db, shown))
            m_recipe->ShowRecipe(0);
    });
    setCommandHandler(ID_ADD_SECTION, [this] { m_catalogCommands->addSection(); });
    setCommandHandler(ID_ADD_SUBSECTION, [this] { m_catalogCommands->addSubsection(); });
    setCommandHandler(ID_RENAME_SECTION, [this] { m_catalogCommands->renameSection(); });
    setCommandHandler(ID_DELETE_SECTION, [this] { m_catalogCommands->deleteSection(); });
    setCommandHandler(ID_IMPORT_RECIPE, [this] { importRecipe(m_db, *m_catalog, this); });
    setCommandHandler(ID_IMPORT_LINK, [this] { importRecipeFromLink(m_db, *m_catalog, this); });
    setCommandHandler(ID_IMPORT_COLLECTION,
                      [this] { movein::importCollection(m_db, *m_catalog, this, false); });
    setCommandHandler(ID_IMPORT_COLLECTION_FOLDER,
                      [this] { movein::importCollection(m_db, *m_catalog, this, true); });
    // A saved page, a recipe file or a text file dropped on the window is read the same way.
    setAcceptDrops(true);

    m_recipeCommands = std::make_unique<RecipeCommands>(m_db, *m_catalog, *m_recipe, this);
    setCommandHandler(ID_ADD_RECIPE, [this] { m_recipeCommands->addToSelectedSection(); });
    setCommandHandler(ID_ADD_RECIPE_ROOT, [this] { m_recipeCommands->addToRoot(); });
    setCommandHandler(ID_EDIT_RECIPE, [this] { m_recipeCommands->editSelected(); });
    setCommandHandler(ID_DELETE_RECIPE, [this] { m_recipeCommands->deleteSelected(); });
    setCommandHandler(ID_RECIPE_PHOTO, [this] { m_recipeCommands->choosePhoto(); });
    setCommandHandler(ID_REMOVE_PHOTO, [this] { m_recipeCommands->removePhoto(); });
    connect(m_recipe, &CRView::pictureFileOffered, this,
            [this](const QString& path) { m_recipeCommands->setPhotoFromFile(path); });
    connect(m_recipe, &CRView::pictureOffered, this,
            [this](const QImage& image) { m_recipeCommands->setPhotoFromImage(image); });
    m_recipeCommands->setRecipeChanged([this](int id) { recipeChanged(id); });

    m_trashCommands = new TrashCommands(m_db, *m_catalog, this);
    m_catalog->setBottomBar(m_trashCommands->trashRow());
    auto deleted = [this](qint64 entry, const QString& name) {
        m_trashCommands->deleted(entry, name);
    };
    m_catalogCommands->setDeleted(deleted);
    m_recipeCommands->setDeleted(deleted);
    setCommandHandler(ID_UNDO_DELETE, [this] { m_trashCommands->undoDelete(); });
    setCommandHandler(ID_TRASH, [this] { m_trashCommands->showTrash(); });
    connect(m_trashCommands, &TrashCommands::undoAvailable, m_actions[ID_UNDO_DELETE],
            &QAction::setEnabled);

    m_backupCommands = new BackupCommands(m_db, this);
    setCommandHandler(ID_BACKUP_NOW, [this] { m_backupCommands->backupNow(); });
    setCommandHandler(ID_RESTORE_BACKUP, [this] { m_backupCommands->restoreFromBackup(); });
    setCommandHandler(ID_CHECK_COLLECTION, [this] { m_backupCommands->checkCollection(); });
    connect(m_backupCommands, &BackupCommands::collectionReplaced, this, [this] {
        // The connection is a new one on the restored file: everything shown is read again.
        m_recipe->ShowRecipe(0);
        m_found->clearResults();
        m_catalog->loadTopLevel();
        m_trashCommands->refresh();
    });

    m_cookingCommands = std::make_unique<CookingCommands>(m_db, *m_recipe, this);
    setCommandHandler(ID_COOK, [this] { m_cookingCommands->cook(); });
    setCommandHandler(ID_SCALE_UP, [this] { m_cookingCommands->scaleUp(); });
    setCommandHandler(ID_SCALE_DOWN, [this] { m_cookingCommands->scaleDown(); });
    setCommandHandler(ID_SCALE_RESET, [this] { m_cookingCommands->scaleReset(); });
    setCommandHandler(ID_SHOW_GRAMS, [this] {
        m_cookingCommands->scaleBar().setGrams(m_actions[ID_SHOW_GRAMS]->isChecked());
    });
    connect(&m_cookingCommands->scaleBar(), &ScaleBar::gramsChanged, this,
            [this](bool on) { m_actions[ID_SHOW_GRAMS]->setChecked(on); });

    m_planCommands = std::make_unique<PlanCommands>(m_db, *m_recipe, *m_found, this);
    m_recipe->setMoreNote(
        [this](int recipe) { return plan::summaryText(plan::summaryOf(m_db, recipe)); });
    setCommandHandler(ID_COOKED, [this] { m_planCommands->cooked(); });
    setCommandHandler(ID_PLAN_ADD, [this] { m_planCommands->addToPlan(); });
    setCommandHandler(ID_MEAL_PLAN, [this] { m_planCommands->weekView(); });
    setCommandHandler(ID_PLAN_SHOPPING, [this] { m_planCommands->shoppingForDays(); });
    setCommandHandler(ID_COOK_HISTORY, [this] { m_planCommands->history(); });
    setCommandHandler(ID_NOT_COOKED_LATELY, [this] { m_planCommands->notCookedLately(); });
    setCommandHandler(ID_SORT_BY_COOKED, [this] { m_planCommands->sortResults(false); });
    setCommandHandler(ID_SORT_BY_RATING, [this] { m_planCommands->sortResults(true); });

    m_found->setRecipeShower([this](int id) { return m_recipe->ShowRecipe(id); });
    m_found->setCommandRunner([this](int id) { runCommand(id); });
    m_searchCommands = std::make_unique<SearchCommands>(m_db, *m_catalog, *m_found, this);
    setCommandHandler(ID_FIND_RECIPE, [this] { m_searchCommands->findByName(); });
    setCommandHandler(ID_FIND_BY_PRODUCT, [this] { m_searchCommands->findByProduct(); });
    setCommandHandler(ID_LOCATE_IN_CATALOG, [this] { m_searchCommands->locateInCatalog(); });
    setCommandHandler(ID_FIND_TEXT, [this] {
        m_searchBox->setInText(true);
        focusSearchBox();
    });
    connect(m_searchBox, &CSearchBox::searchRequested, this,
            [this](const QString& text, bool inText) {
                try {
                    m_searchCommands->searchAsTyped(text, inText);
                } catch (const DbError& e) {
                    Prompts::databaseError(this, e.message());
                }
            });
    connect(m_searchBox, &CSearchBox::resultsWanted, this, [this] {
        if (m_found->rowCount() == 0)
            return;
        m_found->setFocus(Qt::ShortcutFocusReason);
        if (!m_found->selectedRow())
            m_found->selectRow(0);
    });

    m_kitchenCommands =
        std::make_unique<KitchenCommands>(m_db, *m_catalog, *m_recipe, *m_found, this);
    setCommandHandler(ID_PRODUCTS_ON_HAND, [this] { m_kitchenCommands->productsOnHand(); });
    setCommandHandler(ID_PRODUCTS_ALWAYS, [this] { m_kitchenCommands->productsAlways(); });
    setCommandHandler(ID_WHAT_TO_COOK, [this] { m_kitchenCommands->whatToCook(); });
    setCommandHandler(ID_MENU_VIEW, [this] { m_kitchenCommands->showMenu(); });
    setCommandHandler(ID_WHAT_IS_MISSING, [this] { m_kitchenCommands->whatIsMissing(); });
    setCommandHandler(ID_SHOPPING_LIST, [this] { m_kitchenCommands->shoppingList(); });
    setCommandHandler(ID_MENU_PRODUCT_LIST, [this] { m_kitchenCommands->menuProductList(); });
    setCommandHandler(ID_MENU_ADD, [this] {
        using Pane = KitchenCommands::Pane;
        const Pane panes[] = {Pane::Catalog, Pane::Recipe, Pane::Results};
        m_kitchenCommands->addToMenu(m_activeColumn >= 0 ? panes[m_activeColumn] : Pane::Other);
    });
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
        for (int i = 0; i < 3; ++i)
            if (now && pane(i) && (pane(i) == now || pane(i)->isAncestorOf(now)))
                m_activeColumn = i;
    });

    m_exchangeCommands = std::make_unique<ExchangeCommands>(m_db, *m_catalog, this);
    setCommandHandler(ID_EXPORT_SECTION, [this] { m_exchangeCommands->exportSection(); });
    setCommandHandler(ID_EXPORT_ALL, [this] { m_exchangeCommands->exportAll(); });
    setCommandHandler(ID_IMPORT, [this] { m_exchangeCommands->importFile(); });

    auto keepDictionary = [this](CDictionaryWork& dialog) {
        dialog.setRecipeChanged([this](int id) { recipeChanged(id); });
        dialog.setNamesChanged([this] {
            if (const int shown = m_recipe->CurrentRecipeId())
                m_recipe->ShowRecipe(shown);
        });
        dialog.exec();
    };
    setCommandHandler(ID_PRODUCT_WORK, [this, keepDictionary] {
        CIngredientWork dialog(m_db, this);
        keepDictionary(dialog);
    });
    setCommandHandler(ID_UNIT_WORK, [this, keepDictionary] {
        CUnitWork dialog(m_db, this);
        keepDictionary(dialog);
    });

    // Printing from the menu always prints the recipe pane, whatever has the focus.
    setCommandHandler(ID_PRINT_RECIPE, [this] { m_recipe->print(); });
    setCommandHandler(ID_FILE_PRINT, [this] { m_recipe->print(); });
    setCommandHandler(ID_FILE_PRINT_PREVIEW, [this] { m_recipe->printPreview(); });
}

void CMainFrame::createAccelerators() {
    auto shortcut = [this](const QKeySequence& keys, int id) {
        auto s = new QShortcut(keys, this);
        s->setContext(Qt::WindowShortcut);
        connect(s, &QShortcut::activated, this, [this, id] { runCommand(id); });
    };
    shortcut(QKeySequence(Qt::CTRL | Qt::Key_Tab), ID_NEXT_PANE);
    shortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab), ID_PREV_PANE);
    shortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Tab), ID_PREV_PANE);
    shortcut(QKeySequence(Qt::Key_F1), ID_HELP);
    for (const QKeySequence& keys :
         {QKeySequence(Qt::CTRL | Qt::Key_F), QKeySequence(Qt::CTRL | Qt::Key_K)}) {
        auto s = new QShortcut(keys, this);
        s->setContext(Qt::WindowShortcut);
        connect(s, &QShortcut::activated, this, [this] { focusSearchBox(); });
    }
    shortcut(QKeySequence(Qt::SHIFT | Qt::Key_F1), ID_CONTEXT_HELP);
}

void CMainFrame::focusSearchBox() {
    // The box lives in the toolbar: a hidden toolbar is shown first, or the keys would go
    // into a field nobody sees.
    if (m_toolBar->isHidden()) {
        m_toolBar->show();
        m_actions[ID_VIEW_TOOLBAR]->setChecked(true);
    }
    m_searchBox->takeFocus();
}

QWidget* CMainFrame::pane(int column) const {
    return m_splitter ? m_splitter->widget(column) : nullptr;
}

QAction* CMainFrame::action(int id) const {
    auto it = m_actions.find(id);
    return it == m_actions.end() ? nullptr : it->second;
}

void CMainFrame::setCommandHandler(int id, std::function<void()> handler) {
    m_handlers[id] = std::move(handler);
}

void CMainFrame::runCommand(int id) {
    auto it = m_handlers.find(id);
    if (it == m_handlers.end() || !it->second)
        return;
    try {
        it->second();
    } catch (const DbError& e) {
        Prompts::databaseError(this, e.message());
    }
    // The search box's name list takes what the command changed now, while the user reads
    // its result, rather than at the next keystroke: after an import of thousands of
    // recipes that keystroke would wait for all of them.
    QTimer::singleShot(0, this, [this] { search::catchUpNames(m_db); });
    // Products a command made (an import, a line typed in the editor) get the shipped
    // table's weights and food value now; a product already asked costs nothing.
    try {
        // The recipe shown was drawn before its new products had figures: drawn again, its
        // food value is whole at once, not only when it is chosen again.
        if (nutrition::fillFromTable(m_db).filled > 0 && m_recipe->CurrentRecipeId() > 0)
            m_recipe->ShowRecipe(m_recipe->CurrentRecipeId());
    } catch (const DbError& e) {
        Prompts::databaseError(this, e.message());
    }
}

void CMainFrame::recipeChanged(int recipeId) {
    const std::optional<recipes::Recipe> recipe = recipes::readRecipe(m_db, recipeId);
    if (!recipe) {
        m_found->removeRecipe(recipeId);
        // Nothing stays selected that the view no longer shows.
        if (m_recipe->CurrentRecipeId() == recipeId || m_recipe->CurrentRecipeId() == 0)
            m_catalog->clearSelection();
        if (m_recipe->CurrentRecipeId() == recipeId)
            m_recipe->ShowRecipe(0);
        return;
    }
    m_catalog->renameRecipe(recipeId, recipe->name);
    m_found->renameRecipe(recipeId, recipe->name);
    if (m_recipe->CurrentRecipeId() == recipeId)
        m_recipe->ShowRecipe(recipeId);
}

std::array<int, 3> CMainFrame::columnWidths(int clientWidth) {
    std::array<int, 3> widths = {clientWidth * 3 / 8, clientWidth * 3 / 8, clientWidth * 2 / 8};
    // The last column takes whatever room remains, so only the first two can vanish.
    for (size_t i = 0; i < 2; ++i)
        if (widths[i] < kMinimumColumnWidth)
            widths[i] = 0;
    return widths;
}

void CMainFrame::applyColumnWidths() {
    if (!m_splitter || !m_splitter->isVisible())
        return;
    const int total = m_splitter->width();
    const std::array<int, 3> ideal = columnWidths(total);
    // The bars between shown columns take their own room; the last column takes
    // whatever width remains.
    // A column below the minimum is hidden with its bar, so it takes no room at all.
    for (int i = 0; i < 2; ++i)
        m_splitter->widget(i)->setVisible(ideal[size_t(i)] > 0);
    const int shown = 1 + (ideal[0] > 0 ? 1 : 0) + (ideal[1] > 0 ? 1 : 0);
    const int handles = (shown - 1) * m_splitter->handleWidth();
    const int last = std::max(0, total - handles - ideal[0] - ideal[1]);
    m_splitter->setSizes({ideal[0], ideal[1], last});
}

bool CMainFrame::eventFilter(QObject* watched, QEvent* event) {
    // The proportions come back whenever the window's width changes, and on the first
    // show; a width the user dragged survives the toolbar or status bar coming and going.
    if (watched == m_splitter && event->type() == QEvent::Show) {
        applyColumnWidths();
        // The widths the user left win over the proportions, until the window's width
        // changes again.
        if (!m_restoredPanes.isEmpty()) {
            m_splitter->restoreState(m_restoredPanes);
            m_restoredPanes.clear();
        }
    }
    if (watched == m_splitter && event->type() == QEvent::Resize) {
        auto resize = static_cast<QResizeEvent*>(event);
        if (resize->size().width() != resize->oldSize().width())
            applyColumnWidths();
    }
    return QMainWindow::eventFilter(watched, event);
}

void CMainFrame::focusPane(int step) {
    QWidget* current = QApplication::focusWidget();
    int index = 0;
    for (int i = 0; i < 3; ++i)
        if (pane(i) && (pane(i) == current || pane(i)->isAncestorOf(current)))
            index = i;
    for (int n = 1; n <= 3; ++n) {
        QWidget* next = pane(((index + step * n) % 3 + 3) % 3);
        if (next && next->isVisible() && next->width() > 0) {
            next->setFocus(Qt::ShortcutFocusReason);
            return;
        }
    }
}

void CMainFrame::showAbout() {
    CAboutDlg about(m_db, this);
    about.exec();
}

void CMainFrame::showHelp() {
    if (!m_help)
        m_help = new HelpWindow(this);
    m_help->showContents();
}
