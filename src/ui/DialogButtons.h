#pragma once

#include <QDialogButtonBox>
#include <QPushButton>

class QDialog;

// A named button in a dialog's button row, so tests and keyboard users find it alike.
QPushButton* addDialogButton(QDialogButtonBox* box, const QString& text,
                             QDialogButtonBox::ButtonRole role, const char* objectName);

// The "Да" / "Нет" row of the entry dialogs: "Да" is the default and emits accepted();
// "Нет" (and Esc) reject the dialog.
QDialogButtonBox* yesNoButtons(QDialog* dialog);
