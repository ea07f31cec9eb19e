// A helper for the crash tests: saves recipes the way the recipe editor does (one unit of
// work for the whole visit: lines first, then the recipe that takes them) over and over,
// until it is killed. Each recipe has exactly kLines lines.

#include "data/Database.h"
#include "recipes/RecipeStore.h"

#include <QCoreApplication>
#include <cstdio>

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    if (argc != 2)
        return 2;
    constexpr int kLines = 50;
    Database db;
    db.open(QString::fromLocal8Bit(argv[1]), Database::OpenMode::Existing);
    const int product = recipes::createEntry(db, recipes::Dictionary::Products, "Соль");
    std::puts("ready");
    std::fflush(stdout);
    for (int n = 0;; ++n) {
        Transaction visit(db);
        for (int i = 0; i < kLines; ++i)
            recipes::addLine(db, 0, product, float(i + 1), 0);
        recipes::createRecipe(db, 0, QStringLiteral("Рецепт %1").arg(n), QString(2000, 'x'));
        visit.commit();
    }
}
