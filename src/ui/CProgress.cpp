#include "CProgress.h"

#include <QApplication>
#include <QProgressBar>
#include <QVBoxLayout>
#include <limits>

CProgress::CProgress(QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::WindowTitleHint | Qt::CustomizeWindowHint), m_owner(owner) {
    setObjectName(QStringLiteral("progressWindow"));
    setProperty("placesItself", true);
    setWindowTitle(QStringLiteral("Выполнение..."));
    setModal(false);
    m_bar = new QProgressBar(this);
    m_bar->setObjectName(QStringLiteral("progressBar"));
    m_bar->setTextVisible(false);
    m_bar->setRange(0, 0 + 1);
    m_bar->setValue(0);
    auto layout = new QVBoxLayout(this);
    layout->setContentsMargins(11, 11, 11, 11);
    layout->addWidget(m_bar);
    // 186 by 26 dialog units at the usual dialog font.
    const int unitX = qMax(1, fontMetrics().averageCharWidth());
    const int unitY = qMax(1, fontMetrics().height());
    setFixedSize(186 * unitX / 4, qMax(26 * unitY / 8, m_bar->sizeHint().height() + 22));
}

QPoint CProgress::placement(const QPoint& ownerTopLeft, int clientWidth, int clientHeight,
                            const QSize& own) {
    return {ownerTopLeft.x() + (clientWidth - own.width()) / 2,
            ownerTopLeft.y() + (clientHeight - own.height()) / 2};
}

void CProgress::place() {
    if (!m_owner)
        return;
    const QWidget* top = m_owner->window();
    move(placement(top->frameGeometry().topLeft(), top->width(), top->height(), size()));
}

void CProgress::setRange(qint64 low, qint64 high) {
    m_low = low;
    m_high = qMax(low, high);
    const qint64 span = m_high - m_low;
    m_scale = 1;
    while (span / m_scale > std::numeric_limits<int>::max() / 2)
        m_scale *= 2;
    // An empty range would make the bar a busy indicator; one step keeps it a bar.
    m_bar->setRange(0, qMax<int>(1, int(span / m_scale)));
    m_bar->setValue(0);
}

void CProgress::setPosition(qint64 value) {
    value = qBound(m_low, value, m_high);
    int v = int((value - m_low) / m_scale);
    if (value == m_high)
        v = m_bar->maximum();
    if (v == m_bar->value())
        return;
    m_bar->setValue(v);
    // The work runs on this thread: let the bar paint, but take no input meanwhile. A few
    // paints a second are smooth to the eye; one per step would cost the work itself.
    constexpr qint64 kPaintEveryMs = 40;
    if (isVisible() &&
        (!m_sincePaint.isValid() || m_sincePaint.elapsed() >= kPaintEveryMs || value == m_high)) {
        QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        m_sincePaint.start();
    }
}
