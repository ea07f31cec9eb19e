#pragma once

#include "FoodTable.h"

#include <QDialog>

class Database;
class QCheckBox;
class QLabel;
class QLineEdit;
class QTableWidget;

// "Вес и пищевая ценность" of one product: food value per 100 g, the grams in a millilitre,
// whether it is bought in pieces, and the grams in one of its units. What the user writes
// here is theirs: the shipped table never overwrites it, until "Из справочника" asks for it.
class CFoodValueDlg : public QDialog {
    Q_OBJECT
public:
    CFoodValueDlg(Database& db, int product, const QString& name, QWidget* parent = nullptr);

    // The figures as typed; nothing (after telling the user why) when they do not add up.
    std::optional<nutrition::Figures> typedFigures();

private:
    void showFigures(const nutrition::Figures& figures, bool own);
    void addWeightRow(const QString& unit = QString(), double grams = 0);
    void removeWeightRow();
    void takeFromTable();
    void save();

    Database& m_db;
    int m_product;
    QString m_name;
    QLineEdit* m_kcal;
    QLineEdit* m_protein;
    QLineEdit* m_fat;
    QLineEdit* m_carbs;
    QLineEdit* m_density;
    QCheckBox* m_counted;
    QTableWidget* m_weights;
    QLabel* m_source;
};
