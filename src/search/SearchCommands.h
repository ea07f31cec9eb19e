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
    // What the search box asks for as the user types: the rows it finds, quietly (an empty
    // text or no match empties the list).
    void searchAsTyped(const QString& text, bool inText);
    // Before a search in the texts: the recipes changed since the index was last brought up
    // to date are indexed again, with the progress window when there are many.
    void catchUpTextIndex();

private:
    // Empties the list, runs the query, and lists what it found (or says nothing was).
    void showResults(const std::function<std::vector<search::Found>()>& query);

    Database& m_db;
    CCatalogView& m_tree;
    CFoundListView& m_results;
    QWidget* m_window;
};
