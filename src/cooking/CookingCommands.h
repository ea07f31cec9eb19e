#pragma once

class CRView;
class Database;
class QWidget;
class ScaleBar;

// The cooking commands of the main window: the shown recipe for more or fewer servings,
// grams beside its lines, and cooking from it at full screen.
class CookingCommands {
public:
    CookingCommands(Database& db, CRView& view, QWidget* window);

    ScaleBar& scaleBar() { return *m_bar; }
    void scaleUp();
    void scaleDown();
    void scaleReset();
    void toggleGrams();
    // Opens the cooking mode for the shown recipe; says why when there is none.
    void cook();

private:
    Database& m_db;
    CRView& m_view;
    QWidget* m_window;
    ScaleBar* m_bar;
};
