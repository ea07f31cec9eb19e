#include "PhotoPrompts.h"

#include "ui/BusyCursor.h"
#include "ui/OffMainThread.h"
#include "ui/Prompts.h"

#include <QStandardPaths>

namespace photos {

QString askPhotoFile(QWidget* parent) {
    return Prompts::openFileName(
        parent, QStringLiteral("Фотография рецепта"),
        QStandardPaths::writableLocation(QStandardPaths::PicturesLocation),
        QStringLiteral("Изображения (*.jpg *.jpeg *.png *.webp *.gif *.bmp);;Все файлы (*)"));
}

std::optional<Photo> makePhoto(QWidget* parent, const std::function<Photo()>& make) {
    try {
        BusyCursor busy;
        return offMainThread(make);
    } catch (const PhotoError& e) {
        Prompts::error(parent, e.message);
        return std::nullopt;
    }
}

QPixmap fitted(const QByteArray& bytes, QSize box) {
    QPixmap picture;
    if (!picture.loadFromData(bytes))
        return {};
    if (picture.width() <= box.width() && picture.height() <= box.height())
        return picture;
    return picture.scaled(box, Qt::KeepAspectRatio, Qt::SmoothTransformation);
}

} // namespace photos
