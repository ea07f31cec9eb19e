#pragma once

#include <QDialog>
#include <functional>

class Database;
class QPushButton;
class QTreeWidget;

// "Корзина": what was deleted, from where and when; put back or emptied from here.
class TrashWindow : public QDialog {
    Q_OBJECT
public:
    // restore puts an entry back and shows it in the tree; false when it could not.
    TrashWindow(Database& db, std::function<bool(qint64)> restore, QWidget* parent = nullptr);

private:
    void reload();
    void restoreChosen();
    void emptyTrash();

    Database& m_db;
    std::function<bool(qint64)> m_restore;
    QTreeWidget* m_list;
    QPushButton* m_restoreButton;
    QPushButton* m_emptyButton;
};
