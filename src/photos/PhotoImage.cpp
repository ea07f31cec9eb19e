#include "PhotoImage.h"

#include "data/WholeFile.h"
#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QImageWriter>

#include <cstring>

namespace photos {

namespace {

QString notAPicture(const QString& source) {
    return QStringLiteral("«%1» — не изображение или файл повреждён.").arg(source);
}

QByteArray encoded(const QImage& image, const char* format) {
    QByteArray out;
    QBuffer buffer(&out);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    if (qstrcmp(format, "jpg") == 0) {
        writer.setQuality(kJpegQuality);
        writer.setOptimizedWrite(true);
    }
    if (!writer.write(image))
        throw PhotoError{
            QStringLiteral("Не удалось записать фотографию: %1").arg(writer.errorString())};
    return out;
}

// A JPEG cut off before its end marker still decodes, the missing part grey: such a
// file is refused rather than kept damaged.
bool jpegCutOff(const QByteArray& bytes) {
    const QByteArray tail = bytes.right(64 * 1024);
    return !tail.contains(QByteArrayLiteral("\xFF\xD9"));
}

// libpng sets aside a chunk's declared length before reading it: a few hundred bytes that
// claim a 2 GB chunk cost that much memory before the reading fails. A PNG whose chunks do
// not add up to the file, or that never reaches its end chunk, is damaged anyway.
bool pngDamaged(const QByteArray& bytes) {
    qsizetype at = 8; // signature
    while (at + 12 <= bytes.size()) {
        const auto* p = reinterpret_cast<const uchar*>(bytes.constData() + at);
        const quint32 length =
            quint32(p[0]) << 24 | quint32(p[1]) << 16 | quint32(p[2]) << 8 | p[3];
        if (length > quint32(bytes.size() - at - 12))
            return true;
        if (std::memcmp(p + 4, "IEND", 4) == 0)
            return false;
        at += 12 + qsizetype(length);
    }
    return true;
}

// PNG only where it is needed: a picture with an alpha channel that nothing uses is a
// photo like any other.
bool anyTransparent(const QImage& image) {
    if (!image.hasAlphaChannel())
        return false;
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < argb.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(argb.constScanLine(y));
        for (int x = 0; x < argb.width(); ++x)
            if (qAlpha(line[x]) < 255)
                return true;
    }
    return false;
}

} // namespace

bool damaged(const QByteArray& bytes, const QByteArray& format) {
    return (format == "jpeg" && jpegCutOff(bytes)) || (format == "png" && pngDamaged(bytes));
}

Photo normalise(const QByteArray& bytes, const QString& source) {
    if (bytes.size() > kMaxFileBytes)
        throw PhotoError{QStringLiteral("«%1» слишком велик для фотографии: больше %2 МБ.")
                             .arg(source)
                             .arg(kMaxFileBytes / (1024 * 1024))};
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    reader.setAutoTransform(true); // EXIF orientation
    reader.setDecideFormatFromContent(true);
    if (!reader.canRead())
        throw PhotoError{notAPicture(source)};
    const QByteArray format = reader.format();
    const QSize stored = reader.size();
    if (stored.isValid() && qint64(stored.width()) * stored.height() > kMaxPixels)
        throw PhotoError{QStringLiteral("Изображение «%1» слишком велико: %2 × %3 точек.")
                             .arg(source)
                             .arg(stored.width())
                             .arg(stored.height())};
    if (damaged(bytes, format))
        throw PhotoError{notAPicture(source)};
    // JPEG scales while it decodes, several times faster than decoding the whole picture.
    if (stored.isValid() && std::max(stored.width(), stored.height()) > kLongestSide)
        reader.setScaledSize(stored.scaled(kLongestSide, kLongestSide, Qt::KeepAspectRatio));
    QImage image = reader.read();
    if (image.isNull())
        throw PhotoError{notAPicture(source)};
    return fromImage(std::move(image));
}

Photo fromImage(QImage image) {
    if (image.isNull())
        throw PhotoError{QStringLiteral("Пустое изображение.")};
    if (qint64(image.width()) * image.height() > kMaxPixels)
        throw PhotoError{QStringLiteral("Изображение слишком велико: %1 × %2 точек.")
                             .arg(image.width())
                             .arg(image.height())};
    if (std::max(image.width(), image.height()) > kLongestSide)
        image =
            image.scaled(kLongestSide, kLongestSide, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    const bool transparent = anyTransparent(image);
    Photo photo;
    photo.format = transparent ? QByteArrayLiteral("png") : QByteArrayLiteral("jpg");
    if (!transparent)
        image = image.convertToFormat(QImage::Format_RGB32);
    photo.size = image.size();
    photo.image = encoded(image, photo.format.constData());
    const QImage small = image.width() > kSmallWidth
                             ? image.scaledToWidth(kSmallWidth, Qt::SmoothTransformation)
                             : image;
    photo.small = encoded(small, photo.format.constData());
    return photo;
}

Photo readPhotoFile(const QString& path) {
    const QString name = QFileInfo(path).fileName();
    // A pipe or a device would hang the read: refused before it is opened.
    if (const QString problem = fileProblem(path); !problem.isEmpty())
        throw PhotoError{QStringLiteral("Не удалось открыть файл «%1»: %2.").arg(name, problem)};
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw PhotoError{
            QStringLiteral("Не удалось открыть файл «%1»: %2").arg(name, fileError(file))};
    if (file.size() > kMaxFileBytes)
        throw PhotoError{QStringLiteral("«%1» слишком велик для фотографии: больше %2 МБ.")
                             .arg(name)
                             .arg(kMaxFileBytes / (1024 * 1024))};
    const QByteArray bytes = file.read(kMaxFileBytes + 1);
    if (file.error() != QFileDevice::NoError)
        throw PhotoError{
            QStringLiteral("Не удалось прочитать файл «%1»: %2").arg(name, fileError(file))};
    return normalise(bytes, name);
}

} // namespace photos
