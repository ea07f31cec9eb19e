#pragma once

#include <QDialog>

class Database;
class QLineEdit;
class QRadioButton;

// "Раздел не пустой.": delete everything in it, or move its contents up a level.
class CDeleteCatalogDlg : public QDialog {
    Q_OBJECT
public:
    explicit CDeleteCatalogDlg(QWidget* parent = nullptr);
    bool moveContents() const { return m_moveContents; }

private:
    bool m_moveContents = true;
    QRadioButton* m_deleteAll;
    QRadioButton* m_moveUp;
};

// The section name dialog. It writes its change itself when "Да" is pressed.
class CCatalogForm : public QDialog {
    Q_OBJECT
public:
    enum Mode { New = 0, Rename = 1, Delete = 2 };

    CCatalogForm(Database& db, Mode mode, int sectionId, int parentId, QWidget* parent = nullptr);

    // Asks the choice for a non-empty section first (delete mode), then shows the dialog.
    int run();

    QString name() const;
    int sectionId() const { return m_sectionId; }
    int parentId() const { return m_parentId; }
    bool moveContents() const { return m_choice.moveContents(); }
    CDeleteCatalogDlg& choiceDialog() { return m_choice; }

private:
    void confirm();

    Database& m_db;
    Mode m_mode;
    int m_sectionId;
    int m_parentId;
    bool m_rowExists = false;
    QLineEdit* m_name;
    CDeleteCatalogDlg m_choice;
};
