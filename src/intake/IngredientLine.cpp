#include "IngredientLine.h"

#include <QRegularExpression>
#include <algorithm>
#include <cmath>

namespace intake {

const std::vector<UnitSpelling>& unitSpellings() {
    static const std::vector<UnitSpelling> table = [] {
        auto u = [](const char* usual, std::initializer_list<const char*> forms) {
            UnitSpelling s{QString::fromUtf8(usual), {}};
            s.forms << s.usual;
            for (const char* f : forms)
                s.forms << QString::fromUtf8(f);
            return s;
        };
        return std::vector<UnitSpelling>{
            u("ст.л.", {"ст. л.", "ст л", "ст. ложки", "ст. ложка", "ст. ложек", "стол. л.",
                        "стол. ложки", "столовая ложка", "столовые ложки", "столовых ложек",
                        "столовой ложки", "ст.ложки", "ст.ложка", "ст.ложек", "ст.л"}),
            u("ч.л.", {"ч. л.", "ч л", "ч. ложки", "ч. ложка", "ч. ложек", "чайная ложка",
                       "чайные ложки", "чайных ложек", "чайной ложки", "ч.ложки", "ч.л"}),
            u("стакан", {"стакана", "стаканов", "ст."}),
            u("г", {"гр.", "гр", "г.", "грамм", "грамма", "граммов"}),
            u("кг", {"кг.", "килограмм", "килограмма", "килограммов"}),
            u("мл", {"мл.", "миллилитр", "миллилитра", "миллилитров"}),
            u("л", {"л.", "литр", "литра", "литров"}),
            u("шт", {"шт.", "штука", "штуки", "штук"}),
            u("зубчик", {"зубчика", "зубчиков", "зуб."}),
            u("щепотка", {"щепотки", "щепоток", "щеп."}),
            u("пучок", {"пучка", "пучков"}),
            u("банка", {"банки", "банок"}),
            u("упаковка", {"упаковки", "упаковок", "уп."}),
            u("ломтик", {"ломтика", "ломтиков"}),
            u("кусочек", {"кусочка", "кусочков"}),
            u("головка", {"головки", "головок"}),
            u("веточка", {"веточки", "веточек"}),
            u("по вкусу", {}),
        };
    }();
    return table;
}

namespace {

// Every written form with its usual spelling, longest first, so that "ст. ложки" wins over
// "ст." and "гр" over "г".
const std::vector<std::pair<QString, QString>>& formsLongestFirst() {
    static const std::vector<std::pair<QString, QString>> forms = [] {
        std::vector<std::pair<QString, QString>> out;
        for (const UnitSpelling& s : unitSpellings())
            for (const QString& f : s.forms)
                out.emplace_back(f, s.usual);
        std::stable_sort(out.begin(), out.end(), [](const auto& a, const auto& b) {
            return a.first.size() > b.first.size();
        });
        return out;
    }();
    return forms;
}

// The unit written at the start of text, with its length; a form counts only as a whole
// word (what follows is no letter).
std::pair<QString, qsizetype> unitAt(QStringView text) {
    const QString lower = text.toString().toLower();
    for (const auto& [form, usual] : formsLongestFirst()) {
        if (!lower.startsWith(form))
            continue;
        const qsizetype end = form.size();
        if (end < lower.size() && lower[end].isLetter())
            continue;
        return {usual, end};
    }
    return {QString(), 0};
}

// Fractions written as one character, as sites like to write them.
QString withPlainFractions(QString text) {
    const std::pair<QChar, const char*> fractions[] = {
        {QChar(0x00BD), " 1/2"}, {QChar(0x00BC), " 1/4"}, {QChar(0x00BE), " 3/4"},
        {QChar(0x2153), " 1/3"}, {QChar(0x2154), " 2/3"}, {QChar(0x215B), " 1/8"}};
    for (const auto& [c, plain] : fractions)
        text.replace(c, QString::fromLatin1(plain));
    return text;
}

// An amount at the start of text: "200", "0,5", "1.5", "1/2", "1 1/2", "2-3" (the first).
// Returns the value and the length read; 0 length when there is none.
std::pair<float, qsizetype> amountAt(const QString& text) {
    static const QRegularExpression number(
        QStringLiteral("^(\\d+)(?:[.,](\\d+))?(?:\\s+(\\d+)\\s*/\\s*(\\d+)|\\s*/\\s*(\\d+))?"
                       "(?:\\s*[-\u2013\u2014]\\s*\\d+(?:[.,]\\d+)?)?"));
    const QRegularExpressionMatch m = number.match(text);
    if (!m.hasMatch())
        return {0, 0};
    double value = m.captured(1).toDouble();
    if (m.capturedLength(2) > 0)
        value = (m.captured(1) + QLatin1Char('.') + m.captured(2)).toDouble();
    if (m.capturedLength(3) > 0) { // a whole and a fraction
        const double den = m.captured(4).toDouble();
        if (den == 0)
            return {0, 0};
        value += m.captured(3).toDouble() / den;
    } else if (m.capturedLength(5) > 0) { // a fraction alone
        const double den = m.captured(5).toDouble();
        if (den == 0)
            return {0, 0};
        value /= den;
    }
    if (!std::isfinite(value) || value > 1e9)
        return {0, 0};
    return {float(value), m.capturedLength(0)};
}

QString cleanName(QString name) {
    // Leading and trailing punctuation and dashes go; the words stay as written.
    static const QRegularExpression edges(
        QStringLiteral("^[\\s\\-\u2013\u2014:,.;*•·]+|[\\s\\-\u2013\u2014:,;*•·]+$"));
    name.remove(edges);
    return name.simplified();
}

// "2 ст. л. сахара", "щепотка соли": an amount (or none), a unit, the product.
bool readLeading(const QString& text, ParsedLine& out) {
    auto [amount, length] = amountAt(text);
    QString rest = text.mid(length).trimmed();
    const auto [unit, unitLength] = unitAt(rest);
    if (length == 0 && unit.isEmpty())
        return false;
    if (!unit.isEmpty()) {
        rest = rest.mid(unitLength).trimmed();
        // "щепотка соли" is one pinch.
        if (length == 0)
            amount = unit == QStringLiteral("по вкусу") ? 0 : 1;
    }
    out.product = cleanName(rest);
    out.amount = amount;
    out.unit = unit;
    return !out.product.isEmpty();
}

// "Мука пшеничная — 200 г", "Яйца: 3 шт.", "Соль — по вкусу", "Молоко 200 мл".
bool readTrailing(const QString& text, ParsedLine& out) {
    // The part after the last dash or colon, else the text after the name's last word.
    static const QRegularExpression separator(
        QStringLiteral("\\s[-\u2013\u2014]\\s|[\u2013\u2014:]"));
    qsizetype cut = -1;
    qsizetype cutLength = 0;
    for (auto it = separator.globalMatch(text); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        cut = m.capturedStart();
        cutLength = m.capturedLength();
    }
    QString name, quantity;
    if (cut > 0) {
        name = text.left(cut);
        quantity = text.mid(cut + cutLength).trimmed();
    } else {
        // No separator: a number near the end starts the quantity.
        static const QRegularExpression lastNumber(
            QStringLiteral("\\s(\\d[\\d.,/\\s\u2013\u2014-]*\\D*)$"));
        const QRegularExpressionMatch m = lastNumber.match(text);
        if (!m.hasMatch())
            return false;
        name = text.left(m.capturedStart());
        quantity = m.captured(1).trimmed();
    }
    auto [amount, length] = amountAt(quantity);
    QString rest = quantity.mid(length).trimmed();
    const auto [unit, unitLength] = unitAt(rest);
    if (length == 0 && unit.isEmpty())
        return false;
    if (!unit.isEmpty())
        rest = rest.mid(unitLength).trimmed();
    out.product = cleanName(name + (rest.isEmpty() ? QString() : QLatin1Char(' ') + rest));
    // "Перец — щепотка" is one pinch; "по вкусу" gives no amount.
    out.amount = length > 0 ? amount : (unit == QStringLiteral("по вкусу") ? 0 : 1);
    out.unit = unit;
    // An amount read with no name before it is still a line read: one with no product.
    return true;
}

} // namespace

QString usualUnit(const QString& written) {
    const QString lower = written.trimmed().toLower();
    for (const auto& [form, usual] : formsLongestFirst())
        if (form == lower)
            return usual;
    return {};
}

ParsedLine parseLine(const QString& line) {
    // A line of a megabyte is no ingredient: its first few hundred characters are plenty.
    QString text = withPlainFractions(line.left(500)).simplified();
    ParsedLine out;
    if (text.isEmpty())
        return out;
    if (text[0].isDigit() || unitAt(text).second > 0) {
        if (readLeading(text, out))
            return out;
    } else if (readTrailing(text, out)) {
        return out.product.isEmpty() ? ParsedLine{} : out;
    }
    // Nothing read as an amount or a unit: the line is the product's name, if it has one.
    const QString name = cleanName(text);
    if (name.isEmpty() ||
        !std::any_of(name.begin(), name.end(), [](QChar c) { return c.isLetter(); }))
        return {};
    return ParsedLine{name, 0, QString()};
}

} // namespace intake
