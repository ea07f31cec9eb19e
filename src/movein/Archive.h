#pragma once

#include <QByteArray>
#include <QString>
#include <functional>
#include <stdexcept>

// The files of an archive (zip, tar, with or without gzip) or of a folder, read one at a
// time into memory: nothing is ever written to disk, and an entry's name is only a name,
// whatever ".." or "/" it holds. No database here.
namespace movein {

// Why a collection could not be read, in Russian.
class MoveInError : public std::runtime_error {
public:
    explicit MoveInError(const QString& message)
        : std::runtime_error(message.toStdString()), m_message(message) {}
    const QString& message() const { return m_message; }

private:
    QString m_message;
};

// A limit passed: the whole collection is refused, never one entry skipped.
class LimitPassed : public MoveInError {
public:
    using MoveInError::MoveInError;
};

// What an archive may hold before it is taken for a bomb or a mistake.
struct Limits {
    qint64 totalBytes = qint64(2) << 30; // unpacked, all entries together
    qint64 entryBytes = 100 << 20;       // unpacked, any one entry
    qint64 entries = 100000;
    // Unpacked against packed, once more than ratioFrom bytes came out: text packs ten
    // times at best, pictures not at all; a thousand times is a bomb.
    qint64 ratio = 200;
    qint64 ratioFrom = 16 << 20;
};

// Which entries to read (by name); the rest are passed over unread.
using Wanted = std::function<bool(const QString& name)>;
using Take = std::function<void(const QString& name, const QByteArray& bytes)>;

// Every file entry of the archive at path, or of the archive in bytes, in the archive's
// order. Throws MoveInError naming the archive when it is damaged or passes a limit.
void readArchive(const QString& path, const Wanted& wanted, const Take& take,
                 const Limits& limits = {});
void readArchive(const QByteArray& bytes, const QString& name, const Wanted& wanted,
                 const Take& take, const Limits& limits = {});
// Every file under a folder, by its path relative to the folder; links are not followed.
void readFolder(const QString& path, const Wanted& wanted, const Take& take,
                const Limits& limits = {});
// The bytes of one gzip stream, at most limit of them; inside an archive's reading they
// count against its budget. name is the stream's, for messages.
QByteArray gunzip(const QByteArray& bytes, qint64 limit, const QString& name);

} // namespace movein
