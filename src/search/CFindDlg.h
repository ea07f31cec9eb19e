#pragma once

#include <QDialog>

class QLineEdit;

// "Поиск рецепта": the text to look for in recipe names.
class CFindDlg : public QDialog {
    Q_OBJECT
public:
    explicit CFindDlg(QWidget* parent = nullptr);
    QString text() const;

private:
    void search();
    QLineEdit* m_text;
};
