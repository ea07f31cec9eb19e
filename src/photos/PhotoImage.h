#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>

// A recipe photo as the collection keeps it: re-encoded from whatever the user gave (JPEG,
// PNG, WebP, GIF's first frame, BMP), turned upright, at most kLongestSide on its longest
// side, with a small copy for quick showing. No database here: bytes in, photo out.
namespace photos {

constexpr int kLongestSide = 1600;
constexpr int kSmallWidth = 480; // the recipe pane's usual width
constexpr int kJpegQuality = 85;
constexpr qint64 kMaxFileBytes = 50LL * 1024 * 1024;
// Above this many pixels a picture is refused before it is decoded: a small file can
// claim a huge picture and take all memory (a decompression bomb).
constexpr qint64 kMaxPixels = 120LL * 1000 * 1000;

struct Photo {
    QByteArray image;  // as shown and printed
    QByteArray small;  // the small copy
    QByteArray format; // "jpg", or "png" for a picture with transparency
    QSize size;        // of image
};

// Why a picture was refused, in Russian, naming its file or address.
struct PhotoError {
    QString message;
};

// Whether bytes of the given format (as QImageReader names it) are cut off or do not hold
// together, found before any decoder sets memory aside for them.
bool damaged(const QByteArray& bytes, const QByteArray& format);
// The photo made of a picture's bytes; source names them in a message. Throws PhotoError
// for what is not a picture, a damaged or cut-off one, and one too large.
Photo normalise(const QByteArray& bytes, const QString& source);
// The same for a picture already decoded (pasted from another program).
Photo fromImage(QImage image);
// The same for a file, read whole first (one that vanishes or cannot be read is refused).
Photo readPhotoFile(const QString& path);

} // namespace photos
