// The menu's product list: every dish's lines totalled a product a line, in the order of
// their code page bytes, as text and as the RTF document.

#include "KitchenParts.h"
#include "KitchenStore.h"

#include "data/Database.h"
#include "nutrition/NutritionStore.h"
#include "nutrition/UnitNames.h"
#include "recipes/RtfText.h"

#include <algorithm>
#include <unordered_map>

namespace kitchen {

using namespace parts;

// QByteArray compares its bytes unsigned, as the code page orders them.
bool bytesLess(const QString& a, const QString& b) {
    return rtf::toCp1251Lossy(a) < rtf::toCp1251Lossy(b);
}

namespace {

// Lines that give no amount are totalled apart from every unit. An amount given without a
// unit (unit 0) is still an amount, so it keeps a key of its own rather than being counted
// as "not given".
constexpr int kNoAmount = -1;
struct UnitAmount {
    int key; // the unit, or kNoAmount
    float amount;
};
struct ProductTotal {
    int product;
    std::vector<UnitAmount> amounts;
};

// With figures, the amounts in different units are added up where they allow it.
QString productLine(Database& db, const ProductTotal& total, const nutrition::Figures* figures) {
    QString line =
        dictionaryName(db, recipes::Dictionary::Products, total.product) + QStringLiteral(" :");
    for (const UnitAmount& a : total.amounts)
        if (a.key == kNoAmount)
            line += total.amounts.size() > 1 ? QStringLiteral(" более чем") : QStringLiteral(" ~");
    std::vector<nutrition::UnitAmount> amounts;
    for (const UnitAmount& a : total.amounts)
        if (a.key != kNoAmount)
            amounts.push_back(
                {dictionaryName(db, recipes::Dictionary::Units, a.key), double(a.amount)});
    nutrition::Summed summed;
    if (figures && !amounts.empty())
        summed = nutrition::sumAmounts(*figures, amounts);
    else
        summed.amounts = std::move(amounts);
    auto written = [](const std::vector<nutrition::UnitAmount>& list) {
        QStringList out;
        for (const nutrition::UnitAmount& a : list)
            out << QString::fromLatin1(rtf::formatAmount(float(a.amount))) + QLatin1Char(' ') +
                       a.unit;
        return out.join(QStringLiteral(" + "));
    };
    if (!summed.amounts.empty())
        line += QLatin1Char(' ') + written(summed.amounts);
    // Converted, the recipes' own units follow in brackets: "256 г (2 стакан)".
    const std::vector<nutrition::UnitAmount>& from = summed.from;
    if (!from.empty() &&
        (from.size() > 1 || nutrition::usualUnit(from.front().unit) != summed.amounts.front().unit))
        line += QStringLiteral(" (%1)").arg(written(from));
    if (summed.apart)
        line += QStringLiteral(" (не сложено: нет веса)");
    return line;
}

} // namespace

std::vector<Dish> menuDishesByBytes(Database& db) {
    std::vector<Dish> dishes = readMenu(db);
    sortByBytes(dishes, [](const Dish& d) { return d.name; });
    return dishes;
}

namespace parts {

std::vector<ProductLine> menuProductLines(Database& db, std::vector<QString>* dishLinesOut,
                                          bool inGrams) {
    std::vector<Portion> portions;
    std::vector<QString> dishLines;
    for (const Dish& dish : readMenu(db)) {
        dishLines.push_back(
            QStringLiteral("%1 (%2)").arg(dish.name, QString::number(dish.servings)));
        portions.push_back({dish.recipe, double(dish.servings)});
    }
    if (dishLinesOut) {
        sortByBytes(dishLines, [](const QString& s) { return s; });
        *dishLinesOut = std::move(dishLines);
    }
    return productLines(db, portions, inGrams);
}

std::vector<ProductLine> productLines(Database& db, const std::vector<Portion>& dishes,
                                      bool inGrams) {
    std::vector<ProductTotal> totals;
    Statement lines(db, SqlText("SELECT Ingredient, Quantity, Unit FROM Ingredients "
                                "WHERE Recipe=? ORDER BY ID"));
    for (const Portion& dish : dishes) {
        lines.reset();
        lines.bind(1, qint64(dish.recipe));
        while (lines.step()) {
            const int product = int(lines.int64(0));
            const float quantity = float(lines.real(1));
            const int key = quantity == 0 ? kNoAmount : int(lines.int64(2));
            const float addend = float(dish.factor * double(quantity));
            auto total = std::find_if(totals.begin(), totals.end(),
                                      [&](const ProductTotal& t) { return t.product == product; });
            if (total == totals.end()) {
                totals.push_back({product, {{key, addend}}});
                continue;
            }
            auto amount = std::find_if(total->amounts.begin(), total->amounts.end(),
                                       [&](const UnitAmount& a) { return a.key == key; });
            if (amount == total->amounts.end())
                total->amounts.push_back({key, addend});
            else
                amount->amount = amount->amount + addend;
        }
    }
    std::unordered_map<int, nutrition::Figures> figures;
    if (inGrams) {
        std::vector<int> products;
        for (const ProductTotal& t : totals)
            products.push_back(t.product);
        figures = nutrition::productFigures(db, products);
    }
    static const nutrition::Figures none;
    std::vector<ProductLine> out;
    out.reserve(totals.size());
    for (const ProductTotal& t : totals) {
        const auto f = figures.find(t.product);
        out.push_back({t.product, productLine(db, t,
                                              !inGrams             ? nullptr
                                              : f == figures.end() ? &none
                                                                   : &f->second)});
    }
    sortByBytes(out, [](const ProductLine& l) { return l.text; });
    return out;
}

QString dictionaryName(Database& db, recipes::Dictionary which, int id) {
    return recipes::entryName(db, which, id).value_or(QString());
}

} // namespace parts

QByteArray menuProductListRtf(Database& db, bool inGrams) {
    // One read transaction: the file is locked once, not once per look-up.
    Transaction reading(db);
    std::vector<QString> dishLines;
    const std::vector<ProductLine> products = menuProductLines(db, &dishLines, inGrams);

    QByteArray doc;
    doc += rtf::kDocumentHeader;
    doc += "{\\f0\\fs22\\b\\i\\ul ";
    rtf::appendText(doc, QStringLiteral("Меню:"));
    doc += "}\\par";
    doc += "{\\f0\\fs16\\i ";
    for (const QString& line : dishLines) {
        rtf::appendText(doc, line);
        doc += "\\line";
    }
    doc += "}\\par";
    doc += "{\\f0\\fs22\\b\\i\\ul ";
    rtf::appendText(doc, QStringLiteral("Продукты:"));
    doc += "}\\par";
    doc += "{\\f0\\fs16\\i ";
    for (const ProductLine& line : products) {
        rtf::appendText(doc, line.text);
        doc += "\\line";
    }
    doc += "}}";
    return doc;
}
} // namespace kitchen
