#pragma once

#include "data/Database.h"
#include "photos/PhotoImage.h"

#include <QDialog>
#include <memory>

class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;

// The recipe editor: name, ingredient lines, method and photo. A whole visit is one
// transaction: "Да" keeps everything written meanwhile, "Нет", Esc or the close box undo
// it, products and units created on the way and a changed photo included.
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
    void choosePhoto();
    void dropPhoto();
    void showPhoto(const QByteArray& bytes);
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
    QLineEdit* m_servings;
    QListWidget* m_lines;
    QPlainTextEdit* m_text;
    QLabel* m_photo;
    QPushButton* m_dropPhoto;
    // The photo is written with the recipe on "Да": a new recipe has no number before.
    enum class PhotoChange { None, Set, Remove } m_photoChange = PhotoChange::None;
    photos::Photo m_newPhoto;
    std::unique_ptr<Transaction> m_transaction;
    bool m_changed = false;
};
