#pragma once

#include <QString>
#include <deque>
#include <vector>

class QWidget;

// The one way the program asks or tells the user something in a box, or asks for a
// file. Tests queue the next answers here instead of clicking, and read what was shown.
class Prompts {
public:
    enum class Icon { None, Information, Warning, Error, Question };
    enum class Buttons { Ok, OkCancel, YesNo, YesNoCancel };
    enum Answer { Ok = 1, Cancel = 2, Yes = 6, No = 7 };

    static Answer message(QWidget* parent, const QString& text, const QString& caption, Icon icon,
                          Buttons buttons);

    // An error: caption "Ошибка", error icon, one OK button.
    static void error(QWidget* parent, const QString& text);
    // A notice: the application's own caption, no icon.
    static void notice(QWidget* parent, const QString& text);
    // A yes/no question; true for "yes". An empty caption shows the application's title.
    static bool ask(QWidget* parent, const QString& text, const QString& caption = {});
    // A failing database call, with the engine's own message.
    static void databaseError(QWidget* parent, const QString& engineMessage);

    static QString openFileName(QWidget* parent, const QString& caption, const QString& dir,
                                const QString& filter);
    // A line of text, offered filled in; empty when cancelled. In test mode the next file
    // name stands for the answer.
    static QString askText(QWidget* parent, const QString& caption, const QString& label,
                           const QString& offered);
    // A folder; in test mode the next file name stands for it.
    static QString folderName(QWidget* parent, const QString& caption, const QString& dir);
    // Asks before replacing an existing file; a name typed without an extension gets
    // defaultSuffix.
    static QString saveFileName(QWidget* parent, const QString& caption, const QString& dir,
                                const QString& filter, const QString& defaultSuffix = {});

    static QString applicationTitle();

    // --- for tests -------------------------------------------------------------------
    struct Shown {
        QString text;
        QString caption;
        Icon icon;
        Buttons buttons;
    };
    // In test mode nothing is ever shown: the queued answer is taken, or else the
    // box's cancelling answer (No, Cancel or Ok) and an empty file name.
    static void setTestMode(bool on);
    static void setNextAnswer(Answer answer);
    static void setNextFileName(const QString& fileName);
    static const std::vector<Shown>& shown();
    // The folder or file each file dialog was opened on, in order.
    static const std::vector<QString>& fileDialogStarts();
    static void clear();
};
