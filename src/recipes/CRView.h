#pragma once

#include "RecipeDocument.h"

#include <QByteArray>
#include <QSize>
#include <QTextEdit>
#include <functional>

class Database;
class QPrinter;

// A recipe as it is to be shown instead of as stored: scaled, with grams beside its lines.
struct PresentedRecipe {
    RecipeContent content;
    QString note;      // under the title: the servings, or what the scaling did
    double factor = 1; // the food value follows it
};

// The recipe view: one formatted document at a time, read-only, in the middle pane.
class CRView : public QTextEdit {
    Q_OBJECT
public:
    static constexpr double kPageMarginMm = 12.7; // 720 twips on every side

    explicit CRView(Database& db, QWidget* parent = nullptr);

    // Shows the recipe; false (and a blank pane) when there is no such recipe.
    bool ShowRecipe(int recipeId);
    // Gives the recipe as it is to be shown; nothing shows it as stored.
    using Presenter = std::function<std::optional<PresentedRecipe>(int recipeId)>;
    void setPresenter(Presenter presenter) { m_presenter = std::move(presenter); }
    // A strip of controls over the document, which scrolls under it.
    void setTopBar(QWidget* bar);
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

    // The size of the photo shown under the title, empty when the recipe has none; and
    // the size of the copy read for showing it.
    QSize photoSize() const { return m_photoSize; }
    QSize photoLoaded() const { return m_photoLoaded; }

    // A line under the title besides the scaling's, for the recipe shown (when it was last
    // cooked, say); empty for none.
    void setMoreNote(std::function<QString(int)> note) { m_moreNote = std::move(note); }

signals:
    // A picture file dropped on the recipe, or a picture pasted or dropped from another
    // program: offered as the shown recipe's photo.
    void pictureFileOffered(const QString& path);
    void pictureOffered(const QImage& image);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void showFoodValue(double factor);
    void showNote(const QString& note);
    void placeTopBar();
    // The bar stands over a recipe only.
    void showTopBar(bool on);
    void showPhoto();
    bool offerPicture(const class QMimeData* data);
    // Sizes the photo to the area; gives the width it shows at.
    double fitPhoto(QTextDocument* document, const QSizeF& area) const;
    void loadPhotoFor(double width);

    Database& m_db;
    Presenter m_presenter;
    QWidget* m_topBar = nullptr;
    int m_currentRecipe = 0;
    QByteArray m_rtf;
    QSize m_photoSize;
    QSize m_photoLoaded;
    int m_photoAt = -1; // where the photo stands in the document
    std::function<QString(int)> m_moreNote;
};
