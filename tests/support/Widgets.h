#pragma once

#include <QKeyEvent>

#include "app/CMainFrame.h"
#include "ui/Prompts.h"

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QTimer>
#include <QTreeWidget>
#include <QWidget>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace testsupport {

// A dialog a test is waiting for. One that never opened fails the test that waited, and
// its poller stops when that test ends, so it can never act on a later test's dialog.
struct PendingModal {
    std::string what;
    bool done = false;
};
inline std::vector<std::shared_ptr<PendingModal>>& pendingModals() {
    static std::vector<std::shared_ptr<PendingModal>> pending;
    return pending;
}
// Called when a test ends: the names of the dialogs it waited for in vain.
inline std::vector<std::string> takeUnopenedModals() {
    std::vector<std::string> missed;
    for (const auto& p : pendingModals())
        if (!p->done) {
            missed.push_back(p->what);
            p->done = true;
        }
    pendingModals().clear();
    return missed;
}

} // namespace testsupport

// Acts on the next modal dialog as soon as it is open, from inside its own event loop,
// the way a person would. Queue the next one from inside act for dialogs that follow.
// When no dialog opens within a few seconds, or the test ends first, the test fails.
inline void onNextModal(std::function<void(QWidget*)> act, QWidget* notThis = nullptr,
                        const char* what = "a modal dialog") {
    auto state = std::make_shared<testsupport::PendingModal>();
    state->what = what;
    testsupport::pendingModals().push_back(state);
    auto poll = std::make_shared<std::function<void()>>();
    std::weak_ptr<std::function<void()>> weak = poll;
    *poll = [act = std::move(act), weak, notThis, state, tries = 0]() mutable {
        if (state->done)
            return;
        QWidget* w = QApplication::activeModalWidget();
        if (w && w != notThis && w->isVisible()) {
            state->done = true;
            act(w);
            return;
        }
        if (++tries >= 1000) {
            state->done = true;
            ADD_FAILURE() << state->what << " never opened";
            return;
        }
        if (auto self = weak.lock())
            QTimer::singleShot(5, [self] { (*self)(); });
    };
    QTimer::singleShot(0, [poll] { (*poll)(); });
}

// A named widget of a dialog; one that is missing fails the test.
template <class T> T* child(QWidget* w, const char* name) {
    T* found = w ? w->findChild<T*>(QString::fromLatin1(name)) : nullptr;
    if (!found)
        ADD_FAILURE() << "no widget \"" << name << "\"";
    return found;
}

inline void click(QWidget* dialog, const char* button) {
    if (auto b = child<QAbstractButton>(dialog, button))
        b->click();
}

// Types a text into a dialog's line edit and presses "Да".
inline void enterAndConfirm(QWidget* dialog, const char* field, const QString& text) {
    if (auto edit = child<QLineEdit>(dialog, field)) {
        edit->setText(text);
        click(dialog, "yesButton");
    }
}

// The texts of a list box, top to bottom.
inline QStringList listTexts(QListWidget* list) {
    QStringList out;
    for (int i = 0; i < list->count(); ++i)
        out << list->item(i)->text();
    return out;
}

// The child of a tree item (top level when parent is the invisible root) with that text.
inline QTreeWidgetItem* byText(QTreeWidgetItem* parent, const QString& text) {
    for (int i = 0; i < parent->childCount(); ++i)
        if (parent->child(i)->text(0) == text)
            return parent->child(i);
    return nullptr;
}

inline QStringList texts(QTreeWidgetItem* parent) {
    QStringList out;
    for (int i = 0; i < parent->childCount(); ++i)
        out << parent->child(i)->text(0);
    return out;
}

// The command identifiers a context menu offers; 0 for a separator.
inline QList<int> menuIds(QMenu* menu) {
    QList<int> ids;
    for (QAction* a : menu->actions())
        ids << (a->isSeparator() ? 0 : a->data().toInt());
    return ids;
}

// The text of the last message box, or nothing when none was shown.
inline QString lastMessage() {
    return Prompts::shown().empty() ? QString() : Prompts::shown().back().text;
}

// The last message box as "caption: text", or nothing when none was shown.
inline QString lastShown() {
    return Prompts::shown().empty() ? QString()
                                    : Prompts::shown().back().caption + ": " + lastMessage();
}

// Runs a window's command that opens a modal dialog, and lets act handle the dialog.
template <class Window>
void withDialog(Window& window, int command, std::function<void(QWidget*)> act) {
    onNextModal(std::move(act), nullptr, "the command's dialog");
    window.runCommand(command);
}

// The texts of the context menu that open() pops up; the menu is closed again.
// (Nothing when open shows no menu: the timer goes with the call.)
inline QStringList popupTexts(const std::function<void()>& open) {
    QStringList texts;
    QTimer timer;
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout, [&] {
        if (QWidget* popup = QApplication::activePopupWidget()) {
            for (QAction* a : popup->actions())
                texts << (a->isSeparator() ? QStringLiteral("-") : a->text());
            popup->close();
        }
    });
    timer.start(50);
    open();
    return texts;
}

// The main window on a collection, shown as the user meets it.
class ShownFrame : public CMainFrame {
public:
    explicit ShownFrame(Database& db) : CMainFrame(db) { show(); }
};

// Lets the event loop run until the condition holds; false when it did not within ms.
// What a test waits for must fail it when it never comes, so callers assert on this.
inline bool waitUntil(const std::function<bool()>& condition, int ms = 5000) {
    QElapsedTimer clock;
    clock.start();
    while (!condition()) {
        if (clock.elapsed() > ms)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

// Types text into a widget key by key, as a person does: Cyrillic letters too, which
// QTest's key clicks cannot send.
inline void typeText(QWidget* widget, const QString& text) {
    for (const QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(widget, &press);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(widget, &release);
    }
}
