#include "IntakeStore.h"

#include "recipes/Servings.h"

#include "photos/PhotoStore.h"

#include "RecipeReader.h"
#include "WordForms.h"
#include "data/Database.h"
#include "data/RussianStemmer.h"
#include "exchange/ExchangeFormat.h"
#include "nutrition/FoodTable.h"
#include "recipes/RecipeStore.h"

#include <QHash>
#include <algorithm>
#include <map>

namespace intake {

QString cutAtWord(const QString& text, int limit) {
    const QString t = text.simplified();
    if (t.size() <= limit)
        return t;
    const qsizetype space = t.lastIndexOf(QLatin1Char(' '), limit);
    return (space > limit / 2 ? t.left(space) : t.left(limit)).trimmed();
}

Matcher::Matcher(Database& db) {
    for (const recipes::Entry& e : recipes::dictionary(db, recipes::Dictionary::Products))
        m_products.push_back({e.id, e.name, stemKeys(e.name)});
    for (const recipes::Entry& e : recipes::dictionary(db, recipes::Dictionary::Units))
        m_units.emplace_back(e.id, e.name);
}

QString usualProductFor(const QString& name) {
    static const QHash<QString, QString> usual = [] {
        QHash<QString, QString> out;
        // Only a form whose words the usual name holds: "Мука" for "Мука пшеничная", but
        // not "Шампиньоны" for "Грибы", which is another product that weighs the same.
        for (const nutrition::TableRow& row : nutrition::foodTable()) {
            const QStringList whole = stemKeys(row.name);
            for (const QString& form : row.forms.mid(1)) {
                const QStringList keys = stemKeys(form);
                if (std::all_of(keys.begin(), keys.end(),
                                [&](const QString& k) { return whole.contains(k); }))
                    out.insert(keys.join(QLatin1Char(' ')), row.name);
            }
        }
        return out;
    }();
    return usual.value(stemKeys(name).join(QLatin1Char(' ')));
}

int Matcher::productFor(const QString& name, bool* usual) const {
    const QStringList keys = stemKeys(name);
    if (keys.isEmpty())
        return 0;
    for (const Product& p : m_products)
        if (p.keys == keys)
            return p.id;
    const QString usualName = usualProductFor(name);
    if (usualName.isEmpty())
        return 0;
    const QStringList usualKeys = stemKeys(usualName);
    for (const Product& p : m_products)
        if (p.keys == usualKeys) {
            if (usual)
                *usual = true;
            return p.id;
        }
    return 0;
}

void Matcher::learn(const Made& made) {
    for (const auto& [id, name] : made.products)
        m_products.push_back({id, name, stemKeys(name)});
    m_units.insert(m_units.end(), made.units.begin(), made.units.end());
}

QStringList Matcher::productNames() const {
    QStringList names;
    for (const Product& p : m_products)
        names << p.name;
    return names;
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

MatchedLine Matcher::match(const ParsedLine& line) const {
    MatchedLine out;
    out.amount = line.amount;
    out.note = line.note;
    // The words as written find most products without the dictionary ("сливочного масла"
    // has the stems of "Масло сливочное"); the dictionary is asked only when they do not.
    out.productId = productFor(line.product, &out.usual);
    if (out.productId == 0) {
        const DictionaryName d = dictionaryName(
            line.product, line.nameFirst ? NamePlace::First : NamePlace::AfterAmount, m_mayWait);
        out.productId = productFor(d.name, &out.usual);
        out.product = cutAtWord(d.name, kMaxName);
        if (!d.left.isEmpty())
            out.note = out.note.isEmpty() ? d.left : d.left + QStringLiteral(", ") + out.note;
    }
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

std::vector<MatchedLine> Matcher::matchLines(const QStringList& written) const {
    if (m_mayWait)
        prepareDictionaryFor(written);
    std::vector<MatchedLine> out;
    for (const QString& text : written) {
        const std::vector<ParsedLine> products = parseProducts(text);
        for (const ParsedLine& parsed : products) {
            out.push_back(match(parsed));
            out.back().written = text;
            if (products.size() > 1)
                out.back().piece = parsed.product;
        }
    }
    return out;
}

MatchedLine Matcher::matchEdited(const QString& product, float amount, const QString& unit) const {
    ParsedLine typed{product.simplified(), amount, QString(), QString(), true};
    MatchedLine out = match(typed);
    out.note.clear();
    out.unit = unit.simplified();
    out.unitId = 0;
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

QStringList methodWithNotes(const QStringList& method, const std::vector<MatchedLine>& lines) {
    QStringList notes;
    for (const MatchedLine& l : lines)
        if (!l.note.trimmed().isEmpty() && !l.product.trimmed().isEmpty())
            notes << QStringLiteral("%1: %2").arg(l.product.trimmed(), l.note.trimmed());
    if (notes.isEmpty())
        return method;
    QStringList out = method;
    out << QString() << QStringLiteral("К продуктам:") << notes;
    return out;
}

int storeRecipe(Database& db, int section, const QString& title,
                const std::vector<MatchedLine>& lines, const QStringList& method,
                const photos::Photo* photo, Made* made, const QString& yield) {
    const QString text = method.join(QStringLiteral("\r\n"));
    if (text.size() > kMaxMethod)
        throw IntakeError(QStringLiteral("Описание рецепта слишком длинное: %1 знаков, а "
                                         "поместится не больше %2. Сократите его.")
                              .arg(text.size())
                              .arg(kMaxMethod));
    Transaction tx(db);
    // New names are told apart by their words' stems, in any order: "Сыр твёрдый" and
    // "Твёрдого сыра" in one recipe make one product.
    std::map<QString, int> fresh[2];
    auto entry = [&](recipes::Dictionary which, const QString& key, const QString& name) {
        std::map<QString, int>& known = fresh[which == recipes::Dictionary::Products ? 0 : 1];
        const auto it = known.find(key);
        if (it != known.end())
            return it->second;
        const int id = known[key] = recipes::createEntry(db, which, name);
        if (made)
            (which == recipes::Dictionary::Products ? made->products : made->units)
                .emplace_back(id, name);
        return id;
    };
    std::vector<std::tuple<int, float, int>> rows;
    for (const MatchedLine& l : lines) {
        const QString name = cutAtWord(l.product, kMaxName);
        if (name.isEmpty())
            continue;
        const int product = l.productId != 0 ? l.productId
                                             : entry(recipes::Dictionary::Products,
                                                     stemKeys(name).join(QLatin1Char(' ')), name);
        const QString unitName = cutAtWord(l.unit, kMaxName);
        const int unit = l.unitId != 0 || unitName.isEmpty()
                             ? l.unitId
                             : entry(recipes::Dictionary::Units, foldedText(unitName), unitName);
        rows.emplace_back(product, l.amount, unit);
    }
    const int recipe = recipes::insertRecipe(db, section, cutAtWord(title, kMaxName), text);
    for (const auto& [product, amount, unit] : rows)
        recipes::addLine(db, recipe, product, amount, unit);
    if (photo)
        photos::setPhoto(db, recipe, *photo);
    if (const recipes::Servings servings = recipes::readYield(yield); !servings.empty())
        recipes::setServings(db, recipe, servings);
    tx.commit();
    return recipe;
}

} // namespace intake
