#include "NutritionStore.h"

#include "UnitNames.h"
#include "data/Database.h"
#include "data/RussianStemmer.h"

#include <QLocale>
#include <algorithm>
#include <cmath>

namespace nutrition {

namespace {

// A file where the tables could not be made (its Ingredient a view, say) has no figures.
bool hasTables(Database& db) {
    return db.hasTable(QStringLiteral("ProductFood")) &&
           db.hasTable(QStringLiteral("ProductWeights"));
}

std::optional<double> realOrNothing(Statement& st, int column) {
    return st.isNull(column) ? std::nullopt : std::optional<double>(st.real(column));
}

SqlValue orNull(const std::optional<double>& value) {
    return value ? SqlValue(*value) : SqlValue();
}

void writeFigures(Database& db, int product, const Figures& f, bool own) {
    const std::optional<FoodValue>& v = f.per100;
    db.exec("INSERT OR REPLACE INTO ProductFood "
            "(Product, Kcal, Protein, Fat, Carbs, Density, Counted, Own, Source) "
            "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)",
            {qint64(product), v ? SqlValue(v->kcal) : SqlValue(),
             v ? SqlValue(v->protein) : SqlValue(), v ? SqlValue(v->fat) : SqlValue(),
             v ? SqlValue(v->carbs) : SqlValue(), orNull(f.density), qint64(f.counted ? 1 : 0),
             qint64(own ? 1 : 0), f.source});
    db.exec("DELETE FROM ProductWeights WHERE Product=?", {qint64(product)});
    for (const auto& [unit, grams] : f.weights)
        db.exec("INSERT OR REPLACE INTO ProductWeights (Product, Unit, Grams) VALUES (?, ?, ?)",
                {qint64(product), unit, grams});
}

// The unit's usual spelling, or its own name folded when it is none the program knows.
QString unitKeyOf(const QString& written) {
    const QString usual = usualUnit(written);
    return usual.isEmpty() ? written.trimmed().toLower() : usual;
}

} // namespace

std::unordered_map<int, Figures> productFigures(Database& db, const std::vector<int>& products) {
    std::unordered_map<int, Figures> out;
    if (products.empty() || !hasTables(db))
        return out;
    Statement food(db, SqlText("SELECT Kcal, Protein, Fat, Carbs, Density, Counted, Source "
                               "FROM ProductFood WHERE Product=?"));
    Statement weights(db, SqlText("SELECT Unit, Grams FROM ProductWeights WHERE Product=?"));
    for (int product : products) {
        if (out.count(product))
            continue;
        Figures f;
        bool found = false;
        food.reset();
        food.bind(1, qint64(product));
        if (food.step()) {
            found = true;
            if (!food.isNull(0))
                f.per100 = FoodValue{food.real(0), food.real(1), food.real(2), food.real(3)};
            f.density = realOrNothing(food, 4);
            f.counted = food.int64(5) != 0;
            f.source = food.text(6);
        }
        weights.reset();
        weights.bind(1, qint64(product));
        while (weights.step()) {
            found = true;
            f.weights.emplace_back(weights.text(0), weights.real(1));
        }
        if (found)
            out.emplace(product, std::move(f));
    }
    return out;
}

Figures productFigures(Database& db, int product) {
    auto all = productFigures(db, std::vector<int>{product});
    return all.empty() ? Figures() : std::move(all.begin()->second);
}

bool ownFigures(Database& db, int product) {
    if (!hasTables(db))
        return false;
    Statement st(db, SqlText("SELECT Own FROM ProductFood WHERE Product=?"));
    st.bind(1, qint64(product));
    return st.step() && st.int64(0) != 0;
}

void setOwnFigures(Database& db, int product, const Figures& figures) {
    Transaction tx(db);
    writeFigures(db, product, figures, true);
    tx.commit();
}

FillResult fillFromTable(Database& db, const std::function<void(int, int)>& progress) {
    FillResult result;
    if (!hasTables(db))
        return result;
    Transaction tx(db);
    std::vector<std::pair<int, QString>> asked;
    {
        Statement st(db, SqlText("SELECT ID, Name FROM Ingredient WHERE ID NOT IN "
                                 "(SELECT Product FROM ProductFood)"));
        while (st.step())
            asked.emplace_back(int(st.int64(0)), st.text(1));
    }
    if (asked.empty())
        return result;
    result.asked = int(asked.size());
    Statement remember(db, SqlText("INSERT OR IGNORE INTO ProductFood (Product) VALUES (?)"));
    int done = 0;
    for (const auto& [id, name] : asked) {
        if (const TableRow* row = tableRowFor(name)) {
            writeFigures(db, id, row->figures, false);
            ++result.filled;
        } else {
            remember.reset();
            remember.bind(1, qint64(id));
            remember.run();
        }
        if (progress && (++done % 256 == 0 || done == result.asked))
            progress(done, result.asked);
    }
    tx.commit();
    return result;
}

std::optional<double> gramsOf(const Figures& figures, double amount, const QString& unit) {
    const QString key = unitKeyOf(unit);
    if (const auto grams = figures.weightOf(key))
        return amount * *grams;
    const UnitSize size = unitSize(key);
    if (size.measure == Measure::Mass)
        return amount * size.factor;
    if (size.measure == Measure::Volume && figures.density)
        return amount * size.factor * *figures.density;
    return std::nullopt;
}

RecipeFood recipeFood(Database& db, int recipe) {
    RecipeFood food;
    struct Line {
        int product;
        QString name;
        double amount;
        QString unit;
    };
    std::vector<Line> lines;
    std::vector<int> products;
    {
        Statement st(db,
                     SqlText("SELECT l.Ingredient, p.Name, l.Quantity, u.Name "
                             "FROM Ingredients l LEFT JOIN Ingredient p ON p.ID = l.Ingredient "
                             "LEFT JOIN Units u ON u.ID = l.Unit WHERE l.Recipe=? ORDER BY l.ID"));
        st.bind(1, qint64(recipe));
        while (st.step()) {
            const double amount = st.real(2);
            if (amount == 0)
                continue;
            lines.push_back({int(st.int64(0)), st.text(1), amount, st.text(3)});
            products.push_back(lines.back().product);
        }
    }
    const auto figures = productFigures(db, products);
    for (const Line& line : lines) {
        food.anyAmount = true;
        const auto f = figures.find(line.product);
        const std::optional<double> grams = f == figures.end() || !f->second.per100
                                                ? std::nullopt
                                                : gramsOf(f->second, line.amount, line.unit);
        if (!grams) {
            if (!food.unweighed.contains(line.name))
                food.unweighed << line.name;
            continue;
        }
        const FoodValue& v = *f->second.per100;
        food.grams += *grams;
        food.total.kcal += *grams * v.kcal / 100;
        food.total.protein += *grams * v.protein / 100;
        food.total.fat += *grams * v.fat / 100;
        food.total.carbs += *grams * v.carbs / 100;
    }
    return food;
}

QString figureText(double value) {
    static const QLocale russian(QLocale::Russian, QLocale::Russia);
    if (std::abs(value) >= 10 || value == std::round(value))
        return russian.toString(qint64(std::llround(value)));
    return russian.toString(value, 'f', 1);
}

QString foodText(const RecipeFood& food, int servings) {
    if (!food.anyAmount)
        return {};
    QString text = QStringLiteral("Пищевая ценность: ");
    if (food.grams > 0) {
        const double per = 100 / food.grams;
        text += QStringLiteral("всего %1 ккал; на 100 г — %2 ккал, белки %3 г, жиры %4 г, "
                               "углеводы %5 г")
                    .arg(figureText(food.total.kcal * servings), figureText(food.total.kcal * per),
                         figureText(food.total.protein * per), figureText(food.total.fat * per),
                         figureText(food.total.carbs * per));
    } else {
        text += QStringLiteral("не известна");
    }
    if (!food.unweighed.isEmpty())
        text += QStringLiteral("\nбез учёта: ") + food.unweighed.join(QStringLiteral(", "));
    return text;
}

Summed sumAmounts(const Figures& figures, const std::vector<UnitAmount>& amounts) {
    // One unit however it is written, named as first written.
    std::vector<std::pair<QString, UnitAmount>> byUnit;
    for (const UnitAmount& a : amounts) {
        const QString key = unitKeyOf(a.unit);
        auto it = std::find_if(byUnit.begin(), byUnit.end(),
                               [&](const auto& u) { return u.first == key; });
        if (it == byUnit.end())
            byUnit.push_back({key, a});
        else
            it->second.amount += a.amount;
    }
    Summed out;
    if (byUnit.empty())
        return out;
    const QString piece = QStringLiteral("шт");
    const std::optional<double> pieceGrams = figures.weightOf(piece);
    const bool inPieces = figures.counted && pieceGrams;
    auto isVolume = [](const auto& u) { return unitSize(u.first).measure == Measure::Volume; };
    // Millilitres for what the recipes pour (a liquid measured in мл or л), and for volumes
    // nothing can weigh; everything else that can be weighed reads in grams.
    const bool allVolume = std::all_of(byUnit.begin(), byUnit.end(), isVolume);
    const bool poured = std::any_of(byUnit.begin(), byUnit.end(), [](const auto& u) {
        return u.first == unitKey(QStringLiteral("мл")) || u.first == unitKey(QStringLiteral("л"));
    });
    const bool weighable = std::all_of(byUnit.begin(), byUnit.end(), [&](const auto& u) {
        return gramsOf(figures, 1, u.first).has_value();
    });
    const bool inMillilitres = allVolume && (poured || !weighable);
    // One unit that is already what the sum would be in stays as written.
    if (byUnit.size() == 1) {
        const QString& key = byUnit.front().first;
        if (inMillilitres || unitSize(key).measure == Measure::Mass || (inPieces && key == piece)) {
            out.amounts.push_back(byUnit.front().second);
            return out;
        }
    }
    const QString target = inPieces        ? piece
                           : inMillilitres ? QStringLiteral("мл")
                                           : QStringLiteral("г");
    double total = 0;
    bool any = false;
    std::vector<UnitAmount> rest;
    for (const auto& [key, a] : byUnit) {
        std::optional<double> converted;
        if (inMillilitres) {
            converted = a.amount * unitSize(key).factor;
        } else if (inPieces && key == piece) {
            converted = a.amount;
        } else if (const auto grams = gramsOf(figures, a.amount, key)) {
            converted = inPieces ? *grams / *pieceGrams : *grams;
        }
        if (converted) {
            total += *converted;
            any = true;
            out.from.push_back(a);
        } else {
            rest.push_back(a);
        }
    }
    if (any) {
        // Pieces to a tenth; grams and millilitres whole, or to a tenth below ten.
        total = inPieces || total < 10 ? std::round(total * 10) / 10 : std::round(total);
        out.amounts.push_back({target, total});
    }
    out.amounts.insert(out.amounts.end(), rest.begin(), rest.end());
    out.apart = !rest.empty() && out.amounts.size() > 1;
    return out;
}

} // namespace nutrition
