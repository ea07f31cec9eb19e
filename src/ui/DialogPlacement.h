#pragma once

#include <QObject>

class QWidget;

// Opens every dialog and message box centred over the window it belongs to: its owner's
// window when that is shown, else the program's active or main window. Without it a
// dialog whose owner is hidden (or that has none) opens in a corner of the screen.
class DialogPlacement : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    // Where a dialog of that size goes over that window.
    static QPoint centredOver(const QWidget* owner, const QSize& dialogFrame);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};
