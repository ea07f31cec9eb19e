#pragma once

#include <QDate>
#include <QDialog>
#include <functional>

class Database;
class QComboBox;
class QDateEdit;
class QPlainTextEdit;

namespace plan {
// Runs a plan dialog's write: true when written; otherwise the dialog has said why (bad input
// in Russian, or the engine's failure) and stays open.
bool writeOrSay(QWidget* dialog, const std::function<void()>& write);
} // namespace plan

// "Приготовлено": the day (today unless changed), a rating, a note. "Да" writes it; bad
// input keeps the dialog open and says why.
class CookedDialog : public QDialog {
    Q_OBJECT
public:
    CookedDialog(Database& db, int recipe, const QString& name, QWidget* parent = nullptr,
                 const QDate& day = QDate::currentDate());

private:
    void confirm();

    Database& m_db;
    int m_recipe;
    QDateEdit* m_day;
    QComboBox* m_rating;
    QPlainTextEdit* m_note;
};

// The recipe's history (or everyone's, for 0): the day, the rating, the note, newest first.
class CookHistoryDialog : public QDialog {
    Q_OBJECT
public:
    CookHistoryDialog(Database& db, int recipe, QWidget* parent = nullptr);
};
