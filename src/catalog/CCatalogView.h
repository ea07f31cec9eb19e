#pragma once

#include <QTreeWidget>

class Database;

// The catalog tree: sections with their recipes, in the left pane.
class CCatalogView : public QTreeWidget {
    Q_OBJECT
public:
    explicit CCatalogView(Database& db, QWidget* parent = nullptr);

private:
    Database& m_db;
};
