#pragma once

class CCatalogView;
class CFoundListView;
class Database;
class QWidget;

// Find recipes by name or by product into the results list, and find the chosen result
// in the catalog tree.
class SearchCommands {
public:
    SearchCommands(Database& db, CCatalogView& tree, CFoundListView& results, QWidget* window)
        : m_db(db), m_tree(tree), m_results(results), m_window(window) {}

    void findByName();
    void findByProduct();
    void locateInCatalog();

private:
    Database& m_db;
    CCatalogView& m_tree;
    CFoundListView& m_results;
    QWidget* m_window;
};
