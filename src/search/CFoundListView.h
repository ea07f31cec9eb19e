#pragma once

#include <QTreeWidget>

class Database;

// The search results: recipe names in the order they were found, in the right pane.
class CFoundListView : public QTreeWidget {
    Q_OBJECT
public:
    explicit CFoundListView(Database& db, QWidget* parent = nullptr);

private:
    Database& m_db;
};
