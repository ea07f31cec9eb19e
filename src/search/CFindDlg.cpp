#include "CFindDlg.h"

#include "ui/Prompts.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

CFindDlg::CFindDlg(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("findDialog"));
    setWindowTitle(QStringLiteral("Поиск рецепта"));
    m_text = new QLineEdit(this);
    m_text->setObjectName(QStringLiteral("text"));
    auto note = new QLabel(QStringLiteral("Примечание:\n\"_\" - любой символ\n"
                                          "\"%\" - любая последовательность символов"),
                           this);
    note->setObjectName(QStringLiteral("note"));
    auto buttons = new QDialogButtonBox(this);
    QPushButton* find = buttons->addButton(QStringLiteral("Искать"), QDialogButtonBox::AcceptRole);
    find->setObjectName(QStringLiteral("findButton"));
    find->setDefault(true);
    QPushButton* cancel =
        buttons->addButton(QStringLiteral("Отмена"), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("cancelButton"));
    connect(buttons, &QDialogButtonBox::accepted, this, &CFindDlg::search);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto layout = new QVBoxLayout(this);
    layout->addWidget(m_text);
    layout->addWidget(note);
    layout->addWidget(buttons);
    setMinimumWidth(360);
    m_text->setFocus();
}

QString CFindDlg::text() const {
    return m_text->text();
}

void CFindDlg::search() {
    if (m_text->text().isEmpty()) {
        Prompts::message(this, QStringLiteral("Введите строку для поиска"),
                         QStringLiteral("Ошибка"), Prompts::Icon::None, Prompts::Buttons::Ok);
        m_text->setFocus();
        return;
    }
    accept();
}
