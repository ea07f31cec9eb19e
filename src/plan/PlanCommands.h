#pragma once

#include <QDate>
#include <QPointer>

class CFoundListView;
class CRView;
class Database;
class QWidget;
class WeekView;

// The cooking log and the plan as the window offers them: marking the shown recipe cooked,
// its history, what has not been cooked for a while, the results sorted by the log, and
// putting the shown recipe in the plan, the week's plan and its shopping list.
class PlanCommands {
public:
    PlanCommands(Database& db, CRView& pane, CFoundListView& results, QWidget* window)
        : m_db(db), m_pane(pane), m_results(results), m_window(window) {}

    void cooked();
    void history();
    void notCookedLately(const QDate& today = QDate::currentDate());
    // The last cooked first, or the best rated first; recipes never cooked keep their order
    // after them.
    void sortResults(bool byRating);
    void addToPlan();
    // "План питания": one window, raised when it is open already.
    WeekView& weekView(const QDate& today = QDate::currentDate());
    // "Список покупок на дни...".
    void shoppingForDays(const QDate& today = QDate::currentDate());

private:
    Database& m_db;
    CRView& m_pane;
    CFoundListView& m_results;
    QWidget* m_window;
    QPointer<WeekView> m_week;
};
