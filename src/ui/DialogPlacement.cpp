#include "DialogPlacement.h"

#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QMainWindow>
#include <QScreen>
#include <QTimer>

namespace {

QWidget* ownerOf(const QWidget* dialog) {
    if (QWidget* parent = dialog->parentWidget()) {
        QWidget* w = parent->window();
        if (w->isVisible() && w != dialog)
            return w;
    }
    if (QWidget* active = QApplication::activeWindow(); active && active != dialog)
        return active;
    for (QWidget* top : QApplication::topLevelWidgets())
        if (qobject_cast<QMainWindow*>(top) && top->isVisible())
            return top;
    return nullptr;
}

} // namespace

QPoint DialogPlacement::centredOver(const QWidget* owner, const QSize& dialogFrame) {
    const QRect o = owner->frameGeometry();
    QPoint topLeft(o.x() + (o.width() - dialogFrame.width()) / 2,
                   o.y() + (o.height() - dialogFrame.height()) / 2);
    // Never off the screen, where its buttons could not be reached.
    if (const QScreen* screen = owner->screen()) {
        const QRect area = screen->availableGeometry();
        topLeft.setX(qBound(area.left(), topLeft.x(),
                            qMax(area.left(), area.right() - dialogFrame.width())));
        topLeft.setY(qBound(area.top(), topLeft.y(),
                            qMax(area.top(), area.bottom() - dialogFrame.height())));
    }
    return topLeft;
}

bool DialogPlacement::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Show && qobject_cast<QDialog*>(watched) &&
        !m_openers.contains(watched)) {
        QWidget* opener = QApplication::focusWidget();
        if (opener && opener->window() != watched) {
            m_openers.insert(watched, opener);
            connect(watched, &QObject::destroyed, this,
                    [this, watched] { m_openers.remove(watched); });
        }
    }
    if (event->type() == QEvent::Hide && m_openers.contains(watched)) {
        const QPointer<QWidget> opener = m_openers.take(watched);
        QTimer::singleShot(0, this, [opener] {
            // Only where the keyboard went nowhere: not when another window took it (the
            // next dialog), nor when something in the opener's window has it already.
            const QWidget* focus = QApplication::focusWidget();
            if (!opener || !opener->isVisible() || QApplication::activeModalWidget() ||
                (QApplication::activeWindow() &&
                 QApplication::activeWindow() != opener->window()) ||
                (focus && focus->window() == opener->window()))
                return;
            opener->window()->activateWindow();
            opener->setFocus(Qt::OtherFocusReason);
        });
    }
    if (event->type() == QEvent::Show && watched->isWidgetType()) {
        auto dialog = qobject_cast<QDialog*>(watched);
        // Windows that place themselves (the progress window) say so with this property.
        if (dialog && dialog->isWindow() && !dialog->property("placesItself").toBool())
            if (const QWidget* owner = ownerOf(dialog))
                dialog->move(centredOver(owner, dialog->frameGeometry().size()));
    }
    return QObject::eventFilter(watched, event);
}
