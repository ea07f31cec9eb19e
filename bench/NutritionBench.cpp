// Food value rows: the shopping list adding up units, a recipe shown with its figures, and
// the products of a collection given the shipped table's figures at start-up.

#include "BenchFixture.h"
#include "data/Database.h"
#include "data/Schema.h"
#include "kitchen/KitchenStore.h"
#include "nutrition/FoodTable.h"
#include "nutrition/NutritionStore.h"
#include "recipes/CRView.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

// A copy of the collection in which every product has a food value and weighs something
// in every unit: every amount of the menu then goes through a conversion.
QString weighedCollectionPath() {
    static QTemporaryDir dir;
    static const QString path = [] {
        const QString copy = dir.filePath(QStringLiteral("weighed.db"));
        QFile::copy(benchCollectionPath(), copy);
        Database db;
        db.open(copy, Database::OpenMode::Existing);
        schema::upgrade(db);
        Transaction tx(db);
        db.exec("DELETE FROM ProductFood");
        db.exec("INSERT INTO ProductFood (Product, Kcal, Protein, Fat, Carbs, Density) "
                "SELECT ID, 50 + ID % 400, ID % 20, ID % 30, ID % 70, 0.5 + (ID % 10) / 10.0 "
                "FROM Ingredient");
        db.exec("INSERT OR IGNORE INTO ProductWeights (Product, Unit, Grams) "
                "SELECT i.ID, u.Name, 5 + (i.ID + u.ID) % 200 FROM Ingredient i, Units u");
        tx.commit();
        return copy;
    }();
    return path;
}

QString plainOrWeighed(const benchmark::State& state) {
    return state.range(0) == 0 ? benchCollectionPath() : weighedCollectionPath();
}

// The menu's 50 dishes: the list as the window shows it, in grams where the figures allow.
void BM_ShoppingListSums50Dishes(benchmark::State& state) {
    Database db;
    db.open(plainOrWeighed(state), Database::OpenMode::Existing);
    for (auto _ : state)
        benchmark::DoNotOptimize(kitchen::shoppingList(db).size());
}
BENCHMARK(BM_ShoppingListSums50Dishes)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// What showing a recipe costs beyond today's: reading its lines' figures and wording them.
void BM_RecipeFoodValue30Lines(benchmark::State& state) {
    Database db;
    db.open(plainOrWeighed(state), Database::OpenMode::Existing);
    Statement st(db, SqlText("SELECT Recipe FROM Ingredients GROUP BY Recipe "
                             "HAVING count(*) >= 30 LIMIT 1"));
    st.step();
    const int recipe = int(st.int64(0));
    for (auto _ : state)
        benchmark::DoNotOptimize(nutrition::foodText(nutrition::recipeFood(db, recipe)).size());
}
BENCHMARK(BM_RecipeFoodValue30Lines)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// A collection of 5,000 products none of which has figures: half named as the table names
// them (in other word orders and with more words), half unknown. The first start-up fills
// them all; the table is read and indexed inside the first iteration's time.
void BM_FillFromTable5000Products(benchmark::State& state) {
    QTemporaryDir dir;
    Database db;
    db.open(dir.filePath(QStringLiteral("fill.db")), Database::OpenMode::Create);
    schema::create(db);
    {
        Transaction tx(db);
        const auto& table = nutrition::foodTable();
        Statement add(db, SqlText("INSERT INTO Ingredient (Name) VALUES (?)"));
        for (int i = 0; i < 5000; ++i) {
            const nutrition::TableRow& row = table[size_t(i) % table.size()];
            const QString known = row.forms[i / int(table.size()) % row.forms.size()];
            add.reset();
            add.bind(1, i % 2 ? known + QStringLiteral(" свежий %1").arg(i)
                              : QStringLiteral("Продукт без справки %1").arg(i));
            add.run();
        }
        tx.commit();
    }
    int filled = 0;
    for (auto _ : state) {
        filled = nutrition::fillFromTable(db).filled;
        state.PauseTiming();
        db.exec("DELETE FROM ProductFood");
        db.exec("DELETE FROM ProductWeights");
        state.ResumeTiming();
    }
    state.counters["filled"] = filled;
    // A later start-up: nothing is asked again.
    nutrition::fillFromTable(db);
    QElapsedTimer again;
    again.start();
    const int asked = nutrition::fillFromTable(db).asked;
    state.counters["later_startup_ms"] = double(again.nsecsElapsed()) / 1e6;
    state.counters["later_asked"] = asked;
}
BENCHMARK(BM_FillFromTable5000Products)->Unit(benchmark::kMillisecond);

} // namespace
