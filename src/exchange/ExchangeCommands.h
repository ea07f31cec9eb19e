#pragma once

#include <QString>

class CCatalogView;
class Database;
class QWidget;

// "Экспорт раздела", "Экспорт всего содержания" and "Импорт" of the main window.
class ExchangeCommands {
public:
    ExchangeCommands(Database& db, CCatalogView& tree, QWidget* window)
        : m_db(db), m_tree(tree), m_window(window) {}

    void exportSection();
    void exportAll();
    void importFile();

private:
    void exportTo(int section, bool whole, const QString& sectionName);

    Database& m_db;
    CCatalogView& m_tree;
    QWidget* m_window;
};
