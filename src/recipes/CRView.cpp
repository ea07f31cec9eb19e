#include "CRView.h"

#include "RecipeDocument.h"
#include "RtfReader.h"
#include "Servings.h"
#include "nutrition/NutritionStore.h"
#include "photos/PhotoStore.h"
#include "ui/Commands.h"

#include <QClipboard>
#include <QDragEnterEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMimeData>
#include <QScreen>
#include <algorithm>

#include <QAbstractTextDocumentLayout>
#include <QAction>
#include <QPageLayout>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QUrl>
#include <memory>

CRView::CRView(Database& db, QWidget* parent) : QTextEdit(parent), m_db(db) {
    setObjectName(QStringLiteral("recipeView"));
    setReadOnly(true);
    setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    setLineWrapMode(QTextEdit::WidgetWidth);
    setUndoRedoEnabled(false);
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
}

namespace {

constexpr const char* kPhotoName = "ovelta-photo:recipe";

std::function<bool(QPrinter*)>& printDialogForTests() {
    static std::function<bool(QPrinter*)> dialog;
    return dialog;
}

} // namespace

void CRView::setPrintDialogForTests(std::function<bool(QPrinter*)> dialog) {
    printDialogForTests() = std::move(dialog);
}

bool CRView::ShowRecipe(int recipeId) {
    m_currentRecipe = recipeId;
    // Read everything first: a failing read leaves the pane as it was.
    std::optional<PresentedRecipe> shown;
    if (recipeId > 0 && m_presenter)
        shown = m_presenter(recipeId);
    if (!shown && recipeId > 0)
        if (std::optional<RecipeContent> content = loadRecipeContent(m_db, recipeId))
            shown = PresentedRecipe{std::move(*content),
                                    recipes::servingsLine(recipes::servingsOf(m_db, recipeId)), 1};
    const QByteArray rtf = shown ? recipeRtf(shown->content) : QByteArray();
    loadRtf(rtf);
    showTopBar(!rtf.isEmpty());
    if (!rtf.isEmpty()) {
        showFoodValue(shown->factor);
        // Under the title: what the scaling says, and what others have to say of the recipe
        // (when it was last cooked).
        QStringList notes;
        if (!shown->note.isEmpty())
            notes << shown->note;
        if (const QString more = m_moreNote ? m_moreNote(recipeId) : QString(); !more.isEmpty())
            notes << more;
        showNote(notes.join(QChar::LineSeparator));
        showPhoto();
    }
    return !rtf.isEmpty();
}

void CRView::ShowMenuProductList(const QByteArray& document) {
    m_currentRecipe = 0;
    loadRtf(document);
    // The servings and the grams belong to a recipe, not to the menu's list.
    showTopBar(false);
}

void CRView::loadRtf(const QByteArray& rtf) {
    m_rtf = rtf;
    m_photoSize = QSize();
    m_photoLoaded = QSize();
    m_photoAt = -1;
    if (rtf.isEmpty()) {
        document()->clear();
        return;
    }
    readRtf(rtf, document());
    alignTabStops(document());
}

void CRView::printTo(QPrinter* printer) const {
    printer->setPageMargins(QMarginsF(kPageMarginMm, kPageMarginMm, kPageMarginMm, kPageMarginMm),
                            QPageLayout::Millimeter);
    // Laid out on the printer's own page, the document keeps exactly these margins; left
    // to itself the text engine would add two centimetres more and page numbers.
    std::unique_ptr<QTextDocument> copy(document()->clone());
    copy->setDocumentMargin(0);
    copy->documentLayout()->setPaintDevice(printer);
    copy->setPageSize(printer->pageRect(QPrinter::DevicePixel).size());
    // On paper the photo takes the page's width, the whole picture, as on the screen.
    QImage full;
    if (m_photoAt >= 0 && m_currentRecipe > 0)
        if (const auto bytes = photos::photoBytes(m_db, m_currentRecipe); bytes)
            full.loadFromData(*bytes);
    if (!full.isNull()) {
        copy->addResource(QTextDocument::ImageResource, QUrl(QString::fromLatin1(kPhotoName)),
                          full);
        // Picture sizes count in screen points, which the printer enlarges to its own.
        const double ratio = printer->logicalDpiX() / 96.0;
        fitPhoto(copy.get(), copy->pageSize() / ratio);
    }
    copy->print(printer);
}

// Under the ingredients (the document's third paragraph, after the title and a blank one),
// in their small italic: shown and printed, never part of the recipe's document bytes.
void CRView::showFoodValue(double factor) {
    nutrition::RecipeFood food = nutrition::recipeFood(m_db, m_currentRecipe);
    food.grams *= factor;
    for (double* figure :
         {&food.total.kcal, &food.total.protein, &food.total.fat, &food.total.carbs})
        *figure *= factor;
    const QString text = nutrition::foodText(food);
    const QTextBlock lines = document()->findBlockByNumber(2);
    if (text.isEmpty() || !lines.isValid())
        return;
    QTextCursor cursor(lines);
    cursor.movePosition(QTextCursor::EndOfBlock);
    QTextCharFormat small = cursor.charFormat();
    small.setFontItalic(true);
    QTextBlockFormat block = lines.blockFormat();
    block.setTopMargin(4);
    block.setBottomMargin(8);
    cursor.insertBlock(block, small);
    cursor.insertText(QString(text).replace(QLatin1Char('\n'), QChar::LineSeparator), small);
}

// Under the title, in the lines' small italic: what the servings are, or what the scaling
// did. Shown and printed, never part of the recipe's document bytes.
void CRView::showNote(const QString& note) {
    if (note.isEmpty())
        return;
    QTextCursor cursor(document()->firstBlock());
    cursor.movePosition(QTextCursor::EndOfBlock);
    QTextCharFormat format;
    format.setFontItalic(true);
    format.setFontPointSize(std::max(8.0, cursor.charFormat().fontPointSize() * 0.6));
    QTextBlockFormat block;
    block.setTopMargin(2);
    cursor.insertBlock(block, format);
    cursor.insertText(note, format);
}

void CRView::setTopBar(QWidget* bar) {
    m_topBar = bar;
    bar->setParent(this);
    bar->setVisible(m_currentRecipe > 0 && !m_rtf.isEmpty());
    placeTopBar();
}

void CRView::showTopBar(bool on) {
    if (!m_topBar || m_topBar->isVisibleTo(this) == on)
        return;
    m_topBar->setVisible(on);
    placeTopBar();
}

void CRView::placeTopBar() {
    if (!m_topBar)
        return;
    const int height = m_topBar->isVisibleTo(this) ? m_topBar->sizeHint().height() : 0;
    setViewportMargins(0, height, 0, 0);
    const QRect inside = contentsRect();
    m_topBar->setGeometry(inside.left(), inside.top(), inside.width(), height);
}

// Under the title (the document's first paragraph), the whole photo: never wider than
// the pane or the picture, never taller than half the pane. The small copy serves while
// the photo shows no wider than it: several times quicker to read than the full one.
void CRView::showPhoto() {
    const std::optional<QSize> size = photos::photoSize(m_db, m_currentRecipe);
    if (!size || size->isEmpty())
        return;
    m_photoSize = *size;
    QTextCursor cursor(document()->firstBlock());
    cursor.movePosition(QTextCursor::EndOfBlock);
    QTextBlockFormat centred;
    centred.setAlignment(Qt::AlignHCenter);
    centred.setTopMargin(6);
    centred.setBottomMargin(6);
    cursor.insertBlock(centred, QTextCharFormat());
    m_photoAt = cursor.position();
    QTextImageFormat image;
    image.setName(QString::fromLatin1(kPhotoName));
    cursor.insertImage(image);
    loadPhotoFor(fitPhoto(document(), viewport()->size()));
}

// The copy that shows width points sharply, read when the one in the document is smaller.
void CRView::loadPhotoFor(double width) {
    if (m_photoAt < 0 || (m_photoLoaded.isValid() && m_photoLoaded.width() >= width) ||
        m_photoLoaded == m_photoSize)
        return;
    const photos::Copy which =
        width <= photos::kSmallWidth ? photos::Copy::Small : photos::Copy::Full;
    QImage picture;
    const auto bytes = photos::photoBytes(m_db, m_currentRecipe, which);
    if (!bytes || !picture.loadFromData(*bytes))
        return;
    m_photoLoaded = picture.size();
    document()->addResource(QTextDocument::ImageResource, QUrl(QString::fromLatin1(kPhotoName)),
                            picture);
    fitPhoto(document(), viewport()->size());
}

double CRView::fitPhoto(QTextDocument* doc, const QSizeF& area) const {
    if (m_photoSize.isEmpty() || m_photoAt < 0)
        return 0;
    QTextCursor cursor(doc);
    cursor.setPosition(m_photoAt);
    cursor.setPosition(m_photoAt + 1, QTextCursor::KeepAnchor);
    QTextImageFormat image = cursor.charFormat().toImageFormat();
    if (!image.isValid())
        return 0;
    const double width = std::max(1.0, area.width() - 2 * doc->documentMargin() - 4);
    const double height = std::max(1.0, area.height() / 2);
    const double scale =
        std::min({1.0, width / m_photoSize.width(), height / m_photoSize.height()});
    image.setWidth(m_photoSize.width() * scale);
    image.setHeight(m_photoSize.height() * scale);
    cursor.setCharFormat(image);
    return image.width();
}

// A picture dropped or pasted on a recipe is offered as its photo; the window decides.
bool CRView::offerPicture(const QMimeData* mime) {
    if (m_currentRecipe <= 0 || !mime)
        return false;
    if (mime->hasUrls())
        for (const QUrl& url : mime->urls())
            if (url.isLocalFile()) {
                emit pictureFileOffered(url.toLocalFile());
                return true;
            }
    if (mime->hasImage()) {
        const QImage image = qvariant_cast<QImage>(mime->imageData());
        if (!image.isNull()) {
            emit pictureOffered(image);
            return true;
        }
    }
    return false;
}

void CRView::dragEnterEvent(QDragEnterEvent* event) {
    if (m_currentRecipe > 0 && (event->mimeData()->hasUrls() || event->mimeData()->hasImage()))
        event->acceptProposedAction();
    else
        QTextEdit::dragEnterEvent(event);
}

void CRView::dragMoveEvent(QDragMoveEvent* event) {
    if (m_currentRecipe > 0 && (event->mimeData()->hasUrls() || event->mimeData()->hasImage()))
        event->acceptProposedAction();
    else
        QTextEdit::dragMoveEvent(event);
}

void CRView::dropEvent(QDropEvent* event) {
    if (offerPicture(event->mimeData()))
        event->acceptProposedAction();
    else
        QTextEdit::dropEvent(event);
}

void CRView::keyPressEvent(QKeyEvent* event) {
    if (event->matches(QKeySequence::Paste) &&
        offerPicture(QGuiApplication::clipboard()->mimeData())) {
        event->accept();
        return;
    }
    QTextEdit::keyPressEvent(event);
}

void CRView::resizeEvent(QResizeEvent* event) {
    QTextEdit::resizeEvent(event);
    placeTopBar();
    loadPhotoFor(fitPhoto(document(), viewport()->size()));
}

void CRView::print() {
    QPrinter printer(QPrinter::HighResolution);
    if (printDialogForTests()) {
        if (!printDialogForTests()(&printer))
            return;
    } else {
        QPrintDialog dialog(&printer, this);
        dialog.setWindowTitle(QStringLiteral("Печать"));
        if (dialog.exec() != QDialog::Accepted)
            return;
    }
    printTo(&printer);
}

void CRView::printPreview() {
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageMargins(QMarginsF(kPageMarginMm, kPageMarginMm, kPageMarginMm, kPageMarginMm),
                           QPageLayout::Millimeter);
    QPrintPreviewDialog preview(&printer, this);
    preview.setObjectName(QStringLiteral("printPreview"));
    preview.setWindowTitle(QStringLiteral("Предварительный просмотр"));
    connect(&preview, &QPrintPreviewDialog::paintRequested, this,
            [this](QPrinter* p) { printTo(p); });
    // A page's shape where the screen allows, never beyond what the screen shows.
    const QRect screen = this->screen()->availableGeometry();
    preview.resize(std::min(800, screen.width() * 9 / 10), std::min(900, screen.height() * 9 / 10));
    preview.exec();
}
