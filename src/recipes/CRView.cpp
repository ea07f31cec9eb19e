#include "CRView.h"

#include "RecipeDocument.h"
#include "RtfReader.h"
#include "ui/Commands.h"

#include <QScreen>
#include <algorithm>

#include <QAbstractTextDocumentLayout>
#include <QAction>
#include <QPageLayout>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QTextDocument>
#include <memory>

CRView::CRView(Database& db, QWidget* parent) : QTextEdit(parent), m_db(db) {
    setObjectName(QStringLiteral("recipeView"));
    setReadOnly(true);
    setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    setLineWrapMode(QTextEdit::WidgetWidth);
    setUndoRedoEnabled(false);
}

namespace {

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
    const QByteArray rtf = recipeId > 0 ? recipeRtf(m_db, recipeId) : QByteArray();
    loadRtf(rtf);
    return !rtf.isEmpty();
}

void CRView::ShowMenuProductList(const QByteArray& document) {
    m_currentRecipe = 0;
    loadRtf(document);
}

void CRView::loadRtf(const QByteArray& rtf) {
    m_rtf = rtf;
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
    copy->print(printer);
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
