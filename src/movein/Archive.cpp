#include "Archive.h"

#include "data/WholeFile.h"
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <archive.h>
#include <archive_entry.h>
#include <memory>

namespace movein {

namespace {

using ArchivePtr = std::unique_ptr<archive, decltype(&archive_read_free)>;

QString megabytes(qint64 bytes) {
    return QString::number(bytes >> 20);
}

QString bombMessage(const QString& name, const QString& why) {
    return QStringLiteral("Архив «%1» %2: это не коллекция рецептов, а ловушка («зип-бомба»).")
        .arg(name, why);
}

// A library's own words may follow ours in brackets, for a report; never stand alone.
QString libraryText(const char* why) {
    return why && *why ? QStringLiteral(" (%1)").arg(QString::fromLocal8Bit(why)) : QString();
}

// What one reading of a collection has unpacked so far. The outermost archive's reading
// owns it; the archives inside it and the gzip streams of its entries draw on the same one,
// so that nesting never starts the limits afresh.
struct Budget {
    qint64 unpacked = 0;
};
thread_local Budget* t_budget = nullptr;

class BudgetScope {
public:
    BudgetScope() : m_owner(t_budget == nullptr) {
        if (m_owner)
            t_budget = &m_own;
    }
    ~BudgetScope() {
        if (m_owner)
            t_budget = nullptr;
    }
    BudgetScope(const BudgetScope&) = delete;
    BudgetScope& operator=(const BudgetScope&) = delete;

private:
    bool m_owner;
    Budget m_own;
};

// Counts got more bytes out of a stream that has packed bytes in so far (its own ratio) and
// out bytes out (the stream's own total) against the one budget.
void spend(qint64 got, qint64 out, qint64 packed, const QString& name, const Limits& limits) {
    const qint64 total = t_budget ? (t_budget->unpacked += got) : out;
    if (total > limits.totalBytes)
        throw LimitPassed(bombMessage(name, QStringLiteral("распаковывается больше чем в %1 МБ")
                                                .arg(megabytes(limits.totalBytes))));
    if (out > limits.ratioFrom && packed > 0 && out / packed > limits.ratio)
        throw LimitPassed(bombMessage(name, QStringLiteral("сжат в %1 раз").arg(out / packed)));
}

ArchivePtr openReader(bool raw) {
    ArchivePtr a(archive_read_new(), &archive_read_free);
    if (!a)
        throw MoveInError(QStringLiteral("Не хватает памяти, чтобы открыть архив."));
    archive_read_support_filter_all(a.get());
    if (raw) {
        archive_read_support_format_raw(a.get());
    } else {
        archive_read_support_format_zip(a.get());
        archive_read_support_format_tar(a.get());
        archive_read_support_format_gnutar(a.get());
    }
    return a;
}

// Walks an opened archive. name is the archive's own, for messages.
void walk(archive* a, const QString& name, const Wanted& wanted, const Take& take,
          const Limits& limits) {
    auto damaged = [&] {
        return MoveInError(QStringLiteral("Архив «%1» повреждён или не читается.%2")
                               .arg(name, libraryText(archive_error_string(a))));
    };
    const BudgetScope budget;
    qint64 entries = 0;
    qint64 total = 0;
    archive_entry* entry = nullptr;
    while (true) {
        const int rc = archive_read_next_header(a, &entry);
        if (rc == ARCHIVE_EOF)
            break;
        if (rc < ARCHIVE_WARN)
            throw damaged();
        if (++entries > limits.entries)
            throw LimitPassed(
                QStringLiteral("В архиве «%1» больше %2 файлов.").arg(name).arg(limits.entries));
        if (archive_entry_filetype(entry) != AE_IFREG)
            continue;
        const char* utf8 = archive_entry_pathname_utf8(entry);
        const char* plain = archive_entry_pathname(entry);
        const QString entryName =
            utf8 ? QString::fromUtf8(utf8) : QString::fromLocal8Bit(plain ? plain : "");
        if (!wanted(entryName))
            continue;
        QByteArray bytes;
        char chunk[64 * 1024];
        while (true) {
            const la_ssize_t got = archive_read_data(a, chunk, sizeof chunk);
            if (got < 0)
                throw damaged();
            if (got == 0)
                break;
            total += got;
            if (bytes.size() + got > limits.entryBytes)
                throw LimitPassed(QStringLiteral("Файл «%1» в архиве «%2» больше %3 МБ.")
                                      .arg(entryName, name, megabytes(limits.entryBytes)));
            spend(got, total, archive_filter_bytes(a, -1), name, limits);
            bytes.append(chunk, qsizetype(got));
        }
        take(entryName, bytes);
    }
}

} // namespace

void readArchive(const QString& path, const Wanted& wanted, const Take& take,
                 const Limits& limits) {
    const QString name = QFileInfo(path).fileName();
    ArchivePtr a = openReader(false);
    if (archive_read_open_filename(a.get(), QFile::encodeName(path).constData(), 64 * 1024) !=
        ARCHIVE_OK) {
        throw MoveInError(QStringLiteral("Не могу открыть архив «%1»: это не архив или он не "
                                         "читается.%2")
                              .arg(name, libraryText(archive_error_string(a.get()))));
    }
    walk(a.get(), name, wanted, take, limits);
}

void readArchive(const QByteArray& bytes, const QString& name, const Wanted& wanted,
                 const Take& take, const Limits& limits) {
    ArchivePtr a = openReader(false);
    if (archive_read_open_memory(a.get(), bytes.constData(), size_t(bytes.size())) != ARCHIVE_OK)
        throw MoveInError(QStringLiteral("«%1» — не архив или архив повреждён.").arg(name));
    walk(a.get(), name, wanted, take, limits);
}

void readFolder(const QString& path, const Wanted& wanted, const Take& take, const Limits& limits) {
    const QDir root(path);
    const BudgetScope budget;
    qint64 entries = 0;
    qint64 total = 0;
    // Sorted, so that a folder reads the same on every file system.
    QStringList files;
    QDirIterator it(path, QDir::Files | QDir::Hidden | QDir::NoSymLinks,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        files << it.next();
        if (++entries > limits.entries)
            throw LimitPassed(QStringLiteral("В папке «%1» больше %2 файлов.")
                                  .arg(root.dirName())
                                  .arg(limits.entries));
    }
    files.sort();
    for (const QString& file : files) {
        const QString name = root.relativeFilePath(file);
        if (!wanted(name))
            continue;
        QFile f(file);
        if (f.size() > limits.entryBytes)
            throw LimitPassed(
                QStringLiteral("Файл «%1» больше %2 МБ.").arg(name, megabytes(limits.entryBytes)));
        if (!f.open(QIODevice::ReadOnly))
            throw MoveInError(
                QStringLiteral("Не могу прочитать файл «%1»: %2").arg(name, fileError(f)));
        const QByteArray bytes = f.read(limits.entryBytes + 1);
        total += bytes.size();
        if (bytes.size() > limits.entryBytes || total > limits.totalBytes)
            throw LimitPassed(QStringLiteral("Файлы папки «%1» больше %2 МБ.")
                                  .arg(root.dirName(), megabytes(limits.totalBytes)));
        spend(bytes.size(), 0, 0, root.dirName(), limits);
        take(name, bytes);
    }
}

QByteArray gunzip(const QByteArray& bytes, qint64 limit, const QString& name) {
    const Limits limits;
    const BudgetScope budget;
    ArchivePtr a = openReader(true);
    archive_entry* entry = nullptr;
    if (archive_read_open_memory(a.get(), bytes.constData(), size_t(bytes.size())) != ARCHIVE_OK ||
        archive_read_next_header(a.get(), &entry) != ARCHIVE_OK)
        throw MoveInError(QStringLiteral("сжатые данные повреждены"));
    QByteArray out;
    char chunk[64 * 1024];
    while (true) {
        const la_ssize_t got = archive_read_data(a.get(), chunk, sizeof chunk);
        if (got < 0)
            throw MoveInError(QStringLiteral("сжатые данные повреждены"));
        if (got == 0)
            break;
        if (out.size() + got > limit)
            throw LimitPassed(QStringLiteral("Файл «%1» распаковывается больше чем в %2 МБ.")
                                  .arg(name, megabytes(limit)));
        spend(got, out.size() + got, bytes.size(), name, limits);
        out.append(chunk, qsizetype(got));
    }
    return out;
}

} // namespace movein
