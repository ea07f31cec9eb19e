#pragma once

#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>

// Acts on the next modal dialog as soon as it is open, from inside its own event loop,
// the way a person would. Queue the next one from inside act for dialogs that follow.
inline void onNextModal(std::function<void(QWidget*)> act, QWidget* notThis = nullptr) {
    auto poll = std::make_shared<std::function<void()>>();
    std::weak_ptr<std::function<void()>> weak = poll;
    *poll = [act = std::move(act), weak, notThis, tries = 0]() mutable {
        QWidget* w = QApplication::activeModalWidget();
        if (w && w != notThis && w->isVisible()) {
            act(w);
            return;
        }
        if (++tries < 500)
            if (auto self = weak.lock())
                QTimer::singleShot(5, [self] { (*self)(); });
    };
    QTimer::singleShot(0, [poll] { (*poll)(); });
}

template <class T> T* child(QWidget* w, const char* name) {
    return w->findChild<T*>(QString::fromLatin1(name));
}

#include <QAbstractButton>

inline void click(QWidget* dialog, const char* button) {
    auto b = child<QAbstractButton>(dialog, button);
    if (b)
        b->click();
}
