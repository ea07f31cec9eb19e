#include "CRView.h"

#include "RecipeDocument.h"
#include "RtfReader.h"
#include "ui/Commands.h"

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

    auto addCommand = [this](int id, const QKeySequence& keys, auto handler) {
        auto action = new QAction(this);
        action->setData(id);
        action->setShortcut(keys);
        action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        connect(action, &QAction::triggered, this, handler);
        addAction(action);
    };
    addCommand(ID_FILE_PRINT, QKeySequence(Qt::CTRL | Qt::Key_P), [this] { print(); });
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
    QPrintDialog dialog(&printer, this);
    dialog.setWindowTitle(QStringLiteral("Печать"));
    if (dialog.exec() != QDialog::Accepted)
        return;
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
    preview.resize(800, 900);
    preview.exec();
}
