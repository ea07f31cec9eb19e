#pragma once

#include "SearchStore.h"

#include <functional>
#include <memory>
#include <vector>

class CCatalogView;
class CFoundListView;
class Database;
class QWidget;
class TextIndexBuilder;

// Find recipes by name or by product into the results list, and find the chosen result
// in the catalog tree.
class SearchCommands {
public:
    SearchCommands(Database& db, CCatalogView& tree, CFoundListView& results, QWidget* window);
    ~SearchCommands();

    void findByName();
    void findByProduct();
    void locateInCatalog();
    // What the search box asks for as the user types: the rows it finds, quietly (an empty
    // text or no match empties the list).
    void searchAsTyped(const QString& text, bool inText);
    // Before a search in the texts: the recipes changed since the index was last brought up
    // to date are indexed again, with the progress window when there are many.
    void catchUpTextIndex();
    // At start-up: a few recipes waiting are indexed at once; a large backlog (a generated or
    // imported collection, an older file) is built beside the window, its progress in the
    // status bar, while the search by name works as ever.
    void buildTextIndex();
    bool textIndexBuilding() const;

private:
    // Empties the list, runs the query, and lists what it found (or says nothing was).
    void showResults(const std::function<std::vector<search::Found>()>& query);

    Database& m_db;
    CCatalogView& m_tree;
    CFoundListView& m_results;
    QWidget* m_window;
    std::unique_ptr<TextIndexBuilder> m_builder;
};
