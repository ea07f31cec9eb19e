#pragma once

#include <QByteArray>
#include <QTextEdit>
#include <functional>

class Database;
class QPrinter;

// The recipe view: one formatted document at a time, read-only, in the middle pane.
class CRView : public QTextEdit {
    Q_OBJECT
public:
    static constexpr double kPageMarginMm = 12.7; // 720 twips on every side

    explicit CRView(Database& db, QWidget* parent = nullptr);

    // Shows the recipe; false (and a blank pane) when there is no such recipe.
    bool ShowRecipe(int recipeId);
    // Shows the menu's product list (built by the kitchen); no recipe is current then.
    void ShowMenuProductList(const QByteArray& document);
    int CurrentRecipeId() const { return m_currentRecipe; }
    // Replaces the whole content with an RTF document.
    void loadRtf(const QByteArray& rtf);
    const QByteArray& documentRtf() const { return m_rtf; }

    // Lays the document out on the printer's page within the margins and prints it.
    void printTo(QPrinter* printer) const;
    void print();        // the print dialog first
    void printPreview(); // the page as it will print

    // For tests: stands in for the print dialog. It may set the printer up (to a file,
    // say) and answers whether to print.
    static void setPrintDialogForTests(std::function<bool(QPrinter*)> dialog);

private:
    Database& m_db;
    int m_currentRecipe = 0;
    QByteArray m_rtf;
};
