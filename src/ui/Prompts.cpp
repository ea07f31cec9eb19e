#include "Prompts.h"

#include <QApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>

namespace {

// Dialogs for one kind of file (their filter names it; a folder dialog, its caption) open
// where the last of them left off, kept in the settings.
QString folderKey(const QString& kind) {
    return QStringLiteral("folders/") +
           QString::fromLatin1(
               QCryptographicHash::hash(kind.toUtf8(), QCryptographicHash::Md5).toHex());
}

QString startIn(const QString& kind, const QString& dir) {
    const QString last = QSettings().value(folderKey(kind)).toString();
    if (last.isEmpty() || !QFileInfo(last).isDir())
        return dir;
    // A suggested name ("Супы.ovl") is kept, in the folder last used.
    const QFileInfo given(dir);
    if (!dir.isEmpty() && !given.isDir() && !given.suffix().isEmpty())
        return QDir(last).filePath(given.fileName());
    return last;
}

QString remembered(const QString& kind, const QString& chosen, bool folder) {
    if (!chosen.isEmpty())
        QSettings().setValue(folderKey(kind), folder ? QFileInfo(chosen).absoluteFilePath()
                                                     : QFileInfo(chosen).absolutePath());
    return chosen;
}

struct TestState {
    bool on = false;
    std::deque<Prompts::Answer> answers;
    std::deque<QString> fileNames;
    std::vector<Prompts::Shown> shown;
    std::vector<QString> starts;
};

TestState& test() {
    static TestState state;
    return state;
}

Prompts::Answer cancellingAnswer(Prompts::Buttons buttons) {
    switch (buttons) {
    case Prompts::Buttons::Ok:
        return Prompts::Ok;
    case Prompts::Buttons::YesNo:
        return Prompts::No;
    default:
        return Prompts::Cancel;
    }
}

QString takeFileName() {
    auto& t = test();
    if (t.fileNames.empty())
        return {};
    QString name = t.fileNames.front();
    t.fileNames.pop_front();
    return name;
}

} // namespace

QString Prompts::applicationTitle() {
    return QStringLiteral("Ovelta");
}

Prompts::Answer Prompts::message(QWidget* parent, const QString& text, const QString& caption,
                                 Icon icon, Buttons buttons) {
    const QString title = caption.isEmpty() ? applicationTitle() : caption;
    auto& t = test();
    if (t.on) {
        t.shown.push_back({text, title, icon, buttons});
        if (t.answers.empty())
            return cancellingAnswer(buttons);
        Answer a = t.answers.front();
        t.answers.pop_front();
        return a;
    }

    QMessageBox box(parent);
    box.setWindowTitle(title);
    box.setText(text);
    switch (icon) {
    case Icon::Information:
        box.setIcon(QMessageBox::Information);
        break;
    case Icon::Warning:
        box.setIcon(QMessageBox::Warning);
        break;
    case Icon::Error:
        box.setIcon(QMessageBox::Critical);
        break;
    case Icon::Question:
        box.setIcon(QMessageBox::Question);
        break;
    case Icon::None:
        break;
    }
    auto add = [&box](const QString& label, QMessageBox::ButtonRole role) {
        return box.addButton(label, role);
    };
    QAbstractButton* ok = nullptr;
    QAbstractButton* yes = nullptr;
    QAbstractButton* no = nullptr;
    switch (buttons) {
    case Buttons::Ok:
        ok = add(QStringLiteral("OK"), QMessageBox::AcceptRole);
        box.setEscapeButton(ok);
        break;
    case Buttons::OkCancel:
        ok = add(QStringLiteral("OK"), QMessageBox::AcceptRole);
        box.setEscapeButton(add(QStringLiteral("Отмена"), QMessageBox::RejectRole));
        break;
    case Buttons::YesNo:
        yes = add(QStringLiteral("Да"), QMessageBox::YesRole);
        no = add(QStringLiteral("Нет"), QMessageBox::NoRole);
        box.setEscapeButton(no);
        break;
    case Buttons::YesNoCancel:
        yes = add(QStringLiteral("Да"), QMessageBox::YesRole);
        no = add(QStringLiteral("Нет"), QMessageBox::NoRole);
        box.setEscapeButton(add(QStringLiteral("Отмена"), QMessageBox::RejectRole));
        break;
    }
    if (yes)
        box.setDefaultButton(qobject_cast<QPushButton*>(yes));
    else if (ok)
        box.setDefaultButton(qobject_cast<QPushButton*>(ok));
    box.exec();
    QAbstractButton* clicked = box.clickedButton();
    if (clicked && clicked == ok)
        return Ok;
    if (clicked && clicked == yes)
        return Yes;
    if (clicked && clicked == no)
        return No;
    return cancellingAnswer(buttons);
}

void Prompts::error(QWidget* parent, const QString& text) {
    message(parent, text, QStringLiteral("Ошибка"), Icon::Error, Buttons::Ok);
}

void Prompts::notice(QWidget* parent, const QString& text) {
    message(parent, text, QString(), Icon::None, Buttons::Ok);
}

bool Prompts::ask(QWidget* parent, const QString& text, const QString& caption) {
    return message(parent, text, caption, Icon::Question, Buttons::YesNo) == Yes;
}

void Prompts::databaseError(QWidget* parent, const QString& engineMessage) {
    error(parent, QStringLiteral("Ошибка базы данных:\n%1").arg(engineMessage));
}

QString Prompts::openFileName(QWidget* parent, const QString& caption, const QString& dir,
                              const QString& filter) {
    const QString start = startIn(filter, dir);
    if (test().on) {
        test().starts.push_back(start);
        return remembered(filter, takeFileName(), false);
    }
    return remembered(filter, QFileDialog::getOpenFileName(parent, caption, start, filter), false);
}

QString Prompts::askText(QWidget* parent, const QString& caption, const QString& label,
                         const QString& offered) {
    if (test().on) {
        test().starts.push_back(offered);
        return takeFileName();
    }
    QInputDialog dialog(parent);
    dialog.setWindowTitle(caption);
    dialog.setLabelText(label);
    dialog.setTextValue(offered);
    dialog.resize(qMax(dialog.sizeHint().width(), 520), dialog.sizeHint().height());
    return dialog.exec() == QDialog::Accepted ? dialog.textValue().trimmed() : QString();
}

QString Prompts::folderName(QWidget* parent, const QString& caption, const QString& dir) {
    const QString start = startIn(caption, dir);
    if (test().on) {
        test().starts.push_back(start);
        return remembered(caption, takeFileName(), true);
    }
    return remembered(caption, QFileDialog::getExistingDirectory(parent, caption, start), true);
}

QString Prompts::saveFileName(QWidget* parent, const QString& caption, const QString& dir,
                              const QString& filter, const QString& defaultSuffix) {
    const QString start = startIn(filter, dir);
    if (test().on) {
        test().starts.push_back(start);
        return remembered(filter, takeFileName(), false);
    }
    QFileDialog dialog(parent, caption, start, filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(defaultSuffix);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, false);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return remembered(filter, dialog.selectedFiles().front(), false);
}

void Prompts::setTestMode(bool on) {
    test().on = on;
}
void Prompts::setNextAnswer(Answer answer) {
    test().answers.push_back(answer);
}
void Prompts::setNextFileName(const QString& fileName) {
    test().fileNames.push_back(fileName);
}
const std::vector<Prompts::Shown>& Prompts::shown() {
    return test().shown;
}
const std::vector<QString>& Prompts::fileDialogStarts() {
    return test().starts;
}

void Prompts::clear() {
    auto& t = test();
    t.answers.clear();
    t.fileNames.clear();
    t.shown.clear();
    t.starts.clear();
}
