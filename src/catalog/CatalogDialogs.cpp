#include "CatalogDialogs.h"

#include "CatalogStore.h"
#include "data/DbError.h"
#include "ui/BusyCursor.h"
#include "ui/DialogButtons.h"
#include "ui/Prompts.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

CDeleteCatalogDlg::CDeleteCatalogDlg(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("deleteCatalogDialog"));
    setWindowTitle(QStringLiteral("Удаление раздела"));
    auto layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Раздел не пустой."), this));
    m_deleteAll = new QRadioButton(QStringLiteral("Удалить раздел со всем содержимым"), this);
    m_deleteAll->setObjectName(QStringLiteral("deleteAll"));
    m_moveUp = new QRadioButton(QStringLiteral("Перенести содержимое в родительский раздел"), this);
    m_moveUp->setObjectName(QStringLiteral("moveUp"));
    // Enter must never delete everything a section holds: moving it up loses nothing.
    m_moveUp->setChecked(true);
    layout->addWidget(m_deleteAll);
    layout->addWidget(m_moveUp);
    connect(m_deleteAll, &QRadioButton::clicked, this, [this] { m_moveContents = false; });
    connect(m_moveUp, &QRadioButton::clicked, this, [this] { m_moveContents = true; });
    auto buttons = new QDialogButtonBox(this);
    addDialogButton(buttons, QStringLiteral("Удалить"), QDialogButtonBox::AcceptRole,
                    "deleteButton")
        ->setDefault(true);
    addDialogButton(buttons, QStringLiteral("Отмена"), QDialogButtonBox::RejectRole,
                    "cancelButton");
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

CCatalogForm::CCatalogForm(Database& db, Mode mode, int sectionId, int parentId, QWidget* parent)
    : QDialog(parent), m_db(db), m_mode(mode), m_sectionId(sectionId), m_parentId(parentId),
      m_choice(this) {
    setObjectName(QStringLiteral("catalogForm"));
    m_name = new QLineEdit(this);
    m_name->setObjectName(QStringLiteral("name"));
    m_name->setMaxLength(255);
    auto form = new QFormLayout;
    auto label = new QLabel(QStringLiteral("&Название:"), this);
    label->setBuddy(m_name);
    form->addRow(label, m_name);
    QDialogButtonBox* buttons = yesNoButtons(this);
    connect(buttons, &QDialogButtonBox::accepted, this, &CCatalogForm::confirm);
    auto layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
    setMinimumWidth(360);

    switch (m_mode) {
    case New:
        setWindowTitle(m_parentId != 0 ? QStringLiteral("Новый подраздел")
                                       : QStringLiteral("Новый раздел"));
        break;
    case Rename:
        setWindowTitle(QStringLiteral("Переименовать раздел"));
        break;
    case Delete:
        setWindowTitle(QStringLiteral("Удалить раздел"));
        m_name->setReadOnly(true);
        m_name->setEnabled(false);
        break;
    }
    if (m_mode != New) {
        if (auto section = catalog::readSection(m_db, m_sectionId)) {
            m_rowExists = true;
            m_parentId = section->parent;
            m_name->setText(section->name);
        }
    }
}

int CCatalogForm::run() {
    if (m_mode == Delete && m_rowExists && catalog::hasContents(m_db, m_sectionId)) {
        if (m_choice.exec() != QDialog::Accepted)
            return QDialog::Rejected;
    }
    return exec();
}

QString CCatalogForm::name() const {
    return m_name->text();
}

void CCatalogForm::confirm() {
    try {
        switch (m_mode) {
        case New:
            m_sectionId = catalog::createSection(m_db, m_parentId, name());
            break;
        case Rename:
            catalog::renameSection(m_db, m_sectionId, name());
            break;
        case Delete:
            if (m_rowExists) {
                BusyCursor busy;
                catalog::deleteSection(m_db, m_sectionId, m_choice.moveContents());
            }
            break;
        }
    } catch (const DbError& e) {
        // The dialog stays open: the user may try again or cancel.
        Prompts::databaseError(this, e.message());
        return;
    }
    accept();
}
