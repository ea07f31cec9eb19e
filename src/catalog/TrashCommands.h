#pragma once

#include "trash/TrashStore.h"

#include <QObject>
#include <QString>

class CCatalogView;
class Database;
class QPushButton;
class QWidget;

// The trash as the window offers it: the "Корзина" row beneath the tree, undoing the last
// delete, the trash's own window, and the old entries going at start-up.
class TrashCommands : public QObject {
    Q_OBJECT
public:
    TrashCommands(Database& db, CCatalogView& tree, QWidget* window);

    // Told by the delete commands: what went, so it can be undone.
    void deleted(qint64 entry, const QString& name);
    bool canUndo() const { return m_lastDeleted > 0; }
    // Puts back what the last delete took.
    void undoDelete();
    // The trash's window: what is in it, put back, empty it.
    void showTrash();
    // Removes what was deleted over 30 days ago; says nothing.
    void purgeOld(const QDateTime& now = QDateTime::currentDateTime());
    // The row that stands for the trash beneath the tree.
    QPushButton* trashRow() const { return m_row; }
    // Shows the count on the row again (after a restore of the whole collection, say).
    void refresh();

signals:
    void undoAvailable(bool);
    // Something came back: what shows lists of recipes may read them again.
    void restoredSomething();

private:
    // Puts an entry back and shows it in the tree, selected; false when it could not be.
    bool restoreEntry(qint64 entry);
    void reveal(const trash::Restored& restored);

    Database& m_db;
    CCatalogView& m_tree;
    QWidget* m_window;
    QPushButton* m_row;
    qint64 m_lastDeleted = 0;
};
