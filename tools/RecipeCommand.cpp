// ovelta-db recipe: a recipe as plain text, for as many servings as wanted.

#include "DbTool.h"
#include "cooking/Scaling.h"

int recipeCommand(const QStringList& args) {
    Command c(true);
    QCommandLineOption servings(QStringLiteral("servings"), QString(), QStringLiteral("N"));
    QCommandLineOption times(QStringLiteral("times"), QString(), QStringLiteral("F"));
    QCommandLineOption grams(QStringLiteral("grams"));
    c.parser.addOption(servings);
    c.parser.addOption(times);
    c.parser.addOption(grams);
    // Misuse here fails as any other failure does: the recipe is what was asked for.
    if (QString e = c.parse(args, 1, 1); !e.isEmpty())
        return failure(e);
    if (c.parser.isSet(servings) && c.parser.isSet(times))
        return failure(QStringLiteral("--servings или --times, не оба / not both"));
    int id = 0;
    if (QString e = readRecipeId(c.arg(0), id); !e.isEmpty())
        return failure(e);
    std::optional<double> wantedServings;
    cooking::View view;
    view.grams = c.parser.isSet(grams);
    if (c.parser.isSet(servings)) {
        bool ok = false;
        const double n = c.parser.value(servings).toDouble(&ok);
        if (const QString problem = ok ? cooking::servingsProblem(n) : cooking::servingsProblem(0);
            !problem.isEmpty())
            return failure(QStringLiteral("--servings: %1").arg(problem));
        wantedServings = n;
    }
    if (c.parser.isSet(times)) {
        const std::optional<double> f = cooking::readFactor(c.parser.value(times));
        const QString problem = f ? cooking::factorProblem(*f) : cooking::factorProblem(0);
        if (!problem.isEmpty())
            return failure(QStringLiteral("--times: %1").arg(problem));
        view.factor = *f;
    }
    return onCollection(c, [&](Database& db) {
        const recipes::Servings stored = recipes::servingsOf(db, id);
        if (wantedServings) {
            if (!stored.known())
                return failure(QStringLiteral("в рецепте %1 не сказано, на сколько он порций: "
                                              "пересчитайте через --times")
                                   .arg(id));
            view.factor = *wantedServings / stored.count;
        }
        const std::optional<cooking::Shown> shown = cooking::present(db, id, view);
        if (!shown)
            return failure(QStringLiteral("нет рецепта с номером %1 / no recipe %1").arg(id));
        print(stdout, cooking::plainText(*shown));
        return 0;
    });
}
