// Moving in: a Paprika archive of a thousand recipes, with a photo each and without, read
// into a copy of the bench's collection; recipes a second and the memory it took at most.

#include "BenchFixture.h"
#include "data/Database.h"
#include "movein/MoveInStore.h"
#include "ui/Progress.h"

#include <QBuffer>
#include <QFile>
#include <QImageWriter>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPainter>
#include <QTemporaryDir>
#include <archive.h>
#include <archive_entry.h>
#include <benchmark/benchmark.h>

namespace {

// A phone's photo as Paprika keeps it: 1,600 × 1,200, soft shapes and some detail.
QByteArray phonePhoto() {
    QImage image(1600, 1200, QImage::Format_RGB32);
    QPainter p(&image);
    p.fillRect(image.rect(), QColor(230, 220, 200));
    for (int i = 0; i < 400; ++i)
        p.fillRect((i * 97) % 1600, (i * 61) % 1200, 40 + i % 90, 30 + i % 70,
                   QColor((i * 37) % 256, (i * 91) % 256, (i * 53) % 256));
    p.end();
    QByteArray out;
    QBuffer buffer(&out);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpg");
    writer.setQuality(85);
    writer.write(image);
    return out;
}

// Bytes of one gzip stream, or a zip of named entries, written by libarchive.
class Writer {
public:
    explicit Writer(bool zip) : m_a(archive_write_new()) {
        if (zip) {
            archive_write_set_format_zip(m_a);
        } else {
            archive_write_set_format_raw(m_a);
            archive_write_add_filter_gzip(m_a);
        }
        archive_write_open(m_a, &m_out, nullptr, &Writer::append, nullptr);
    }
    void add(const QString& name, const QByteArray& bytes) {
        archive_entry* e = archive_entry_new();
        archive_entry_set_pathname_utf8(e, name.toUtf8().constData());
        archive_entry_set_size(e, bytes.size());
        archive_entry_set_filetype(e, AE_IFREG);
        archive_entry_set_perm(e, 0644);
        archive_write_header(m_a, e);
        archive_write_data(m_a, bytes.constData(), size_t(bytes.size()));
        archive_entry_free(e);
    }
    QByteArray finish() {
        archive_write_close(m_a);
        archive_write_free(m_a);
        return m_out;
    }

private:
    static la_ssize_t append(archive*, void* out, const void* data, size_t size) {
        static_cast<QByteArray*>(out)->append(static_cast<const char*>(data), qsizetype(size));
        return la_ssize_t(size);
    }
    archive* m_a;
    QByteArray m_out;
};

QString paprikaArchive(const QString& folder, bool withPhotos) {
    static const QStringList lines{
        "200 г муки",    "2 яйца",         "1 ст. л. сахара",        "соль по вкусу",
        "500 мл молока", "Морковь — 2 шт", "100 г сливочного масла", "1 луковица"};
    const QString photo = withPhotos ? QString::fromLatin1(phonePhoto().toBase64()) : QString();
    Writer zip(true);
    for (int i = 0; i < 1000; ++i) {
        QJsonObject o;
        o["name"] = QStringLiteral("Рецепт %1\n").arg(i);
        QStringList mine;
        for (int k = 0; k < 8; ++k)
            mine << lines[(i + k * 3) % lines.size()];
        o["ingredients"] = mine.join('\n');
        o["directions"] = QStringLiteral("Смешать.\nЗапечь при 180 градусах 40 минут.");
        o["categories"] = QJsonArray{QStringLiteral("Раздел %1").arg(i % 10)};
        if (withPhotos)
            o["photo_data"] = photo;
        Writer gz(false);
        gz.add(QStringLiteral("x"), QJsonDocument(o).toJson(QJsonDocument::Compact));
        zip.add(QStringLiteral("Рецепт %1.paprikarecipe").arg(i), gz.finish());
    }
    const QString path = folder + QStringLiteral("/Мои рецепты.paprikarecipes");
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(zip.finish());
    return path;
}

qint64 statusKb(const char* field) {
    QFile f(QStringLiteral("/proc/self/status"));
    f.open(QIODevice::ReadOnly);
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith(field))
            return line.mid(qstrlen(field)).trimmed().split(' ').value(0).toLongLong();
    return 0;
}

// Argument 1: each recipe with its photo. Run alone for the memory figure: the peak is
// counted from the row's start (the kernel's high-water mark reset).
void BM_MoveInPaprika1000(benchmark::State& state) {
    QTemporaryDir dir;
    const QString archive = paprikaArchive(dir.path(), state.range(0) != 0);
    int recipes = 0;
    qint64 peakKb = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const QString path = dir.filePath(QStringLiteral("data.db"));
        QFile::remove(path);
        QFile::copy(benchCollectionPath(), path);
        Database db;
        db.open(path, Database::OpenMode::Existing);
        QFile clear(QStringLiteral("/proc/self/clear_refs"));
        if (clear.open(QIODevice::WriteOnly))
            clear.write("5");
        clear.close();
        const qint64 idleKb = statusKb("VmRSS:");
        state.ResumeTiming();
        NoProgress quiet;
        recipes = movein::importCollection(db, archive, 0, quiet).recipes;
        state.PauseTiming();
        peakKb = std::max(peakKb, statusKb("VmHWM:") - idleKb);
        state.ResumeTiming();
    }
    state.counters["recipes_per_s"] = benchmark::Counter(
        double(recipes) * double(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["peak_MB_over_idle"] = double(peakKb) / 1024.0;
}
BENCHMARK(BM_MoveInPaprika1000)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace
