#include "CSearchBox.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>

CSearchBox::CSearchBox(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("searchBox"));
    m_field = new QLineEdit(this);
    m_field->setObjectName(QStringLiteral("searchField"));
    m_field->setPlaceholderText(QStringLiteral("Найти рецепт (Ctrl+F)"));
    m_field->setClearButtonEnabled(true);
    m_field->setMinimumWidth(140);
    m_field->setMaximumWidth(260);
    m_field->installEventFilter(this);
    // A check box, not a toggle button: whether the words are looked for in the texts must
    // be plain to see in every style.
    m_inText = new QCheckBox(this);
    m_inText->setObjectName(QStringLiteral("inTextToggle"));
    m_inText->setText(QStringLiteral("в тексте"));
    m_inText->setToolTip(
        QStringLiteral("Искать слова в названиях, продуктах и описаниях рецептов"));
    m_inText->setFocusPolicy(Qt::NoFocus);
    auto layout = new QHBoxLayout(this);
    layout->setContentsMargins(4, 0, 4, 0);
    layout->setSpacing(2);
    layout->addWidget(m_field, 1);
    layout->addWidget(m_inText);
    connect(m_field, &QLineEdit::textChanged, this,
            [this](const QString& text) { emit searchRequested(text, inText()); });
    // Switched with nothing typed, the list keeps what it shows (what to cook, a product's
    // recipes); with a text, the same text is looked for the other way.
    connect(m_inText, &QCheckBox::toggled, this, [this](bool on) {
        if (!m_field->text().trimmed().isEmpty())
            emit searchRequested(m_field->text(), on);
    });
}

bool CSearchBox::inText() const {
    return m_inText->isChecked();
}

void CSearchBox::setInText(bool on) {
    m_inText->setChecked(on);
}

void CSearchBox::takeFocus() {
    m_field->setFocus(Qt::ShortcutFocusReason);
    m_field->selectAll();
}

bool CSearchBox::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_field && event->type() == QEvent::KeyPress) {
        switch (static_cast<QKeyEvent*>(event)->key()) {
        case Qt::Key_Down:
        case Qt::Key_Return:
        case Qt::Key_Enter:
            emit resultsWanted();
            return true;
        case Qt::Key_Escape:
            m_field->clear();
            return true;
        default:
            break;
        }
    }
    return QWidget::eventFilter(watched, event);
}
