// Benchmarks of the targets the program is held to, on the generated collection L.
// Run: build/bin/ovelta-bench (QT_QPA_PLATFORM=offscreen is set when none is given).
// XL, ten times L (100,000 recipes, 1,000,000 lines): build/bin/ovelta-bench --xl, or
// OVELTA_BENCH_XL=1 in the environment.
// Peak memory: build/bin/ovelta-generate /tmp/L.db && build/bin/ovelta-bench --memory /tmp/L.db
// Intake CPU per page: build/bin/ovelta-bench --intake-cpu ../shared/corpus/pages-ru ...
// Export of one huge section: build/bin/ovelta-bench --export-one-section /tmp/XL.db
// The kitchen's two questions against the pass over the lines, on a collection already made
// (XL takes minutes to generate): build/bin/ovelta-bench --kitchen /tmp/XL.db

#include "BenchFixture.h"
#include "CollectionGenerator.h"
#include "ExportBench.h"
#include "IntakeBench.h"
#include "app/CCookbookApp.h"
#include "app/CMainFrame.h"
#include "catalog/CCatalogView.h"
#include "data/Schema.h"
#include "exchange/ExchangeFormat.h"
#include "exchange/ExchangeStore.h"
#include "intake/IntakeStore.h"
#include "intake/RecipeReader.h"
#include "kitchen/KitchenStore.h"
#include "recipes/CRView.h"
#include "reference/CDictionaryWork.h"
#include "search/CFoundListView.h"
#include "search/CSearchBox.h"
#include "search/SearchStore.h"
#include "search/TextIndex.h"
#include "ui/Commands.h"
#include "ui/Progress.h"
#include "ui/Prompts.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QProcess>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <sys/resource.h>

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

namespace {

void BM_ShowRecipe30Lines(benchmark::State& state) {
    Database db;
    db.open(fixture().path, Database::OpenMode::Existing);
    CRView view(db);
    for (auto _ : state)
        benchmark::DoNotOptimize(view.ShowRecipe(fixture().info.recipeWith30Lines));
}
BENCHMARK(BM_ShowRecipe30Lines)->Unit(benchmark::kMillisecond);

// Rows with the argument 1 run on the collection with a thousand photos.
const QString& collectionFor(const benchmark::State& state) {
    static const QString withPhotos = photoCollectionPath();
    return state.range(0) == 0 ? fixture().path : withPhotos;
}

void BM_ExpandSection5000Recipes(benchmark::State& state) {
    Database db;
    db.open(collectionFor(state), Database::OpenMode::Existing);
    for (auto _ : state) {
        state.PauseTiming();
        auto tree = std::make_unique<CCatalogView>(db);
        tree->loadTopLevel();
        QTreeWidgetItem* big = tree->findChild(nullptr, fixture().info.bigSection);
        state.ResumeTiming();
        tree->expandSection(big);
        benchmark::DoNotOptimize(big->childCount());
        state.PauseTiming();
        tree.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_ExpandSection5000Recipes)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_FindByName(benchmark::State& state) {
    Database db;
    db.open(collectionFor(state), Database::OpenMode::Existing);
    for (auto _ : state)
        benchmark::DoNotOptimize(search::findByName(db, QStringLiteral("ка")).size());
}
BENCHMARK(BM_FindByName)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// The floor under the name search: the engine alone runs the same match over every name.
void BM_FindByNameSqliteFloor(benchmark::State& state) {
    Database db;
    db.open(fixture().path, Database::OpenMode::Existing);
    for (auto _ : state)
        benchmark::DoNotOptimize(
            db.scalar("SELECT count(*) FROM Recipes WHERE Name LIKE '%ка%'").index());
}
BENCHMARK(BM_FindByNameSqliteFloor)->Unit(benchmark::kMillisecond);

// "ка" typed into the search box: the results list filled with every recipe it finds.
void BM_SearchBoxListFilled(benchmark::State& state) {
    Database db;
    db.open(collectionFor(state), Database::OpenMode::Existing);
    CMainFrame frame(db);
    frame.show();
    QLineEdit* field = frame.searchBox()->field();
    field->setText(QStringLiteral("к")); // the names are read into memory once
    for (auto _ : state) {
        state.PauseTiming();
        field->clear();
        state.ResumeTiming();
        field->setText(QStringLiteral("ка"));
        QApplication::processEvents();
    }
    state.counters["rows"] = frame.foundListView()->rowCount();
}
BENCHMARK(BM_SearchBoxListFilled)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// One more letter in the box: "ка" becomes "кар".
void BM_SearchBoxKeystroke(benchmark::State& state) {
    Database db;
    db.open(fixture().path, Database::OpenMode::Existing);
    CMainFrame frame(db);
    frame.show();
    QLineEdit* field = frame.searchBox()->field();
    for (auto _ : state) {
        state.PauseTiming();
        field->setText(QStringLiteral("ка"));
        state.ResumeTiming();
        field->insert(QStringLiteral("р"));
        QApplication::processEvents();
    }
    state.counters["rows"] = frame.foundListView()->rowCount();
}
BENCHMARK(BM_SearchBoxKeystroke)->Unit(benchmark::kMillisecond);

void BM_FullTextTwoWords(benchmark::State& state) {
    Database db;
    db.open(fixture().path, Database::OpenMode::Existing);
    size_t found = 0;
    for (auto _ : state)
        found = search::findByText(db, fixture().twoWords).size();
    state.counters["rows"] = double(found);
}
BENCHMARK(BM_FullTextTwoWords)->Unit(benchmark::kMillisecond);

// A recipe page of 2 MB (a real site's page is mostly everything else) with 50 lines, read
// and its lines parsed.
void BM_IntakePage2MB(benchmark::State& state) {
    QByteArray page = "<html><head><script type=\"application/ld+json\">{\"@type\": \"Recipe\", "
                      "\"name\": \"Пирог\", \"recipeIngredient\": [";
    for (int i = 0; i < 50; ++i)
        page += (i ? ", " : "") + QByteArray("\"Мука пшеничная высшего сорта — ") +
                QByteArray::number(i + 1) + " ст. л.\"";
    page += "], \"recipeInstructions\": \"Испечь.\"}</script></head><body>";
    while (page.size() < 2 * 1024 * 1024)
        page += "<div class=\"comment\"><p>Отличный рецепт, спасибо! Пеку каждые выходные.</p>"
                "<a href=\"/user/1\">Читатель</a></div>\n";
    page += "</body></html>";
    for (auto _ : state) {
        const intake::ReadRecipe read = intake::readHtml(page);
        size_t parsed = 0;
        for (const QString& line : read.ingredients)
            parsed += intake::parseLine(line).product.isEmpty() ? 0 : 1;
        if (parsed != 50)
            state.SkipWithError("the page's lines were not all read");
    }
}
BENCHMARK(BM_IntakePage2MB)->Unit(benchmark::kMillisecond);

// The same page with its recipe declared at the end of the body: the whole page is parsed.
void BM_IntakePage2MBRecipeInBody(benchmark::State& state) {
    QByteArray page = "<html><head><title>Пирог</title></head><body>";
    while (page.size() < 2 * 1024 * 1024)
        page += "<div class=\"comment\"><p>Отличный рецепт, спасибо! Пеку каждые выходные.</p>"
                "<a href=\"/user/1\">Читатель</a></div>\n";
    page += "<script type=\"application/ld+json\">{\"@type\": \"Recipe\", \"name\": \"Пирог\", "
            "\"recipeIngredient\": [\"Мука — 200 г\"]}</script></body></html>";
    for (auto _ : state)
        benchmark::DoNotOptimize(intake::readHtml(page).ingredients.size());
}
BENCHMARK(BM_IntakePage2MBRecipeInBody)->Unit(benchmark::kMillisecond);

// Matching 50 lines against a dictionary of 5,000 products, the stems of all of them
// taken when the dialog opens.
void BM_IntakeMatch5000Products(benchmark::State& state) {
    QTemporaryDir dir;
    Database db;
    db.open(dir.filePath(QStringLiteral("m.db")), Database::OpenMode::Create);
    schema::create(db);
    {
        Transaction tx(db);
        const QStringList words = {"мука",  "сахар", "масло", "молоко", "соль",
                                   "перец", "яйцо",  "сыр",   "творог", "кефир"};
        for (int i = 0; i < 5000; ++i)
            db.exec("INSERT INTO Ingredient (Name) VALUES (?)",
                    {words[i % 10] + QStringLiteral(" сорт%1").arg(i)});
        tx.commit();
    }
    for (auto _ : state) {
        const intake::Matcher matcher(db);
        for (int i = 0; i < 50; ++i)
            benchmark::DoNotOptimize(
                matcher.match(intake::parseLine(QStringLiteral("200 г муки сорт%1").arg(i * 97))));
    }
}
BENCHMARK(BM_IntakeMatch5000Products)->Unit(benchmark::kMillisecond);

void BM_FindByProduct(benchmark::State& state) {
    Database db;
    db.open(fixture().path, Database::OpenMode::Existing);
    for (auto _ : state)
        benchmark::DoNotOptimize(search::findByProduct(db, 7).size());
}
BENCHMARK(BM_FindByProduct)->Unit(benchmark::kMillisecond);

// "Что приготовить?" as the user runs it: progress window, scan, results list filled.
void BM_WhatToCookCommand(benchmark::State& state) {
    Database db;
    db.open(fixture().path, Database::OpenMode::Existing);
    CMainFrame frame(db);
    frame.show();
    Prompts::setTestMode(true); // an empty result's message must not wait for a click
    for (auto _ : state)
        frame.runCommand(ID_WHAT_TO_COOK);
    Prompts::setTestMode(false);
}
BENCHMARK(BM_WhatToCookCommand)->Unit(benchmark::kMillisecond);

// The bare pass over the stored query of every line with its recipe, for comparison.
void BM_IngredientUseScan(benchmark::State& state) {
    Database db;
    db.open(fixture().path, Database::OpenMode::Existing);
    for (auto _ : state) {
        Statement rows(db, SqlText("SELECT ID, Name, Have FROM IngredientUse"));
        qint64 n = 0;
        while (rows.step())
            n += rows.int64(2);
        benchmark::DoNotOptimize(n);
    }
}
BENCHMARK(BM_IngredientUseScan)->Unit(benchmark::kMillisecond);

// "Чего не хватает?" with up to three products lacking, as the dialog fills its list.
void BM_WhatIsMissing3(benchmark::State& state) {
    Database db;
    db.open(fixture().path, Database::OpenMode::Existing);
    size_t rows = 0;
    for (auto _ : state) {
        NoProgress quiet;
        rows = kitchen::whatIsMissing(db, 3, quiet).size();
    }
    state.counters["rows"] = double(rows);
}
BENCHMARK(BM_WhatIsMissing3)->Unit(benchmark::kMillisecond);

// The floor under both kitchen questions: one pass over the lines in the engine.
void BM_LinesScanFloor(benchmark::State& state) {
    Database db;
    db.open(fixture().path, Database::OpenMode::Existing);
    for (auto _ : state) {
        Statement rows(db, SqlText("SELECT Recipe, Ingredient, Have FROM Ingredients"));
        qint64 n = 0;
        while (rows.step())
            n += rows.int64(0) + rows.int64(2);
        benchmark::DoNotOptimize(n);
    }
}
BENCHMARK(BM_LinesScanFloor)->Unit(benchmark::kMillisecond);

void BM_ShoppingList50Dishes(benchmark::State& state) {
    Database db;
    db.open(fixture().path, Database::OpenMode::Existing);
    for (auto _ : state)
        benchmark::DoNotOptimize(kitchen::shoppingList(db).size());
}
BENCHMARK(BM_ShoppingList50Dishes)->Unit(benchmark::kMillisecond);

void BM_MenuProductList50Dishes(benchmark::State& state) {
    Database db;
    db.open(fixture().path, Database::OpenMode::Existing);
    CMainFrame frame(db);
    frame.show();
    for (auto _ : state)
        frame.runCommand(ID_MENU_PRODUCT_LIST);
}
BENCHMARK(BM_MenuProductList50Dishes)->Unit(benchmark::kMillisecond);

void BM_MenuProductListDocument(benchmark::State& state) {
    Database db;
    db.open(fixture().path, Database::OpenMode::Existing);
    for (auto _ : state)
        benchmark::DoNotOptimize(kitchen::menuProductListRtf(db).size());
}
BENCHMARK(BM_MenuProductListDocument)->Unit(benchmark::kMillisecond);

void BM_AddProductUsedBy1000Lines(benchmark::State& state) {
    Database db;
    db.open(fixture().path, Database::OpenMode::Existing);
    const int product = fixture().popular;
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            kitchen::addProducts(db, kitchen::List::OnHand, {{product, QString()}}).size());
        state.PauseTiming();
        kitchen::removeProducts(db, kitchen::List::OnHand, {product});
        state.ResumeTiming();
    }
}
BENCHMARK(BM_AddProductUsedBy1000Lines)->Unit(benchmark::kMillisecond);

void BM_ProductWorkOpen(benchmark::State& state) {
    Database db;
    db.open(fixture().path, Database::OpenMode::Existing);
    for (auto _ : state) {
        CIngredientWork dialog(db);
        dialog.show();
        QApplication::processEvents();
        benchmark::DoNotOptimize(dialog.entries()->count());
    }
}
BENCHMARK(BM_ProductWorkOpen)->Unit(benchmark::kMillisecond);

// Moving to a product that 500 lines use, which fills the usage list with them.
void BM_ProductWorkMove(benchmark::State& state) {
    Database db;
    db.open(fixture().path, Database::OpenMode::Existing);
    CIngredientWork dialog(db);
    dialog.show();
    QListWidget* list = dialog.entries();
    int frequentRow = -1;
    for (int i = 0; i < list->count(); ++i)
        if (list->item(i)->data(Qt::UserRole).toInt() == fixture().frequent)
            frequentRow = i;
    for (auto _ : state) {
        list->setCurrentRow(frequentRow);
        QApplication::processEvents();
        state.PauseTiming();
        list->setCurrentRow(frequentRow == 0 ? 1 : 0);
        state.ResumeTiming();
    }
    if (dialog.usage()->count() == 0)
        state.SkipWithError("the usage list stayed empty");
}
BENCHMARK(BM_ProductWorkMove)->Unit(benchmark::kMillisecond);

// Import and export of the whole of L, with the raw baseline the import is held to: the
// same rows inserted through prepared statements in one transaction.
void exchangeFigures() {
    Database source;
    source.open(fixture().path, Database::OpenMode::Existing);
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
    std::printf("\nExchange file of %s: %.1f MB, %zu recipes, %zu lines\n", scale == 1 ? "L" : "XL",
                double(file.size()) / 1e6, rows.recipes.size(), rows.lines.size());
    std::printf("export of the whole collection: %8.1f ms   (target 1000 ms)\n", exportMs);
    std::printf("import of the file:             %8.1f ms   (target 2000 ms)\n", importMs);
    std::printf("raw baseline, same rows:        %8.1f ms\n", baselineMs);
    std::printf("import / baseline:              %8.2f     (target 4)\n", importMs / baselineMs);
    std::printf("full-text index of the whole collection: %8.1f ms   (target %s)\n",
                fixture().indexMs, scale == 1 ? "2000 ms" : "20000 ms");
}

// One start-up to the painted window, in milliseconds.
double startOnce(const QString& path) {
    QElapsedTimer timer;
    timer.start();
    CCookbookApp app(path);
    if (!app.initInstance())
        return -1;
    app.mainWindow()->repaint();
    QApplication::processEvents();
    return double(timer.nsecsElapsed()) / 1e6;
}

// One start-up in a process of its own, as the user's is, in milliseconds (-1: failed).
// Start-ups repeated in one process inherit the heap that the previous one freed, which
// a real start never meets: the thread that reads the tree ahead pays for it.
double startInOwnProcess(const QString& path) {
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--startup-once"), path});
    if (!child.waitForFinished(60000) || child.exitCode() != 0)
        return -1;
    bool ok = false;
    const double ms = QString::fromLatin1(child.readAllStandardOutput()).trimmed().toDouble(&ok);
    return ok ? ms : -1;
}

void BM_StartupToPaintedWindow(benchmark::State& state) {
    for (auto _ : state) {
        const double ms = startInOwnProcess(collectionFor(state));
        if (ms < 0) {
            state.SkipWithError("start-up failed");
            break;
        }
        state.SetIterationTime(ms / 1000);
    }
}
BENCHMARK(BM_StartupToPaintedWindow)
    ->Arg(0)
    ->Arg(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// The process's peak resident memory in kilobytes since the last reset, or -1 where the
// system does not tell it.
qint64 peakKb() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    return -1;
}

// Telling whether 24 MB of Cyrillic UTF-8 is UTF-8 must not decode a copy of it: the peak
// grows by less than 8 MB.
void encodingCheckMemory() {
    const QByteArray bytes = QByteArray("Ovelta 2.01\r\nRECIPE=") +
                             QStringLiteral("Щи\r\n").toUtf8().repeated(4 * 1024 * 1024);
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (!clear.open(QIODevice::WriteOnly) || clear.write("5") != 1 || peakKb() < 0)
        return;
    clear.close();
    const qint64 before = peakKb();
    exchange::Lines lines(bytes);
    const bool utf8 = lines.isUtf8();
    std::printf("peak memory added by telling the encoding of 24 MB: %.1f MB (%s, target < 8)\n",
                double(peakKb() - before) / 1024, utf8 ? "UTF-8" : "not UTF-8?");
}

// Opens a collection as the program does, expands every section of the tree, and reports
// the peak memory of the whole process. Run on a collection made by ovelta-generate, so
// that making it does not count.
int peakMemory(const QString& path) {
    encodingCheckMemory();
    CCookbookApp app(path);
    if (!app.initInstance())
        return 1;
    CCatalogView* tree = app.mainWindow()->catalogView();
    std::function<void(QTreeWidgetItem*)> expandAll = [&](QTreeWidgetItem* item) {
        tree->expandSection(item);
        for (int i = 0; i < item->childCount(); ++i)
            if (item->child(i)->childCount() > 0)
                expandAll(item->child(i));
    };
    for (int i = 0; i < tree->topLevelItemCount(); ++i)
        if (tree->topLevelItem(i)->childCount() > 0)
            expandAll(tree->topLevelItem(i));
    app.mainWindow()->repaint();
    QApplication::processEvents();
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("peak memory with the tree expanded: %.1f MB\n", double(usage.ru_maxrss) / 1024);
    return 0;
}

// Start-up to the painted window on a collection made beforehand (ovelta-generate), the
// best of twenty: for XL without generating it in the run.
int startupTime(const QString& path) {
    double best = -1;
    for (int i = 0; i < 20; ++i) {
        const double ms = startInOwnProcess(path);
        if (ms < 0)
            return 1;
        if (best < 0 || ms < best)
            best = ms;
    }
    std::printf("start-up to the painted window: %.1f ms\n", best);
    return 0;
}

} // namespace

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

int kitchenRatios(const QString& path) {
    Database db;
    db.open(path, Database::OpenMode::Existing);
    size_t cook = 0, missing = 0;
    auto cookOnce = [&] {
        NoProgress quiet;
        cook = kitchen::whatToCook(db, quiet).size();
    };
    auto missingOnce = [&] {
        NoProgress quiet;
        missing = kitchen::whatIsMissing(db, 3, quiet).size();
    };
    const qint64 usual = kitchen::parallelScanFrom;
    auto inOneThread = [usual](const std::function<void()>& f) {
        return [f, usual] {
            kitchen::parallelScanFrom = std::numeric_limits<qint64>::max();
            f();
            kitchen::parallelScanFrom = usual;
        };
    };
    const std::vector<double> ms = medianMsInTurns(
        {[&] {
             Statement rows(db, SqlText("SELECT Recipe, Ingredient, Have FROM Ingredients"));
             qint64 n = 0;
             while (rows.step())
                 n += rows.int64(0) + rows.int64(2);
             benchmark::DoNotOptimize(n);
         },
         cookOnce, missingOnce, inOneThread(cookOnce), inOneThread(missingOnce)});
    const double floor = ms[0];
    std::printf("lines scan floor %.1f ms; what to cook %.1f ms (%.2fx, %zu rows); "
                "missing 3 %.1f ms (%.2fx, %zu rows)\n",
                floor, ms[1], ms[1] / floor, cook, ms[2], ms[2] / floor, missing);
    std::printf("in one thread: what to cook %.1f ms (%.2fx); missing 3 %.1f ms (%.2fx)\n", ms[3],
                ms[3] / floor, ms[4], ms[4] / floor);
    return 0;
}

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    initOveltaResources();
    if (argc == 3 && std::strcmp(argv[1], "--memory") == 0)
        return peakMemory(QString::fromLocal8Bit(argv[2]));
    if (argc == 3 && std::strcmp(argv[1], "--startup-once") == 0) {
        const double ms = startOnce(QString::fromLocal8Bit(argv[2]));
        std::printf("%.3f\n", ms);
        return ms < 0 ? 1 : 0;
    }
    if (argc == 3 && std::strcmp(argv[1], "--export-one-section") == 0)
        return exportOneSectionMemory(QString::fromLocal8Bit(argv[2]));
    if (argc >= 3 && std::strcmp(argv[1], "--intake-cpu") == 0) {
        QStringList dirs;
        for (int i = 2; i < argc; ++i)
            dirs << QString::fromLocal8Bit(argv[i]);
        return intakeCpu(dirs);
    }
    if (argc == 3 && std::strcmp(argv[1], "--kitchen") == 0)
        return kitchenRatios(QString::fromLocal8Bit(argv[2]));
    if (argc == 3 && std::strcmp(argv[1], "--startup") == 0)
        return startupTime(QString::fromLocal8Bit(argv[2]));
    if (argc >= 2 && std::strcmp(argv[1], "--xl") == 0) {
        scale = 10;
        for (int i = 1; i + 1 < argc; ++i)
            argv[i] = argv[i + 1];
        --argc;
    }
    if (qEnvironmentVariableIntValue("OVELTA_BENCH_XL") != 0)
        scale = 10;
    std::printf("Collection %s\n", scale == 1 ? "L" : "XL");
    benchmark::Initialize(&argc, argv);
    fixture();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    exchangeFigures();
    return 0;
}
