// Moving recipes and sections by dragging them in the tree: the pictures the pointer
// carries, what may go where, and the move itself.

#include "CCatalogView.h"

#include "CatalogItem.h"
#include "CatalogStore.h"
#include "ui/Prompts.h"
#include "ui/RecipeDrag.h"

#include <QApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QTimer>

using namespace catalogtree;

QPixmap catalogDragImage(int index) {
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    if (index == 0) {
        // A sheet with a folded corner: the thing being carried.
        QPolygonF sheet;
        sheet << QPointF(3, 1.5) << QPointF(10, 1.5) << QPointF(13, 4.5) << QPointF(13, 14.5)
              << QPointF(3, 14.5);
        p.setPen(QPen(QColor(60, 60, 70), 1));
        p.setBrush(QColor(250, 250, 240));
        p.drawPolygon(sheet);
        p.drawLine(QPointF(10, 1.5), QPointF(10, 4.5));
        p.drawLine(QPointF(10, 4.5), QPointF(13, 4.5));
        p.setPen(QPen(QColor(40, 150, 60), 1.5));
        p.drawLine(QPointF(5, 8), QPointF(11, 8));
        p.drawLine(QPointF(5, 11), QPointF(11, 11));
    } else {
        // No entry: a red ring with a bar across.
        p.setPen(QPen(QColor(200, 40, 30), 2));
        p.setBrush(Qt::white);
        p.drawEllipse(QRectF(2, 2, 12, 12));
        p.drawLine(QPointF(4.5, 11.5), QPointF(11.5, 4.5));
    }
    return pixmap;
}

void CCatalogView::MoveItem(QTreeWidgetItem* newItem, QTreeWidgetItem* source) {
    newItem->setText(0, source->text(0));
    const qint32 value = itemValue(source);
    newItem->setData(0, kValueRole, value);
    if (!catalog::isRecipeValue(value))
        newItem->addChild(new CatalogItem(QStringList{QString()}));
    sortChildrenOf(newItem->parent());
}

bool CCatalogView::CanDrop(QTreeWidgetItem* dragged, QTreeWidgetItem* target) const {
    if (!target)
        return true; // the root
    if (target == dragged)
        return false;
    for (QTreeWidgetItem* up = target->parent(); up; up = up->parent())
        if (up == dragged)
            return false; // a section cannot go into its own subtree
    return !catalog::isRecipeValue(itemValue(target));
}

bool CCatalogView::CanDrag(QTreeWidgetItem*) const {
    return true;
}

// --- dragging --------------------------------------------------------------------------

QTreeWidgetItem* CCatalogView::itemOf(const QPersistentModelIndex& index) const {
    return index.isValid() ? itemFromIndex(index) : nullptr;
}

void CCatalogView::beginDrag(QTreeWidgetItem* item, const QPoint& pos) {
    if (m_dragging || !item || isPlaceholder(item) || !CanDrag(item))
        return;
    viewport()->grabMouse();
    m_dragging = true;
    m_draggedItem = QPersistentModelIndex(indexFromItem(item));
    selectEntry(item);

    m_dragImage = new QLabel(nullptr, Qt::ToolTip | Qt::FramelessWindowHint);
    m_dragImage->setObjectName(QStringLiteral("dragImage"));
    m_dragImage->setAttribute(Qt::WA_TransparentForMouseEvents);
    {
        // Picture and name side by side, drawn once for the whole drag.
        const QPixmap icon = catalogDragImage(0);
        const QFontMetrics fm(font());
        QPixmap image(20 + fm.horizontalAdvance(item->text(0)) + 4, std::max(18, fm.height() + 2));
        image.fill(QColor(255, 255, 255, 200));
        QPainter p(&image);
        p.drawPixmap(1, (image.height() - 16) / 2, icon);
        p.setPen(palette().color(QPalette::Text));
        p.drawText(QRect(20, 0, image.width() - 20, image.height()), Qt::AlignVCenter,
                   item->text(0));
        p.end();
        m_dragImage->setPixmap(image);
        m_dragImage->resize(image.size());
    }
    QApplication::setOverrideCursor(QCursor(catalogDragImage(0), 0, 0));
    updateDragVisuals(pos, false);
}

void CCatalogView::updateDragVisuals(const QPoint& pos, bool refused) {
    if (refused != m_markRefused || !QApplication::overrideCursor()) {
        m_markRefused = refused;
        if (QApplication::overrideCursor())
            QApplication::changeOverrideCursor(QCursor(catalogDragImage(refused ? 1 : 0), 0, 0));
    }
    if (m_dragImage) {
        // Hot spot at (8, 8) of the dragged picture.
        m_dragImage->move(viewport()->mapToGlobal(pos) - QPoint(8, 8) + QPoint(16, 16));
        m_dragImage->show();
    }
}

void CCatalogView::dragMoveTo(const QPoint& pos) {
    if (m_dragging) {
        QTreeWidgetItem* over = viewport()->rect().contains(pos) ? itemAt(pos) : nullptr;
        QTreeWidgetItem* dragged = itemOf(m_draggedItem);
        const bool refused = over && (!dragged || !CanDrop(dragged, over));
        updateDragVisuals(pos, refused);
    }
    // Scrolling while the pointer is held above or below the tree.
    const int y = pos.y();
    const int h = viewport()->height();
    if (y < 0) {
        m_scrollDirection = +1;
        m_scrollTimer->start();
    } else if (y >= h) {
        m_scrollDirection = -1;
        m_scrollTimer->start();
    } else if (y > 0) {
        m_scrollTimer->stop();
    }
}

bool CCatalogView::isAutoScrolling() const {
    return m_scrollTimer->isActive();
}

void CCatalogView::onAutoScroll() {
    if (m_scrollDirection > 0)
        verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepSub);
    else if (m_scrollDirection < 0)
        verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
}

void CCatalogView::endDragVisuals() {
    if (m_dragging) {
        viewport()->releaseMouse();
        QApplication::restoreOverrideCursor();
    }
    m_dragging = false;
    m_markRefused = false;
    delete m_dragImage;
    m_dragImage = nullptr;
    m_scrollTimer->stop();
    m_scrollDirection = 0;
}

void CCatalogView::dropAt(const QPoint& pos) {
    if (!m_dragging)
        return;
    QTreeWidgetItem* dragged = itemOf(m_draggedItem);
    endDragVisuals();
    m_draggedItem = QPersistentModelIndex();
    // A recipe let go over a window that takes recipes (the plan's week) goes there.
    if (dragged && !viewport()->rect().contains(pos) &&
        catalog::isRecipeValue(itemValue(dragged)) &&
        recipedrag::dropAt(viewport()->mapToGlobal(pos), catalog::recipeIdOf(itemValue(dragged))))
        return;
    // Outside the tree counts as empty space: the root.
    QTreeWidgetItem* target = viewport()->rect().contains(pos) ? itemAt(pos) : nullptr;
    if (!dragged || !CanDrop(dragged, target))
        return;
    const QString question = target
                                 ? QStringLiteral("Переместить в раздел %1?").arg(target->text(0))
                                 : QStringLiteral("Переместить в корневой раздел?");
    if (!Prompts::ask(this, question, QStringLiteral("Перемещение")))
        return;

    // The database first: if it refuses, the tree still shows the truth.
    const qint32 value = itemValue(dragged);
    catalog::fileInSection(m_db, value, target ? itemValue(target) : 0);

    QTreeWidgetItem* moved = nullptr;
    if (target && target->childCount() > 0 && isPlaceholder(target->child(0))) {
        // A target never opened reads its contents now, the moved item among them.
        expandSection(target);
        moved = findChild(target, value);
    }
    if (!moved) {
        moved = new CatalogItem(QStringList{QString()});
        if (target)
            target->addChild(moved);
        else
            addTopLevelItem(moved);
        MoveItem(moved, dragged);
        if (target)
            expandSection(target);
    }
    selectEntry(moved);
    delete dragged;
}

void CCatalogView::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        m_pressPos = event->position().toPoint();
        m_pressItem = QPersistentModelIndex(indexAt(m_pressPos));
    }
    QTreeWidget::mousePressEvent(event);
}

void CCatalogView::mouseMoveEvent(QMouseEvent* event) {
    const QPoint pos = event->position().toPoint();
    if (m_dragging) {
        dragMoveTo(pos);
        return;
    }
    QTreeWidgetItem* pressed = itemOf(m_pressItem);
    if ((event->buttons() & Qt::LeftButton) && pressed &&
        (pos - m_pressPos).manhattanLength() >= QApplication::startDragDistance()) {
        m_pressItem = QPersistentModelIndex();
        beginDrag(pressed, m_pressPos);
        dragMoveTo(pos);
        return;
    }
    QTreeWidget::mouseMoveEvent(event);
}

void CCatalogView::mouseReleaseEvent(QMouseEvent* event) {
    m_pressItem = QPersistentModelIndex();
    if (m_dragging && event->button() == Qt::LeftButton) {
        dropAt(event->position().toPoint());
        return;
    }
    QTreeWidget::mouseReleaseEvent(event);
}
