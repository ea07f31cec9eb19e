#pragma once

class CCatalogView;
class CFoundListView;
class CRView;
class Database;
class QWidget;

// The kitchen commands of the main window: the two product lists, what to cook, the
// menu with its dishes and the products the menu needs.
class KitchenCommands {
public:
    // The pane that had the focus last, which "Добавить в меню" takes its recipe from.
    enum class Pane { Catalog, Recipe, Results, Other };

    KitchenCommands(Database& db, CCatalogView& tree, CRView& view, CFoundListView& results,
                    QWidget* window)
        : m_db(db), m_tree(tree), m_view(view), m_results(results), m_window(window) {}

    void productsOnHand();
    void productsAlways();
    void whatToCook();
    void addToMenu(Pane active);
    void showMenu();
    void menuProductList();
    void whatIsMissing();
    void shoppingList();

private:
    int recipeOf(Pane active); // 0 after telling the user why there is none
    // The servings dialog for a recipe, and the menu row it confirms.
    void askServings(int recipe, QWidget* parent);

    Database& m_db;
    CCatalogView& m_tree;
    CRView& m_view;
    CFoundListView& m_results;
    QWidget* m_window;
};
