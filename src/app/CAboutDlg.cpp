#include "CAboutDlg.h"

#include "data/Records.h"
#include "ui/Icons.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

QString CAboutDlg::countText(qint64 recipes) {
    return QStringLiteral("В базе %1 рецептов.").arg(recipes);
}

CAboutDlg::CAboutDlg(Database& db, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("aboutDialog"));
    setWindowTitle(QStringLiteral("О программе"));

    auto icon = new QLabel(this);
    icon->setPixmap(applicationPixmap(32));
    auto product = new QLabel(QStringLiteral("Ovelta 3.01"), this);
    product->setObjectName(QStringLiteral("productLine"));

    CRecipesset recipes(db);
    m_count = new QLabel(countText(recipes.count()), this);
    m_count->setObjectName(QStringLiteral("countLine"));

    auto close = new QPushButton(QStringLiteral("Закрыть"), this);
    close->setObjectName(QStringLiteral("closeButton"));
    close->setDefault(true);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);

    auto grid = new QGridLayout(this);
    grid->addWidget(icon, 0, 0, 2, 1, Qt::AlignTop);
    grid->addWidget(product, 0, 1);
    grid->addWidget(m_count, 1, 1);
    grid->addWidget(close, 0, 2, Qt::AlignTop);
    grid->setColumnStretch(1, 1);
    grid->setHorizontalSpacing(16);
    setMinimumWidth(360);
}

QString CAboutDlg::countLine() const {
    return m_count->text();
}
