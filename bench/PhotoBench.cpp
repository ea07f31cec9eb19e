// Recipe photos: showing a recipe that has one, setting one from a camera's picture, and
// what a photo adds to the collection file. A thousand recipes hold photos, as in a
// collection a cook has photographed for a while.

#include "BenchFixture.h"
#include "data/Database.h"
#include "photos/PhotoStore.h"
#include "recipes/CRView.h"

#include <QBuffer>
#include <QFile>
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

struct WithPhotos {
    QTemporaryDir dir;
    Database db;
    int shown = 0;
    WithPhotos() {
        const QString path = dir.filePath(QStringLiteral("data.db"));
        QFile::copy(benchCollectionPath(), path);
        db.open(path, Database::OpenMode::Existing);
        const photos::Photo photo = photos::normalise(cameraJpeg(), QStringLiteral("camera.jpg"));
        Transaction tx(db);
        Statement ids(db, SqlText("SELECT ID FROM Recipes ORDER BY ID LIMIT 1000"));
        std::vector<int> recipes;
        while (ids.step())
            recipes.push_back(int(ids.int64(0)));
        tx.commit();
        for (int id : recipes)
            photos::setPhoto(db, id, photo);
        shown = recipes.at(recipes.size() / 2);
    }
};

void BM_ShowRecipeWithPhoto(benchmark::State& state) {
    WithPhotos c;
    CRView view(c.db);
    view.resize(480, 600);
    for (auto _ : state)
        benchmark::DoNotOptimize(view.ShowRecipe(c.shown));
}
BENCHMARK(BM_ShowRecipeWithPhoto)->Unit(benchmark::kMillisecond);

// From the picture's bytes to the photo stored, as "Фотография рецепта..." does it; the
// counter is what each photo adds to the file.
void BM_SetPhotoFromCameraJpeg(benchmark::State& state) {
    WithPhotos c;
    size_t stored = 0;
    for (auto _ : state) {
        const photos::Photo photo = photos::normalise(cameraJpeg(), QStringLiteral("camera.jpg"));
        photos::setPhoto(c.db, c.shown, photo);
        stored = size_t(photo.image.size() + photo.small.size());
    }
    state.counters["source_MB"] = double(cameraJpeg().size()) / (1024 * 1024);
    state.counters["stored_KB"] = double(stored) / 1024;
}
BENCHMARK(BM_SetPhotoFromCameraJpeg)->Unit(benchmark::kMillisecond);

} // namespace
