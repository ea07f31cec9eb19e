#include "HelpWindow.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QTextBrowser>
#include <QVBoxLayout>

HelpWindow::HelpWindow(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("helpWindow"));
    setWindowTitle(QStringLiteral("Справка — Ovelta"));
    m_browser = new QTextBrowser(this);
    m_browser->setObjectName(QStringLiteral("helpBrowser"));
    m_browser->setOpenExternalLinks(false);
    auto buttons = new QDialogButtonBox(this);
    auto back = buttons->addButton(QStringLiteral("Назад"), QDialogButtonBox::ActionRole);
    auto home = buttons->addButton(QStringLiteral("Содержание"), QDialogButtonBox::ActionRole);
    auto close = buttons->addButton(QStringLiteral("Закрыть"), QDialogButtonBox::RejectRole);
    connect(back, &QPushButton::clicked, m_browser, &QTextBrowser::backward);
    connect(home, &QPushButton::clicked, this, &HelpWindow::showContents);
    connect(close, &QPushButton::clicked, this, &QDialog::close);
    auto layout = new QVBoxLayout(this);
    layout->addWidget(m_browser);
    layout->addWidget(buttons);
    resize(640, 560);
}

void HelpWindow::showContents() {
    m_browser->setSource(QUrl(QStringLiteral("qrc:/help/index.html")));
    show();
    raise();
    activateWindow();
}
