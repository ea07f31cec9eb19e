#pragma once

// Bytes that tests write out for themselves rather than keep as files: archives written
// by libarchive, and a small picture.

#include <QBuffer>
#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QString>
#include <archive.h>
#include <archive_entry.h>
#include <utility>
#include <vector>

using Files = std::vector<std::pair<QString, QByteArray>>;

// A zip of the named entries, or (zip false) one gzip stream of the only entry's bytes. An
// entry whose bytes are "symlink:TARGET" is a symbolic link to TARGET.
inline QByteArray archiveOf(const Files& files, bool zip = true) {
    archive* a = archive_write_new();
    if (zip) {
        archive_write_set_format_zip(a);
    } else {
        archive_write_set_format_raw(a);
        archive_write_add_filter_gzip(a);
    }
    std::vector<char> buffer(64 << 20);
    size_t used = 0;
    archive_write_open_memory(a, buffer.data(), buffer.size(), &used);
    for (const auto& [name, bytes] : files) {
        archive_entry* e = archive_entry_new();
        archive_entry_set_pathname_utf8(e, name.toUtf8().constData());
        const bool link = bytes.startsWith("symlink:");
        archive_entry_set_size(e, link ? 0 : bytes.size());
        archive_entry_set_filetype(e, link ? AE_IFLNK : AE_IFREG);
        if (link)
            archive_entry_set_symlink(e, bytes.mid(8).constData());
        archive_entry_set_perm(e, 0644);
        archive_write_header(a, e);
        if (!link)
            archive_write_data(a, bytes.constData(), size_t(bytes.size()));
        archive_entry_free(e);
    }
    archive_write_close(a);
    archive_write_free(a);
    return QByteArray(buffer.data(), qsizetype(used));
}

inline QByteArray gzipped(const QByteArray& bytes) {
    return archiveOf({{QStringLiteral("x"), bytes}}, false);
}

// A small JPEG of one colour.
inline QByteArray jpegOf(QColor colour, int width = 64, int height = 48) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(colour);
    QByteArray out;
    QBuffer buffer(&out);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "jpg");
    return out;
}
