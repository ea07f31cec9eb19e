#pragma once

#include "SearchStore.h"

#include <functional>
#include <vector>

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
    // Empties the list, runs the query, and lists what it found (or says nothing was).
    void showResults(const std::function<std::vector<search::Found>()>& query);

    Database& m_db;
    CCatalogView& m_tree;
    CFoundListView& m_results;
    QWidget* m_window;
};
