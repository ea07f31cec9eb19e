#pragma once

#include "data/Database.h"

#include <QDialog>
#include <memory>

class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;

// The recipe editor: name, ingredient lines and method. A whole visit is one
// transaction: "Да" keeps everything written meanwhile, "Нет", Esc or the close box undo
// it, products and units created on the way included.
class CRecipeForm : public QDialog {
    Q_OBJECT
public:
    enum Mode { New = 0, Edit = 1, Delete = 2 };
    static constexpr int kMaxNameLength = 255;
    static constexpr int kMaxTextLength = 65535;

    // For a new recipe `recipe` is ignored and `section` says where it goes.
    CRecipeForm(Database& db, Mode mode, int recipe, int section = 0, QWidget* parent = nullptr);
    ~CRecipeForm() override;

    int recipe() const { return m_recipe; }
    int section() const { return m_section; }
    QString name() const;

    void reject() override;

protected:
    // Escape after a change asks before the changes are undone.
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void addLine();
    void changeLine();
    void deleteLine();
    void confirm();
    // After an error that made the engine drop the visit's transaction: says so, closes
    // the editor and returns true.
    bool closeIfTransactionLost();
    void appendEntry(const QString& text, int lineId);
    class QListWidgetItem* selectedLine() const;

    Database& m_db;
    Mode m_mode;
    int m_recipe;
    int m_section;
    QLineEdit* m_name;
    QListWidget* m_lines;
    QPlainTextEdit* m_text;
    std::unique_ptr<Transaction> m_transaction;
    bool m_changed = false;
};
