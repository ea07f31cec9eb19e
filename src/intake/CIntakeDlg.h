#pragma once

#include "IntakeStore.h"
#include "RecipeReader.h"
#include "photos/PhotoImage.h"

#include <QDialog>
#include <memory>

class Database;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QTableWidget;
class CCatalogView;

// "Рецепт из файла или текста": a recipe read from a saved page, a JSON file or pasted
// text, shown for checking before anything is stored. "Сохранить" stores it in one
// transaction; "Отмена" stores nothing.
class CIntakeDlg : public QDialog {
    Q_OBJECT
public:
    CIntakeDlg(Database& db, int section, const QString& sectionName, QWidget* parent = nullptr);

    // Reads a file into the dialog; false (after telling the user why) when it holds no
    // recipe.
    bool loadFile(const QString& path);
    void loadText(const QString& text);
    // Shows what was read elsewhere (a page fetched from a link).
    void loadRead(const intake::ReadRecipe& read) { display(read); }
    int recipe() const { return m_recipe; }
    QString title() const;
    QTableWidget* lines() const { return m_lines; }

private:
    void display(const intake::ReadRecipe& read);
    // The lines as read and matched, and the method with their notes.
    void fillLines();
    // Marks the rows whose product or unit would be made new, as the cells now read.
    void markNew();
    void waitForDictionary();
    // The photo the file brought, made ready to store; a note when there is none to take.
    QString takePhoto(const intake::ReadRecipe& read);
    void chooseFile();
    void readPasted();
    void save();

    Database& m_db;
    int m_section;
    std::unique_ptr<intake::Matcher> m_matcher;
    QLineEdit* m_title;
    QLineEdit* m_yield;
    QTableWidget* m_lines;
    QPlainTextEdit* m_method;
    QPlainTextEdit* m_source;
    QLabel* m_notice;
    QLabel* m_photo;
    QCheckBox* m_takePhoto;
    std::optional<photos::Photo> m_found;
    int m_recipe = 0;
    intake::ReadRecipe m_read;
    QString m_readNotes; // what reading said: names cut, products or method missing
    bool m_edited = false;
    bool m_marking = false;
};

// The command: the dialog over the section selected in the tree, and the new recipe put
// into the tree and selected.
void importRecipe(Database& db, CCatalogView& tree, QWidget* window, const QString& path = {});
// "Рецепт по ссылке...": asks for the address (the clipboard's, when it holds a link),
// fetches the page and its photo with a window that can cancel, then the same preview.
void importRecipeFromLink(Database& db, CCatalogView& tree, QWidget* window);
