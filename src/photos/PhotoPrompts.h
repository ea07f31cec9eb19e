#pragma once

#include "PhotoImage.h"

#include <QPixmap>
#include <functional>
#include <optional>

class QWidget;

// What every place that takes a photo from the user shares: the file dialog, the wait
// while a picture is decoded, the message when it is refused.
namespace photos {

// Empty when the user cancelled.
QString askPhotoFile(QWidget* parent);
// The photo made by make, decoded off the main thread under the busy cursor; nullopt
// after telling the user why the picture was refused.
std::optional<Photo> makePhoto(QWidget* parent, const std::function<Photo()>& make);
// A picture's bytes scaled to fit within box, never enlarged; null for bytes that are no
// picture.
QPixmap fitted(const QByteArray& bytes, QSize box);

} // namespace photos
