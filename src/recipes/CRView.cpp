#include "CRView.h"

CRView::CRView(Database& db, QWidget* parent) : QTextEdit(parent), m_db(db) {
    setObjectName(QStringLiteral("recipeView"));
    setReadOnly(true);
    setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    setLineWrapMode(QTextEdit::WidgetWidth);
}
