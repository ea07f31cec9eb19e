// Recipe photos: showing a recipe that has one, setting one from a camera's picture, and
// what a photo adds to the collection file. A thousand recipes hold photos, as in a
// collection a cook has photographed for a while.

#include "BenchFixture.h"
#include "data/Database.h"
#include "photos/PhotoStore.h"
#include "recipes/CRView.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageWriter>
#include <QPainter>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

// A 4,000 × 3,000 picture with a camera's fine detail (noise over soft shapes), as a JPEG
// of about 5 MB.
const QByteArray& cameraJpeg() {
    static const QByteArray bytes = [] {
        QImage image(4000, 3000, QImage::Format_RGB32);
        QRandomGenerator random(7);
        for (int y = 0; y < image.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
            for (int x = 0; x < image.width(); ++x) {
                const int n = int(random.bounded(48));
                line[x] = qRgb((x / 16 + n) & 0xFF, (y / 12 + n) & 0xFF, ((x + y) / 28 + n) & 0xFF);
            }
        }
        QByteArray out;
        QBuffer buffer(&out);
        buffer.open(QIODevice::WriteOnly);
        QImageWriter writer(&buffer, "jpg");
        writer.setQuality(90);
        writer.write(image);
        return out;
    }();
    return bytes;
}

// The bench's collection with a thousand photos, spread over its sections, made once.
struct PhotoCollection {
    QTemporaryDir dir;
    QString path;
    int shown = 0;
    double kbPerPhoto = 0;
    PhotoCollection() {
        path = dir.filePath(QStringLiteral("data.db"));
        QFile::copy(benchCollectionPath(), path);
        const qint64 before = QFileInfo(path).size();
        Database db;
        db.open(path, Database::OpenMode::Existing);
        const photos::Photo photo = photos::normalise(cameraJpeg(), QStringLiteral("camera.jpg"));
        std::vector<int> recipes;
        {
            const qint64 all = std::get<qint64>(db.scalar("SELECT count(*) FROM Recipes"));
            Statement ids(db, SqlText("SELECT ID FROM Recipes WHERE ID % ? = 0 LIMIT 1000"));
            ids.bind(1, std::max<qint64>(1, all / 1000));
            while (ids.step())
                recipes.push_back(int(ids.int64(0)));
        }
        for (int id : recipes)
            photos::setPhoto(db, id, photo);
        shown = recipes.at(recipes.size() / 2);
        db.close();
        kbPerPhoto = double(QFileInfo(path).size() - before) / 1024 / double(recipes.size());
    }
};

PhotoCollection& photoCollection() {
    static PhotoCollection c;
    return c;
}

void BM_ShowRecipeWithPhoto(benchmark::State& state) {
    Database db;
    db.open(photoCollection().path, Database::OpenMode::Existing);
    CRView view(db);
    view.resize(480, 600);
    for (auto _ : state)
        benchmark::DoNotOptimize(view.ShowRecipe(photoCollection().shown));
    state.counters["file_KB_per_photo"] = photoCollection().kbPerPhoto;
}
BENCHMARK(BM_ShowRecipeWithPhoto)->Unit(benchmark::kMillisecond);

// From the picture's bytes to the photo stored, as "Фотография рецепта..." does it; the
// counter is what each photo adds to the file.
void BM_SetPhotoFromCameraJpeg(benchmark::State& state) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("data.db"));
    QFile::copy(photoCollection().path, path);
    Database db;
    db.open(path, Database::OpenMode::Existing);
    size_t stored = 0;
    for (auto _ : state) {
        const photos::Photo photo = photos::normalise(cameraJpeg(), QStringLiteral("camera.jpg"));
        photos::setPhoto(db, photoCollection().shown, photo);
        stored = size_t(photo.image.size() + photo.small.size());
    }
    state.counters["source_MB"] = double(cameraJpeg().size()) / (1024 * 1024);
    state.counters["stored_KB"] = double(stored) / 1024;
}
BENCHMARK(BM_SetPhotoFromCameraJpeg)->Unit(benchmark::kMillisecond);

} // namespace

QString photoCollectionPath() {
    return photoCollection().path;
}
