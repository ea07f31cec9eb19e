// ovelta-db nutrition and product: a recipe's food value and a product's figures, as the
// recipe pane and the product dialog show them.

#include "DbTool.h"

#include "data/Schema.h"
#include "intake/IngredientLine.h"
#include "nutrition/FoodTable.h"
#include "nutrition/NutritionStore.h"
#include "recipes/RecipeStore.h"

#include <QLocale>
#include <QStringList>

namespace {

// As the program does at start-up: the file brought to the current version, and its products
// given the shipped table's figures where they have none.
void prepare(Database& db) {
    schema::upgrade(db);
    nutrition::fillFromTable(db);
}

// A figure as the table has it, with no rounding: "12,6".
QString exact(double value) {
    return QLocale(QLocale::Russian).toString(value, 'g', 6);
}

QString figuresText(const QString& name, const nutrition::Figures& f, bool own) {
    QStringList out{name};
    if (!f.known()) {
        out << QStringLiteral("нет данных о весе и пищевой ценности / no figures");
        return out.join(QLatin1Char('\n')) + QLatin1Char('\n');
    }
    if (f.per100)
        out << QStringLiteral("на 100 г: %1 ккал, белки %2 г, жиры %3 г, углеводы %4 г")
                   .arg(exact(f.per100->kcal), exact(f.per100->protein), exact(f.per100->fat),
                        exact(f.per100->carbs));
    if (f.density)
        out << QStringLiteral("1 мл = %1 г").arg(exact(*f.density));
    for (const auto& [unit, grams] : f.weights)
        out << QStringLiteral("1 %1 = %2 г").arg(unit, exact(grams));
    if (f.counted)
        out << QStringLiteral("покупается штуками");
    out << (own ? QStringLiteral("данные пользователя")
                : QStringLiteral("источник: %1").arg(nutrition::sourceText(f.source)));
    return out.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

// The product by its name as written, in any letter case, ё or е.
std::optional<recipes::Entry> productNamed(Database& db, const QString& name) {
    const QString wanted = intake::foldedText(name);
    for (const recipes::Entry& e : recipes::dictionary(db, recipes::Dictionary::Products))
        if (intake::foldedText(e.name) == wanted)
            return e;
    return std::nullopt;
}

} // namespace

int nutritionCommand(const QStringList& args) {
    Command c(true);
    if (QString e = c.parse(args, 1, 1); !e.isEmpty())
        return usageError(e);
    int id = 0;
    if (QString e = readRecipeId(c.arg(0), id); !e.isEmpty())
        return usageError(e);
    return readingCollection(c, [&](Database& db) {
        const std::optional<recipes::Recipe> recipe = recipes::readRecipe(db, id);
        if (!recipe)
            return failure(QStringLiteral("нет рецепта с номером %1 / no recipe %1").arg(id));
        prepare(db);
        const nutrition::RecipeFood food = nutrition::recipeFood(db, id);
        QString out = recipe->name + QLatin1Char('\n');
        if (food.grams > 0)
            out += QStringLiteral("Вес продуктов: %1 г\n").arg(nutrition::figureText(food.grams));
        const QString text = nutrition::foodText(food);
        out +=
            (text.isEmpty() ? QStringLiteral("Пищевая ценность: в рецепте нет количеств") : text) +
            QLatin1Char('\n');
        print(stdout, out);
        return 0;
    });
}

int productCommand(const QStringList& args) {
    Command c(true);
    if (QString e = c.parse(args, 1, 1); !e.isEmpty())
        return usageError(e);
    return readingCollection(c, [&](Database& db) {
        prepare(db);
        const std::optional<recipes::Entry> product = productNamed(db, c.arg(0));
        if (!product)
            return failure(QStringLiteral("нет продукта «%1» / no such product").arg(c.arg(0)));
        print(stdout, figuresText(product->name, nutrition::productFigures(db, product->id),
                                  nutrition::ownFigures(db, product->id)));
        return 0;
    });
}
