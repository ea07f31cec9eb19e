#pragma once

#include "MealPlan.h"

#include <QDate>
#include <QWidget>
#include <array>
#include <functional>

class Database;
class QLabel;
class QListWidget;
class QListWidgetItem;
class QPushButton;
class PlanCell;

// "План питания": a week from Monday to Sunday as columns, the meals as rows, each cell the
// recipes planned for it with their servings. Recipes come in by dragging them from the
// tree or the results, or from the keyboard (Insert); entries move by dragging or by cut and
// paste, and go with Delete. Every change is written at once; the cells are read again
// after it.
class WeekView : public QWidget {
    Q_OBJECT
public:
    WeekView(Database& db, QWidget* parent = nullptr, const QDate& today = QDate::currentDate());

    // The week that holds the day.
    void showWeek(const QDate& day);
    QDate monday() const { return m_monday; }
    // Reads the shown week again, keeping the entry that was current.
    void reload();
    // Double-click and Enter show an entry's recipe.
    void setRecipeShower(std::function<void(int)> show) { m_showRecipe = std::move(show); }

    QListWidget* cell(int day, plan::Meal meal) const;
    // The entry current in the cell last focused; 0 when none.
    qint64 currentEntry() const;

    // What the cells and buttons do; the keys call these too.
    void addRecipe(int recipe, int day, plan::Meal meal);
    void moveEntry(qint64 entry, int day, plan::Meal meal);
    void removeCurrent();
    void cut();
    void paste();
    void addFromKeyboard();
    void markCooked();
    void showCurrent();
    // Moves the focus to the cell beside the one focused: days left and right, meals up and
    // down; stops at the week's edges.
    void focusBeside(int days, int meals);

    // The cell the commands work on: the one last focused, the buttons taking the focus
    // from it.
    void cellFocused(PlanCell* cell) { m_lastCell = cell; }

protected:
    bool event(QEvent* event) override;

private:
    PlanCell* focusedCell() const { return m_lastCell; }
    const QListWidgetItem* currentItem() const;
    QString weekTitle() const;

    Database& m_db;
    QDate m_today;
    QDate m_monday;
    QLabel* m_title;
    std::array<QLabel*, 7> m_dayHeads{};
    std::array<std::array<PlanCell*, plan::kMeals>, 7> m_cells{};
    QPushButton* m_cooked;
    qint64 m_cutEntry = 0;
    PlanCell* m_lastCell = nullptr;
    std::function<void(int)> m_showRecipe;
};
