// Import and export of the whole collection, with the raw baseline the import is held to.

#include "BenchFixture.h"
#include "data/Database.h"
#include "data/Schema.h"
#include "exchange/ExchangeFormat.h"
#include "exchange/ExchangeStore.h"
#include "ui/Progress.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <cstdio>
#include <functional>

// Import and export of the whole of L, with the raw baseline the import is held to: the
// same rows inserted through prepared statements in one transaction.
void exchangeFigures() {
    Database source;
    source.open(benchCollection().path, Database::OpenMode::Existing);
    const QByteArray file = exchange::exportBytes(source, std::nullopt);

    auto best = [](int runs, const std::function<qint64()>& once) {
        qint64 b = -1;
        for (int i = 0; i < runs; ++i) {
            const qint64 t = once();
            if (b < 0 || t < b)
                b = t;
        }
        return double(b) / 1e6;
    };
    QTemporaryDir dir;
    int n = 0;
    auto freshDb = [&](Database& db) {
        db.open(dir.filePath(QStringLiteral("i%1.db").arg(n++)), Database::OpenMode::Create);
        schema::create(db);
    };

    const double exportMs = best(3, [&] {
        QElapsedTimer timer;
        timer.start();
        exchange::exportToFile(source, std::nullopt, dir.filePath(QStringLiteral("L.ovl")));
        return timer.nsecsElapsed();
    });

    const double importMs = best(3, [&] {
        Database db;
        freshDb(db);
        NoProgress quiet;
        QElapsedTimer timer;
        timer.start();
        exchange::importBytes(db, file, quiet);
        return timer.nsecsElapsed();
    });

    // The rows as they stand in L, read before the clock starts.
    struct Rows {
        std::vector<std::pair<qint64, QString>> names; // products, then units
        std::vector<std::tuple<qint64, qint64, QString>> sections, recipes;
        std::vector<std::tuple<qint64, qint64, double, qint64>> lines;
    } rows;
    {
        Statement s(source, SqlText("SELECT ID, Parent, Name FROM Catalog ORDER BY ID"));
        while (s.step())
            rows.sections.emplace_back(s.int64(0), s.int64(1), s.text(2));
        Statement r(source, SqlText("SELECT Catalog, Name, Recipe FROM Recipes ORDER BY ID"));
        while (r.step())
            rows.recipes.emplace_back(r.int64(0), 0, r.text(1) + QChar(0) + r.text(2));
        Statement l(source, SqlText("SELECT Recipe, Ingredient, Quantity, Unit FROM Ingredients"));
        while (l.step())
            rows.lines.emplace_back(l.int64(0), l.int64(1), l.real(2), l.int64(3));
        Statement p(source, SqlText("SELECT ID, Name FROM Ingredient UNION ALL "
                                    "SELECT ID, Name FROM Units"));
        while (p.step())
            rows.names.emplace_back(p.int64(0), p.text(1));
    }
    const double baselineMs = best(3, [&] {
        Database db;
        freshDb(db);
        QElapsedTimer timer;
        timer.start();
        Transaction tx(db);
        Statement section(db, SqlText("INSERT INTO Catalog (Parent, Name) VALUES (?, ?)"));
        for (const auto& [id, parent, name] : rows.sections) {
            section.reset();
            section.bind(1, parent);
            section.bind(2, name);
            section.run();
        }
        Statement recipe(db,
                         SqlText("INSERT INTO Recipes (Catalog, Name, Recipe) VALUES (?, ?, ?)"));
        for (const auto& [catalog, unused, both] : rows.recipes) {
            const qsizetype cut = both.indexOf(QChar(0));
            recipe.reset();
            recipe.bind(1, catalog);
            recipe.bind(2, both.left(cut));
            recipe.bind(3, both.mid(cut + 1));
            recipe.run();
        }
        Statement name(db, SqlText("INSERT INTO Ingredient (Name) VALUES (?)"));
        for (const auto& [id, text] : rows.names) {
            name.reset();
            name.bind(1, text);
            name.run();
        }
        Statement line(db, SqlText("INSERT INTO Ingredients (Recipe, Ingredient, Quantity, Unit, "
                                   "Have) VALUES (?, ?, ?, ?, 0)"));
        for (const auto& [r, p, q, u] : rows.lines) {
            line.reset();
            line.bind(1, r);
            line.bind(2, p);
            line.bind(3, q);
            line.bind(4, u);
            line.run();
        }
        tx.commit();
        return timer.nsecsElapsed();
    });
    std::printf("\nExchange file of %s: %.1f MB, %zu recipes, %zu lines\n",
                benchScale() == 1 ? "L" : "XL", double(file.size()) / 1e6, rows.recipes.size(),
                rows.lines.size());
    std::printf("export of the whole collection: %8.1f ms   (target 1000 ms)\n", exportMs);
    std::printf("import of the file:             %8.1f ms   (target 2000 ms)\n", importMs);
    std::printf("raw baseline, same rows:        %8.1f ms\n", baselineMs);
    std::printf("import / baseline:              %8.2f     (target 4)\n", importMs / baselineMs);
    std::printf("full-text index of the whole collection: %8.1f ms   (target %s)\n",
                benchCollection().indexMs, benchScale() == 1 ? "2000 ms" : "20000 ms");
}
