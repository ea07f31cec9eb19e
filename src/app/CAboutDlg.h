#pragma once

#include <QDialog>

class Database;
class QLabel;

// "О программе": the product line and how many recipes the collection holds.
class CAboutDlg : public QDialog {
    Q_OBJECT
public:
    explicit CAboutDlg(Database& db, QWidget* parent = nullptr);
    QString countLine() const;

    static QString countText(qint64 recipes);

private:
    QLabel* m_count;
};
