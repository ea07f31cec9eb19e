#pragma once

#include <QMainWindow>
#include <array>
#include <functional>
#include <map>
#include <memory>

class Database;
class CatalogCommands;
class RecipeCommands;
class CookingCommands;
class BackupCommands;
class TrashCommands;
class PlanCommands;
class SearchCommands;
class KitchenCommands;
class ExchangeCommands;
class CCatalogView;
class CRView;
class CFoundListView;
class CSearchBox;
class HelpWindow;
class QLabel;
class QSplitter;
class QToolBar;

// The one main window: menu, toolbar, status bar and the three panes side by side.
// Every command, from wherever it comes, ends in runCommand.
class CMainFrame : public QMainWindow {
    Q_OBJECT
public:
    enum Column { CatalogColumn = 0, RecipeColumn = 1, ResultsColumn = 2 };
    static constexpr int kMinimumColumnWidth = 32;

    explicit CMainFrame(Database& db, QWidget* parent = nullptr);
    ~CMainFrame() override;

    Database& database() const { return m_db; }
    QWidget* pane(int column) const;
    CCatalogView* catalogView() const { return m_catalog; }
    CRView* recipeView() const { return m_recipe; }
    BackupCommands* backupCommands() const { return m_backupCommands; }
    TrashCommands* trashCommands() const { return m_trashCommands; }
    SearchCommands* searchCommands() const { return m_searchCommands.get(); }
    CFoundListView* foundListView() const { return m_found; }
    QSplitter* splitter() const { return m_splitter; }
    CSearchBox* searchBox() const { return m_searchBox; }
    QToolBar* toolBar() const { return m_toolBar; }
    QAction* action(int id) const;
    // The column of the pane that had the focus last; -1 when none had it yet.
    int activeColumn() const { return m_activeColumn; }

    // Runs the handler of a command; a failing database call ends the command with the
    // engine's message, as every command does.
    void runCommand(int id);
    void setCommandHandler(int id, std::function<void()> handler);

    // Brings every pane in step with a recipe that was renamed, changed or deleted.
    void recipeChanged(int recipeId);

    // The widths the columns are given for a client width: 3/8, 3/8 and 2/8; 0 marks a
    // column below the minimum width, which is not shown.
    static std::array<int, 3> columnWidths(int clientWidth);
    void applyColumnWidths();
    void focusSearchBox();

    // Where the window was left: size, place, pane widths, toolbar and status bar. Kept
    // in the user's settings when the window closes, and taken back when it opens.
    void saveSettings() const;
    void restoreSettings();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void createActions();
    void createMenus();
    void createToolBar();
    void createStatusBar();
    void createPanes();
    void createAccelerators();
    void connectPanes();
    void refreshLockIndicators();
    void focusPane(int step);
    void showAbout();
    void showHelp();
    void setShortcuts();

    Database& m_db;
    std::map<int, QAction*> m_actions;
    std::map<int, std::function<void()>> m_handlers;
    QSplitter* m_splitter = nullptr;
    CCatalogView* m_catalog = nullptr;
    CRView* m_recipe = nullptr;
    CFoundListView* m_found = nullptr;
    QByteArray m_restoredPanes; // pane widths to take back once the window is shown
    CSearchBox* m_searchBox = nullptr;
    QToolBar* m_toolBar = nullptr;
    std::array<QLabel*, 3> m_lockLabels{};
    HelpWindow* m_help = nullptr;
    std::unique_ptr<CatalogCommands> m_catalogCommands;
    std::unique_ptr<RecipeCommands> m_recipeCommands;
    std::unique_ptr<CookingCommands> m_cookingCommands;
    std::unique_ptr<PlanCommands> m_planCommands;
    BackupCommands* m_backupCommands = nullptr;
    TrashCommands* m_trashCommands = nullptr;
    std::unique_ptr<SearchCommands> m_searchCommands;
    std::unique_ptr<KitchenCommands> m_kitchenCommands;
    std::unique_ptr<ExchangeCommands> m_exchangeCommands;
    int m_activeColumn = -1;
};
