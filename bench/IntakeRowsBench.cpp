// Reading a large page and matching its lines against many products.

#include "BenchFixture.h"
#include "data/Database.h"
#include "data/Schema.h"
#include "intake/IntakeStore.h"
#include "intake/RecipeReader.h"

#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

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

} // namespace
