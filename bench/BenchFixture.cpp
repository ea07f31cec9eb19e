// The generated collection every row runs on, made once, and what the rows share.

#include "BenchFixture.h"
#include "CollectionGenerator.h"
#include "data/Database.h"
#include "data/Schema.h"
#include "search/SearchStore.h"
#include "search/TextIndex.h"
#include "ui/Progress.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <functional>

namespace {

// 1 for L, 10 for XL.
int scale = 1;

// One collection L (or XL) for all benchmarks, made once.
struct Fixture {
    QTemporaryDir dir;
    QString path;
    GeneratedCollection info;
    Fixture() {
        path = dir.filePath(QStringLiteral("data.db"));
        Database db;
        db.open(path, Database::OpenMode::Create);
        schema::create(db);
        CollectionSize size;
        size.recipes *= scale;
        size.lines *= scale;
        size.products *= scale;
        size.sections *= scale;
        size.bigSectionRecipes = 5000;
        info = generateCollection(db, size);
        // About a third of the products at hand, as a kitchen has them; one product that
        // 1,000 lines use, for adding to the list.
        db.exec("INSERT INTO Products SELECT ID FROM Ingredient WHERE ID % 3 = 0");
        db.exec("UPDATE Ingredients SET Have = (Ingredient % 3 = 0)");
        db.exec("INSERT INTO Ingredient (Name) VALUES ('Популярный продукт')");
        popular = int(db.lastInsertRowId());
        db.exec("UPDATE Ingredients SET Ingredient=? WHERE ID IN "
                "(SELECT ID FROM Ingredients ORDER BY ID LIMIT 1000)",
                {qint64(popular)});
        db.exec("INSERT INTO Ingredient (Name) VALUES ('Частый продукт')");
        frequent = int(db.lastInsertRowId());
        db.exec("UPDATE Ingredients SET Ingredient=? WHERE ID IN "
                "(SELECT ID FROM Ingredients ORDER BY ID DESC LIMIT 500)",
                {qint64(frequent)});
        // The full-text index as a running program keeps it; its building is measured apart.
        QElapsedTimer timer;
        timer.start();
        NoProgress quiet;
        search::refreshTextIndex(db, quiet);
        indexMs = double(timer.nsecsElapsed()) / 1e6;
        // Two words of one recipe's method, for the search in the texts.
        const QStringList words =
            std::get<QString>(db.scalar("SELECT Recipe FROM Recipes WHERE ID=?",
                                        {qint64(info.recipeWith30Lines)}))
                .split(QLatin1Char(' '), Qt::SkipEmptyParts);
        twoWords = words.value(0) + QLatin1Char(' ') + words.value(1);
    }
    double indexMs = 0;
    QString twoWords;
    int popular = 0;
    int frequent = 0; // used by 500 lines
};

Fixture& fixture() {
    static Fixture f;
    return f;
}

} // namespace

QString benchCollectionPath() {
    return fixture().path;
}

int benchScale() {
    return scale;
}

void setBenchScale(int s) {
    scale = s;
}

const BenchCollection& benchCollection() {
    const Fixture& f = fixture();
    static const BenchCollection c{f.path, f.info, f.indexMs, f.twoWords, f.popular, f.frequent};
    return c;
}

const QString& collectionFor(const benchmark::State& state) {
    static const QString withPhotos = photoCollectionPath();
    return state.range(0) == 0 ? fixture().path : withPhotos;
}

// The median milliseconds of each of several measures, taken in turns: on a machine whose
// speed drifts, a measure run nine times in a row and its floor run nine times before it
// would be held to different machines.
std::vector<double> medianMsInTurns(const std::vector<std::function<void()>>& measures) {
    std::vector<std::vector<double>> ms(measures.size());
    for (int round = 0; round < 10; ++round)
        for (size_t m = 0; m < measures.size(); ++m) {
            QElapsedTimer timer;
            timer.start();
            measures[m]();
            if (round > 0) // the first round warms the caches
                ms[m].push_back(double(timer.nsecsElapsed()) / 1e6);
        }
    std::vector<double> medians;
    for (std::vector<double>& runs : ms) {
        std::sort(runs.begin(), runs.end());
        medians.push_back(runs[runs.size() / 2]);
    }
    return medians;
}
