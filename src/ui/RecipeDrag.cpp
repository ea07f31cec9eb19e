#include "RecipeDrag.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QDropEvent>
#include <QMimeData>
#include <QWidget>
#include <memory>

namespace recipedrag {

QMimeData* mimeFor(int recipe) {
    auto data = new QMimeData;
    data->setData(QString::fromLatin1(kMimeType), QByteArray::number(recipe));
    return data;
}

std::optional<int> recipeIn(const QMimeData* data) {
    if (!data || !data->hasFormat(QString::fromLatin1(kMimeType)))
        return std::nullopt;
    bool ok = false;
    const int recipe = data->data(QString::fromLatin1(kMimeType)).toInt(&ok);
    if (!ok || recipe <= 0)
        return std::nullopt;
    return recipe;
}

namespace {

// Where the platform cannot say which window is under a point (Wayland has no global
// positions to ask with), our own windows are looked through by where they are.
QWidget* widgetAt(const QPoint& global) {
    if (QWidget* w = QApplication::widgetAt(global))
        return w;
    for (QWidget* top : QApplication::topLevelWidgets())
        if (top->isVisible() && top->geometry().contains(global)) {
            QWidget* inside = top->childAt(top->mapFromGlobal(global));
            return inside ? inside : top;
        }
    return nullptr;
}

} // namespace

bool dropAt(const QPoint& global, int recipe) {
    QWidget* target = widgetAt(global);
    while (target && !target->acceptDrops())
        target = target->parentWidget();
    if (!target)
        return false;
    // A scrolled view takes its drops through its viewport.
    if (auto area = qobject_cast<QAbstractScrollArea*>(target))
        target = area->viewport();
    const std::unique_ptr<QMimeData> data(mimeFor(recipe));
    const QPointF local = target->mapFromGlobal(global);
    QDragEnterEvent enter(local.toPoint(), Qt::CopyAction, data.get(), Qt::LeftButton,
                          Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    if (!enter.isAccepted())
        return false;
    QDropEvent drop(local, Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &drop);
    return drop.isAccepted();
}

} // namespace recipedrag
