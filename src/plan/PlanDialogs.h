#pragma once

#include "MealPlan.h"

#include <QDate>
#include <QDialog>
#include <optional>
#include <utility>

class Database;
class QDateEdit;
class QLineEdit;
class QListWidget;
class QSpinBox;

// A recipe for a cell of the week, chosen by its name from the keyboard: the name typed
// shows the recipes that hold it, the servings follow the recipe chosen. "Да" writes the
// entry; bad input keeps the dialog open and says why.
class PickRecipeDialog : public QDialog {
    Q_OBJECT
public:
    PickRecipeDialog(Database& db, const QDate& day, plan::Meal meal, QWidget* parent = nullptr);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void search();
    void chosen();
    void confirm();

    Database& m_db;
    QDate m_day;
    plan::Meal m_meal;
    QLineEdit* m_name;
    QListWidget* m_matches;
    QSpinBox* m_servings;
};

namespace plan {

// "Список покупок на дни": the first and the last day, the rest of this week unless changed;
// nothing when the user cancels.
std::optional<std::pair<QDate, QDate>> askDays(QWidget* parent,
                                               const QDate& today = QDate::currentDate());
// The shopping list window for the days.
void showShopping(Database& db, const QDate& from, const QDate& to, QWidget* parent);
// The week from its Monday on one landscape page, after the print dialog.
void printWeek(Database& db, const QDate& monday, QWidget* parent);
// The days as an iCalendar file where the user says.
void saveCalendar(Database& db, const QDate& from, const QDate& to, QWidget* parent);

} // namespace plan
