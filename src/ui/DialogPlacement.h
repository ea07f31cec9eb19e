#pragma once

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QWidget>

class QWidget;

// Opens every dialog and message box centred over the window it belongs to: its owner's
// window when that is shown, else the program's active or main window. Without it a
// dialog whose owner is hidden (or that has none) opens in a corner of the screen.
// When a dialog closes, the keyboard goes back to the widget that had it when the dialog
// opened: otherwise some window managers leave no window active, and keys do nothing
// until a click.
class DialogPlacement : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    // Where a dialog of that size goes over that window.
    static QPoint centredOver(const QWidget* owner, const QSize& dialogFrame);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QHash<QObject*, QPointer<QWidget>> m_openers;
};
