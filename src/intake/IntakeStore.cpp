#include "IntakeStore.h"

#include "data/Database.h"
#include "data/RussianStemmer.h"
#include "data/TextOrder.h"
#include "exchange/ExchangeFormat.h"
#include "recipes/RecipeStore.h"

#include <QRegularExpression>
#include <algorithm>

namespace intake {

namespace {

RussianStemmer& stemmer() {
    static RussianStemmer s;
    return s;
}

} // namespace

QStringList stemsOf(const QString& name) {
    static const QRegularExpression word(QStringLiteral("[\\p{L}\\p{N}]+"));
    QStringList stems;
    for (auto it = word.globalMatch(name); it.hasNext();)
        stems << stemmer().stem(it.next().captured());
    stems.sort();
    return stems;
}

Matcher::Matcher(Database& db) {
    for (const recipes::Entry& e : recipes::dictionary(db, recipes::Dictionary::Products))
        m_products.push_back({e.id, e.name, stemsOf(e.name)});
    for (const recipes::Entry& e : recipes::dictionary(db, recipes::Dictionary::Units))
        m_units.emplace_back(e.id, e.name);
}

int Matcher::productFor(const QString& name) const {
    const QStringList stems = stemsOf(name);
    if (stems.isEmpty())
        return 0;
    for (const Product& p : m_products)
        if (p.stems == stems)
            return p.id;
    // "Мука" for "Мука пшеничная", when that is the only flour there is.
    int only = 0;
    for (const Product& p : m_products) {
        const bool holdsAll = std::all_of(stems.begin(), stems.end(),
                                          [&p](const QString& s) { return p.stems.contains(s); });
        if (!holdsAll)
            continue;
        if (only != 0)
            return 0;
        only = p.id;
    }
    return only;
}

int Matcher::unitFor(const QString& usual) const {
    if (usual.isEmpty())
        return 0;
    QStringList forms{usual};
    for (const UnitSpelling& s : unitSpellings())
        if (s.usual == usual)
            forms = s.forms;
    for (const QString& form : forms)
        for (const auto& [id, name] : m_units)
            if (exchange::unitMatches(form, name) || usualUnit(name) == usual)
                return id;
    return 0;
}

QString Matcher::newProductName(const QString& written) {
    QString name = written.simplified();
    if (!name.isEmpty())
        name[0] = name[0].toUpper();
    return name;
}

MatchedLine Matcher::match(const ParsedLine& line) const {
    MatchedLine out;
    out.amount = line.amount;
    out.productId = productFor(line.product);
    out.product = newProductName(line.product);
    for (const Product& p : m_products)
        if (p.id == out.productId)
            out.product = p.name;
    out.unit = line.unit;
    out.unitId = unitFor(line.unit);
    for (const auto& [id, name] : m_units)
        if (id == out.unitId)
            out.unit = name;
    return out;
}

MatchedLine Matcher::matchEdited(const QString& product, float amount, const QString& unit) const {
    MatchedLine out = match(ParsedLine{product, amount, QString()});
    out.unit = unit.simplified();
    for (const auto& [id, name] : m_units)
        if (name == out.unit)
            out.unitId = id;
    if (out.unitId == 0 && !out.unit.isEmpty()) {
        out.unitId = unitFor(usualUnit(out.unit));
        for (const auto& [id, name] : m_units)
            if (id == out.unitId && out.unitId != 0)
                out.unit = name;
    }
    return out;
}

int storeRecipe(Database& db, int section, const QString& title,
                const std::vector<MatchedLine>& lines, const QStringList& method) {
    Transaction tx(db);
    std::unordered_map<QString, int> madeProducts, madeUnits;
    auto entry = [&db](recipes::Dictionary which, int id, const QString& name,
                       std::unordered_map<QString, int>& made) {
        if (id != 0 || name.trimmed().isEmpty())
            return id;
        const QString key = searchFolded(name.trimmed());
        if (auto it = made.find(key); it != made.end())
            return it->second;
        const int created = recipes::createEntry(db, which, name.trimmed());
        made.emplace(key, created);
        return created;
    };
    std::vector<std::tuple<int, float, int>> rows;
    for (const MatchedLine& l : lines) {
        if (l.product.trimmed().isEmpty())
            continue;
        rows.emplace_back(
            entry(recipes::Dictionary::Products, l.productId, l.product, madeProducts), l.amount,
            entry(recipes::Dictionary::Units, l.unitId, l.unit, madeUnits));
    }
    const int recipe =
        recipes::createRecipe(db, section, title.trimmed(), method.join(QStringLiteral("\r\n")));
    for (const auto& [product, amount, unit] : rows)
        recipes::addLine(db, recipe, product, amount, unit);
    tx.commit();
    return recipe;
}

} // namespace intake
