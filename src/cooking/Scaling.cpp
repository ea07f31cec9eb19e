#include "Scaling.h"

#include "nutrition/NutritionStore.h"
#include "nutrition/UnitNames.h"
#include "recipes/RecipeDocument.h"
#include "recipes/RecipeStore.h"
#include "recipes/RtfText.h"

#include <QHash>
#include <QRegularExpression>
#include <cmath>

namespace cooking {

QString factorProblem(double factor) {
    if (!(factor > 0) || factor > kMaxFactor)
        return QStringLiteral("Множитель должен быть больше 0 и не больше %1.").arg(kMaxFactor);
    return {};
}

QString servingsProblem(double servings) {
    if (!(servings >= 1) || servings > recipes::kMaxServings || servings != std::floor(servings))
        return QStringLiteral("Число порций — целое от 1 до %1.").arg(recipes::kMaxServings);
    return {};
}

namespace {

struct Glyph {
    double value;
    QChar glyph;
};
const Glyph kFractions[] = {{0.25, QChar(0x00BC)},
                            {1.0 / 3, QChar(0x2153)},
                            {0.5, QChar(0x00BD)},
                            {2.0 / 3, QChar(0x2154)},
                            {0.75, QChar(0x00BE)}};

} // namespace

std::optional<double> readFactor(const QString& typed) {
    QString text = typed.trimmed();
    if (text.startsWith(QChar(0x00D7)) || text.startsWith(QLatin1Char('x')) ||
        text.startsWith(QLatin1Char('X')) || text.startsWith(QChar(0x0445)))
        text = text.mid(1).trimmed();
    if (text.isEmpty())
        return std::nullopt;
    double value = 0;
    const QChar last = text.back();
    for (const Glyph& g : kFractions)
        if (last == g.glyph) {
            value = g.value;
            text.chop(1);
            text = text.trimmed();
            break;
        }
    if (text.isEmpty())
        return value;
    static const QRegularExpression ratio(QStringLiteral("^(\\d+)\\s*/\\s*(\\d+)$"));
    if (const auto m = ratio.match(text); m.hasMatch() && value == 0) {
        const double below = m.captured(2).toDouble();
        if (below == 0)
            return std::nullopt;
        return m.captured(1).toDouble() / below;
    }
    static const QRegularExpression plain(QStringLiteral("^\\d+([.,]\\d+)?$"));
    if (!plain.match(text).hasMatch())
        return std::nullopt;
    return value + QString(text).replace(QLatin1Char(','), QLatin1Char('.')).toDouble();
}

QString numberText(double value) {
    QString text = QString::number(std::round(value * 100) / 100, 'f', 2);
    while (text.endsWith(QLatin1Char('0')))
        text.chop(1);
    if (text.endsWith(QLatin1Char('.')))
        text.chop(1);
    return text.replace(QLatin1Char('.'), QLatin1Char(','));
}

namespace {

// The nearest of the whole numbers and their quarters and thirds, with its glyph.
std::pair<double, QChar> nearestFraction(double value) {
    const double whole = std::floor(value);
    double best = value - whole;
    double shown = whole;
    QChar glyph;
    if (whole + 1 - value < best) {
        best = whole + 1 - value;
        shown = whole + 1;
    }
    for (const Glyph& g : kFractions)
        if (std::abs(value - whole - g.value) < best) {
            best = std::abs(value - whole - g.value);
            shown = whole + g.value;
            glyph = g.glyph;
        }
    return {shown, glyph};
}

} // namespace

QString fractionText(double value) {
    const auto [shown, glyph] = nearestFraction(value);
    const double whole = std::floor(shown + 1e-9);
    QString text;
    if (whole > 0 || glyph.isNull())
        text = QString::number(qint64(whole));
    if (!glyph.isNull())
        text += glyph;
    return text;
}

namespace {

// The unit's forms by the number: one, two to four (and any fraction), five and more.
struct Forms {
    const char* one;
    const char* few;
    const char* many;
};
const QHash<QString, Forms>& unitForms() {
    static const QHash<QString, Forms> forms = [] {
        QHash<QString, Forms> f;
        auto add = [&](const char* one, const char* few, const char* many) {
            f.insert(QString::fromUtf8(one), {one, few, many});
        };
        add("стакан", "стакана", "стаканов");
        add("чашка", "чашки", "чашек");
        add("кружка", "кружки", "кружек");
        add("бокал", "бокала", "бокалов");
        add("ложка", "ложки", "ложек");
        add("пакет", "пакета", "пакетов");
        add("бутылка", "бутылки", "бутылок");
        add("коробка", "коробки", "коробок");
        add("брикет", "брикета", "брикетов");
        add("тюбик", "тюбика", "тюбиков");
        add("стопка", "стопки", "стопок");
        add("рюмка", "рюмки", "рюмок");
        add("мультистакан", "мультистакана", "мультистаканов");
        add("щепотка", "щепотки", "щепоток");
        add("пучок", "пучка", "пучков");
        add("зубчик", "зубчика", "зубчиков");
        add("банка", "банки", "банок");
        add("упаковка", "упаковки", "упаковок");
        add("пачка", "пачки", "пачек");
        add("пакетик", "пакетика", "пакетиков");
        add("ломтик", "ломтика", "ломтиков");
        add("кусочек", "кусочка", "кусочков");
        add("кусок", "куска", "кусков");
        add("головка", "головки", "головок");
        add("веточка", "веточки", "веточек");
        add("стебель", "стебля", "стеблей");
        add("стручок", "стручка", "стручков");
        add("долька", "дольки", "долек");
        add("капля", "капли", "капель");
        add("плитка", "плитки", "плиток");
        add("кочан", "кочана", "кочанов");
        add("лист", "листа", "листов");
        add("горсть", "горсти", "горстей");
        add("кисть", "кисти", "кистей");
        add("десяток", "десятка", "десятков");
        add("порция", "порции", "порций");
        add("фунт", "фунта", "фунтов");
        add("унция", "унции", "унций");
        add("перо", "пера", "перьев");
        return f;
    }();
    return forms;
}

enum class Rounding { Weight, Spoon, Piece, Plain };

struct UnitKind {
    Rounding rounding = Rounding::Plain;
    double toBase = 1; // grams or millilitres in one, for weights
};

UnitKind kindOf(const QString& unit) {
    if (unit.trimmed().isEmpty())
        return {Rounding::Piece};
    const QString usual = nutrition::usualUnit(unit);
    if (usual.isEmpty())
        return {Rounding::Plain};
    if (usual == QStringLiteral("г") || usual == QStringLiteral("мл"))
        return {Rounding::Weight, 1};
    if (usual == QStringLiteral("кг") || usual == QStringLiteral("л"))
        return {Rounding::Weight, 1000};
    if (usual == QStringLiteral("ст.л.") || usual == QStringLiteral("ч.л.") ||
        usual.endsWith(QStringLiteral("стакан")) || usual == QStringLiteral("чашка") ||
        usual == QStringLiteral("дес.л.") || usual == QStringLiteral("коф.л.") ||
        usual == QStringLiteral("кружка") || usual == QStringLiteral("бокал"))
        return {Rounding::Spoon};
    if (nutrition::unitSize(usual).measure == nutrition::Measure::Other)
        return {Rounding::Piece};
    return {Rounding::Plain};
}

double roundWeight(double base) {
    if (base < 10)
        return std::max(1.0, std::round(base));
    if (base < 100)
        return std::round(base / 5) * 5;
    return std::round(base / 10) * 10;
}

} // namespace

QString unitFor(double value, const QString& unit) {
    const QString lower = unit.trimmed().toLower();
    const QString usual = nutrition::usualUnit(lower);
    const auto it = unitForms().constFind(usual.isEmpty() ? lower : usual);
    // Only a unit written as a word of its own is put in another form: "ст.л." stays.
    if (it == unitForms().constEnd() ||
        (lower != QString::fromUtf8(it->one) && lower != QString::fromUtf8(it->few) &&
         lower != QString::fromUtf8(it->many)))
        return unit;
    if (value != std::floor(value))
        return QString::fromUtf8(it->few);
    const char* const forms[] = {it->one, it->few, it->many};
    return QString::fromUtf8(forms[recipes::numberForm(qint64(value))]);
}

QString gramsText(double grams) {
    const double rounded = roundWeight(grams);
    if (rounded >= 1000)
        return numberText(rounded / 1000) + QStringLiteral(" кг");
    return numberText(rounded) + QStringLiteral(" г");
}

QString amountText(float stored, const QString& unit, double factor) {
    if (stored == 0)
        return {};
    const double exact = double(stored) * factor;
    const UnitKind kind = kindOf(unit);
    auto withUnit = [&](const QString& number, double value) {
        const QString u = unitFor(value, unit);
        return u.isEmpty() ? number : number + QLatin1Char(' ') + u;
    };
    switch (kind.rounding) {
    case Rounding::Weight: {
        const double value = roundWeight(exact * kind.toBase) / kind.toBase;
        return withUnit(numberText(value), value);
    }
    case Rounding::Spoon: {
        // Never less than a quarter; the unit agrees with the fraction shown.
        const double shown = std::max(0.25, nearestFraction(exact).first);
        return withUnit(fractionText(shown), shown);
    }
    case Rounding::Piece: {
        const double whole = std::max(1.0, std::round(exact));
        QString text = withUnit(numberText(whole), whole);
        if (std::abs(whole - exact) > exact * 0.1)
            text += QStringLiteral(" (%1)").arg(numberText(exact));
        return text;
    }
    case Rounding::Plain:
        break;
    }
    return withUnit(numberText(exact), exact);
}

std::optional<Shown> present(Database& db, int recipe, const View& view) {
    const std::optional<recipes::Recipe> stored = recipes::readRecipe(db, recipe);
    if (!stored)
        return std::nullopt;
    Shown out;
    out.id = recipe;
    out.name = stored->name;
    out.text = stored->text;
    out.servings = recipes::servingsOf(db, recipe);
    out.factor = view.factor;
    const std::vector<recipes::Line> lines = recipes::recipeLines(db, recipe);
    std::unordered_map<int, nutrition::Figures> figures;
    if (view.grams) {
        std::vector<int> products;
        for (const recipes::Line& l : lines)
            products.push_back(l.product);
        figures = nutrition::productFigures(db, products);
    }
    for (const recipes::Line& l : lines) {
        ShownLine shown{l.productName, {}};
        if (l.quantity != 0) {
            shown.amount =
                view.scaled()
                    ? amountText(l.quantity, l.unitName, view.factor)
                    : QString::fromLatin1(rtf::formatAmount(l.quantity)) +
                          (l.unitName.isEmpty()
                               ? QString()
                               : QLatin1Char(' ') + unitFor(double(l.quantity), l.unitName));
            // Beside a volume or a count only: grams beside grams say nothing.
            const auto f = figures.find(l.product);
            const QString usual = nutrition::usualUnit(l.unitName);
            if (f != figures.end() &&
                nutrition::unitSize(usual).measure != nutrition::Measure::Mass)
                if (const auto g =
                        nutrition::gramsOf(f->second, double(l.quantity) * view.factor, l.unitName);
                    g && *g > 0)
                    shown.amount += QStringLiteral(" (%1)").arg(gramsText(*g));
        }
        out.lines.push_back(std::move(shown));
    }
    return out;
}

namespace {

// "на 1 порцию", "на 3 порции", "на 6 порций".
QString forServings(double count) {
    if (count != std::floor(count))
        return QStringLiteral("на %1 порции").arg(numberText(count));
    const qint64 n = qint64(count);
    const char* const words[] = {"порцию", "порции", "порций"};
    return QStringLiteral("на %1 %2").arg(n).arg(QString::fromUtf8(words[recipes::numberForm(n)]));
}

} // namespace

QString servingsNote(const recipes::Servings& servings, double factor) {
    if (factor == 1)
        return recipes::servingsLine(servings);
    if (servings.known())
        return QStringLiteral("Пересчитано %1, в рецепте %2")
            .arg(forServings(servings.count * factor))
            .arg(servings.count);
    // A factor of quarters or thirds reads as a fraction, any other as a decimal.
    const bool fraction = std::abs(nearestFraction(factor).first - factor) < 1e-6;
    return QStringLiteral("Пересчитано: ×%1")
        .arg(fraction ? fractionText(factor) : numberText(factor));
}

QString plainText(const Shown& shown) {
    QString out = shown.name + QLatin1Char('\n');
    if (shown.servings.known())
        out += QStringLiteral("Порций: %1\n").arg(numberText(shown.servingsNow()));
    for (const ShownLine& l : shown.lines)
        out += l.amount.isEmpty() ? l.product + QLatin1Char('\n')
                                  : QStringLiteral("%1 — %2\n").arg(l.product, l.amount);
    out += QLatin1Char('\n');
    QString method = shown.text;
    method.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    out += method;
    if (!method.isEmpty() && !method.endsWith(QLatin1Char('\n')))
        out += QLatin1Char('\n');
    return out;
}

} // namespace cooking
