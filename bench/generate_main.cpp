// ovelta-generate: makes a collection file filled with generated recipes, for trying the
// program out at a realistic size.

#include "CollectionGenerator.h"
#include "data/Database.h"
#include "data/Schema.h"

#include <QCoreApplication>
#include <QFile>
#include <cstdio>

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments().mid(1);
    if (args.isEmpty() || args[0].startsWith(QLatin1Char('-'))) {
        std::fputs("usage: ovelta-generate FILE [RECIPES]\n"
                   "  Creates FILE (which must not exist) with a generated collection:\n"
                   "  by default 10000 recipes, 100000 lines, 2000 products, 60 units,\n"
                   "  500 sections up to 4 levels deep, 50 dishes on the menu.\n",
                   stderr);
        return 2;
    }
    CollectionSize size;
    if (args.size() > 1) {
        const int recipes = args[1].toInt();
        if (recipes <= 0) {
            std::fputs("ovelta-generate: RECIPES must be a positive number\n", stderr);
            return 2;
        }
        const double scale = double(recipes) / size.recipes;
        size.recipes = recipes;
        size.lines = std::max(30, int(size.lines * scale));
        size.sections = std::max(1, int(size.sections * scale));
    }
    try {
        Database db;
        db.open(args[0], Database::OpenMode::Create);
        schema::create(db);
        generateCollection(db, size);
    } catch (const DbError& e) {
        std::fprintf(stderr, "ovelta-generate: %s\n", e.what());
        return 1;
    }
    return 0;
}
