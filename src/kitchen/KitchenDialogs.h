#pragma once

#include "nutrition/NutritionStore.h"

#include <unordered_map>

#include "KitchenStore.h"

#include <QDialog>
#include <optional>
#include <set>

class Database;
class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QSpinBox;
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
    // "Складывать в граммах": how the menu's product list adds up a product's amounts.
    static bool sumsInGrams();
    static void setSumsInGrams(bool on);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void fitColumns();
    int selectedRecipe() const; // 0 after telling the user nothing is selected
    void changeServings();
    void removeDish();
    void clearMenu();
    void showFood();

    Database& m_db;
    QTreeWidget* m_list;
    QLabel* m_food;
    QCheckBox* m_grams;
    std::unordered_map<int, nutrition::RecipeFood> m_foods; // by recipe
};

// "Чего не хватает?": the recipes that lack at most one, two or three products, and what
// they lack. A chosen row shows its recipe; its missing products go to the shopping list.
class CMissingList : public QDialog {
    Q_OBJECT
public:
    explicit CMissingList(Database& db, QWidget* parent = nullptr);
    QListWidget* list() const { return m_list; }
    void reload();

signals:
    void recipeChosen(int recipe);
    void addToMenuRequested(int recipe);

private:
    // The chosen row, nullopt after telling the user nothing is chosen.
    std::optional<kitchen::MissingDish> chosen();
    void addToShoppingList();

    Database& m_db;
    QSpinBox* m_max;
    QListWidget* m_list;
    QLabel* m_status;
    std::vector<kitchen::MissingDish> m_rows;
};

// "Список покупок": what to buy, with a check box for each row bought. The menu's list
// keeps its marks in the collection; a list for other dishes (the plan's days) keeps them
// while it is open, under its own title.
class CShoppingList : public QDialog {
    Q_OBJECT
public:
    explicit CShoppingList(Database& db, QWidget* parent = nullptr);
    // For these dishes alone; the note, when there is one, stands above the list.
    CShoppingList(Database& db, const QString& title, std::vector<kitchen::Portion> dishes,
                  const QString& note, QWidget* parent = nullptr);
    QListWidget* list() const { return m_list; }

private:
    void build(const QString& title, const QString& note);
    std::vector<kitchen::ShoppingItem> items();
    QString listText();
    void reload();
    void clearBought();
    void boughtToOnHand();
    void copy();
    void print();
    void save();

    Database& m_db;
    QListWidget* m_list = nullptr;
    std::optional<std::vector<kitchen::Portion>> m_dishes;
    std::set<int> m_bought, m_cleared; // of a list for other dishes
};
