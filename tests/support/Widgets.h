#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QMenu>
#include <QTimer>
#include <QTreeWidget>
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

inline void click(QWidget* dialog, const char* button) {
    auto b = child<QAbstractButton>(dialog, button);
    if (b)
        b->click();
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
