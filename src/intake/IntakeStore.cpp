#include "IntakeStore.h"

#include "data/Database.h"
#include "data/RussianStemmer.h"
#include "data/TextOrder.h"
#include "exchange/ExchangeFormat.h"
#include "recipes/RecipeStore.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <algorithm>
#include <hunspell/hunspell.h>

namespace intake {

namespace {

RussianStemmer& stemmer() {
    static RussianStemmer s;
    return s;
}

} // namespace

namespace {

// The Russian dictionary (Debian's hunspell-ru), when it is installed: it knows that "муки"
// is a form of "мука". Without it new names stay as written.
class Dictionary {
public:
    Dictionary() {
        const char* aff = "/usr/share/hunspell/ru_RU.aff";
        const char* dic = "/usr/share/hunspell/ru_RU.dic";
        if (QFileInfo::exists(QString::fromLatin1(aff)) &&
            QFileInfo::exists(QString::fromLatin1(dic)))
            m_handle = Hunspell_create(aff, dic);
    }
    ~Dictionary() {
        if (m_handle)
            Hunspell_destroy(m_handle);
    }
    Dictionary(const Dictionary&) = delete;
    Dictionary& operator=(const Dictionary&) = delete;

    // The dictionary forms of a word, lower case; none when the dictionary lacks it.
    QStringList forms(const QString& word) const {
        QStringList out;
        if (!m_handle)
            return out;
        char** list = nullptr;
        const int n = Hunspell_stem(m_handle, &list, word.toLower().toUtf8().constData());
        for (int i = 0; i < n; ++i)
            out << QString::fromUtf8(list[i]);
        if (list)
            Hunspell_free_list(m_handle, &list, n);
        return out;
    }

private:
    Hunhandle* m_handle = nullptr;
};

const Dictionary& dictionary() {
    static const Dictionary d;
    return d;
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
    // One word is put in its dictionary form ("муки" becomes "мука"); in a phrase the words
    // agree with each other, which a word-by-word dictionary would break.
    static const QRegularExpression oneWord(QStringLiteral("^\\p{L}+$"));
    if (oneWord.match(name).hasMatch()) {
        QString best;
        for (const QString& form : dictionary().forms(name))
            if (form.left(2) == name.left(2).toLower() &&
                (best.isEmpty() || form.size() < best.size()))
                best = form;
        if (!best.isEmpty())
            name = best;
    }
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

std::vector<MatchedLine> Matcher::matchLines(const QStringList& written) const {
    std::vector<MatchedLine> out;
    for (const QString& text : written) {
        const ParsedLine parsed = parseLine(text);
        if (parsed.product.isEmpty())
            continue;
        out.push_back(match(parsed));
        out.back().written = text;
    }
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
