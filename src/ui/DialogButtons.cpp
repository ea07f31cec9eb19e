#include "DialogButtons.h"

#include <QDialog>
#include <QHBoxLayout>
#include <QVBoxLayout>

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

void listWithButtons(QWidget* dialog, std::initializer_list<QObject*> above, QWidget* list,
                     std::initializer_list<QObject*> below, QWidget* buttons) {
    auto column = new QVBoxLayout;
    auto add = [column](QObject* part) {
        if (auto layout = qobject_cast<QLayout*>(part))
            column->addLayout(layout);
        else if (auto widget = qobject_cast<QWidget*>(part))
            column->addWidget(widget);
    };
    for (QObject* part : above)
        add(part);
    column->addWidget(list, 1);
    for (QObject* part : below)
        add(part);
    auto layout = new QHBoxLayout(dialog);
    layout->addLayout(column, 1);
    layout->addWidget(buttons);
}
