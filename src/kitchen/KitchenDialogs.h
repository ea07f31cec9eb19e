#pragma once

#include "KitchenStore.h"

#include <QDialog>

class Database;
class QLineEdit;
class QListWidget;
class QTreeWidget;

// A list of products the kitchen has, with "Добавить" and "Удалить". The on-hand and the
// always-present lists are this one dialog with another table and title.
class CKitchenList : public QDialog {
    Q_OBJECT
public:
    QListWidget* list() const { return m_list; }

protected:
    CKitchenList(Database& db, kitchen::List which, QWidget* parent);

private:
    void addProducts();
    void removeSelected();

    Database& m_db;
    kitchen::List m_which;
    QListWidget* m_list;
};

class CProductsList : public CKitchenList {
    Q_OBJECT
public:
    explicit CProductsList(Database& db, QWidget* parent = nullptr)
        : CKitchenList(db, kitchen::List::OnHand, parent) {}
};

class CProductsAlwaysList : public CKitchenList {
    Q_OBJECT
public:
    explicit CProductsAlwaysList(Database& db, QWidget* parent = nullptr)
        : CKitchenList(db, kitchen::List::Always, parent) {}
};

// "Количество блюд": the number of servings of one dish, 1 to 1000000.
class CRecipeQuantity : public QDialog {
    Q_OBJECT
public:
    CRecipeQuantity(const QString& title, int servings, QWidget* parent = nullptr);
    int servings() const { return m_servings; }

private:
    void confirm();

    int m_servings;
    QLineEdit* m_edit;
};

// "Меню": the dishes with their servings; change, remove, clear.
class CMenuForm : public QDialog {
    Q_OBJECT
public:
    static constexpr int kServingsColumnWidth = 40;

    explicit CMenuForm(Database& db, QWidget* parent = nullptr);
    QTreeWidget* list() const { return m_list; }

protected:
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void fitColumns();
    int selectedRecipe() const; // 0 after telling the user nothing is selected
    void changeServings();
    void removeDish();
    void clearMenu();

    Database& m_db;
    QTreeWidget* m_list;
};
