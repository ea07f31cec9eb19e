#pragma once

#include <QDate>
#include <QDialog>

class Database;
class QComboBox;
class QDateEdit;
class QSpinBox;

// "Добавить в план": a day, a meal and the servings (the recipe's own, when it says) for the
// recipe. "Да" writes it; bad input keeps the dialog open and says why.
class AddToPlanDialog : public QDialog {
    Q_OBJECT
public:
    AddToPlanDialog(Database& db, int recipe, const QString& name, QWidget* parent = nullptr,
                    const QDate& day = QDate::currentDate());

private:
    void confirm();

    Database& m_db;
    int m_recipe;
    QDateEdit* m_day;
    QComboBox* m_meal;
    QSpinBox* m_servings;
};
