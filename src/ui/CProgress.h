#pragma once

#include "Progress.h"

#include <QDialog>
#include <QElapsedTimer>
#include <QPoint>
#include <QRect>

class QProgressBar;

// The small "Выполнение..." window that long work shows over the main window. It takes no
// input; its owner drives the bar and removes it when the work ends.
class CProgress : public QDialog, public Progress {
    Q_OBJECT
public:
    explicit CProgress(QWidget* owner);

    // Where the window's top-left corner goes: centred on the owner's client area, in
    // integer steps, so an owner narrower than the window gives a negative offset.
    static QPoint placement(const QPoint& ownerTopLeft, int clientWidth, int clientHeight,
                            const QSize& own);
    void place();

    void setRange(qint64 low, qint64 high) override;
    void setPosition(qint64 value) override;
    QProgressBar* bar() const { return m_bar; }

private:
    QProgressBar* m_bar;
    QWidget* m_owner;
    qint64 m_low = 0;
    qint64 m_high = 0;
    int m_scale = 1; // the bar counts in ints; large ranges are divided down
    QElapsedTimer m_sincePaint;
};
