#include "DialogButtons.h"

#include <QDialog>

QPushButton* addDialogButton(QDialogButtonBox* box, const QString& text,
                             QDialogButtonBox::ButtonRole role, const char* objectName) {
    QPushButton* button = box->addButton(text, role);
    button->setObjectName(QLatin1String(objectName));
    return button;
}

QDialogButtonBox* yesNoButtons(QDialog* dialog) {
    auto box = new QDialogButtonBox(dialog);
    addDialogButton(box, QStringLiteral("Да"), QDialogButtonBox::AcceptRole, "yesButton")
        ->setDefault(true);
    addDialogButton(box, QStringLiteral("Нет"), QDialogButtonBox::RejectRole, "noButton");
    QObject::connect(box, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    return box;
}
