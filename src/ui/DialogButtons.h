#pragma once

#include <QDialogButtonBox>
#include <QPushButton>
#include <initializer_list>

class QDialog;

// A named button in a dialog's button row, so tests and keyboard users find it alike.
QPushButton* addDialogButton(QDialogButtonBox* box, const QString& text,
                             QDialogButtonBox::ButtonRole role, const char* objectName);

// The "Да" / "Нет" row of the entry dialogs: "Да" is the default and emits accepted();
// "Нет" (and Esc) reject the dialog.
QDialogButtonBox* yesNoButtons(QDialog* dialog);

// The layout of the list dialogs: what stands above the list (widgets or layouts), the list
// taking the room, what stands below it, and the column of buttons on the right.
void listWithButtons(QWidget* dialog, std::initializer_list<QObject*> above, QWidget* list,
                     std::initializer_list<QObject*> below, QWidget* buttons);
