#include "LineQuantity.h"

#include "IngredientLine.h"

#include <QRegularExpression>

#include <algorithm>
#include <cmath>

namespace intake::quantity {

bool isSpace(QChar c) {
    return c.isSpace() || c == QChar(0x00A0) || c == QChar(0x2009) || c == QChar(0x202F);
}

// The unit written at the start of text, with its length. Words and the dots or slashes
// between them are tried up to four words long, the longest that names a unit winning; a
// unit ends where a word ends.
std::pair<QString, qsizetype> unitAt(QStringView text) {
    QString key, found, first;
    qsizetype pos = 0, foundEnd = 0;
    for (int words = 0; words < 4; ++words) {
        while (pos < text.size() && isSpace(text[pos]))
            ++pos;
        const qsizetype start = pos;
        while (pos < text.size() && text[pos].isLetter())
            ++pos;
        if (pos == start)
            break;
        key += nutrition::unitKey(text.mid(start, pos - start));
        if (words == 0)
            first = key;
        qsizetype end = pos;
        // A dot or a slash belongs to an abbreviation: "ст.л.", "ч/л".
        if (end < text.size() && (text[end] == QLatin1Char('.') || text[end] == QLatin1Char('/')))
            ++end;
        if (const QString usual = nutrition::usualUnitByKey(key); !usual.isEmpty()) {
            found = usual;
            foundEnd = end;
        }
        // "с.л." is a tablespoon, written as its two letters; "сл" alone a centilitre.
        if (words == 1 && first == QStringLiteral("с") && key == QStringLiteral("сл")) {
            found = QStringLiteral("ст.л.");
            foundEnd = end;
        }
        pos = end;
        if (pos < text.size() && !isSpace(text[pos]) && !text[pos].isLetter())
            break;
    }
    return {found, foundEnd};
}

// Fractions written as one character, spaces of every width, and thousands written apart
// ("1 000 мл"), made plain before anything is read.
QString plainNumbers(QString text) {
    const std::pair<QChar, const char*> fractions[] = {
        {QChar(0x00BD), " 1/2"}, {QChar(0x00BC), " 1/4"}, {QChar(0x00BE), " 3/4"},
        {QChar(0x2153), " 1/3"}, {QChar(0x2154), " 2/3"}, {QChar(0x215B), " 1/8"}};
    for (const auto& [c, plain] : fractions)
        text.replace(c, QString::fromLatin1(plain));
    text.replace(QChar(0x2044), QLatin1Char('/')); // fraction slash
    for (QChar& c : text)
        if (isSpace(c))
            c = QLatin1Char(' ');
    // Every group of a number at once: "1 234 567" is one number.
    static const QRegularExpression thousands(
        QStringLiteral("(?<![\\d/.,])\\d{1,3}(?: \\d{3})+(?![\\d/])"));
    for (qsizetype from = 0;;) {
        const QRegularExpressionMatch m = thousands.match(text, from);
        if (!m.hasMatch())
            break;
        const QString joined = m.captured().remove(QLatin1Char(' '));
        text.replace(m.capturedStart(), m.capturedLength(), joined);
        from = m.capturedStart() + joined.size();
    }
    // "250г", "1,5л", "2ст.л.": a number glued to its unit is read as though apart.
    for (qsizetype i = 1; i < text.size(); ++i)
        if (text[i - 1].isDigit() && text[i].isLetter() && unitAt(QStringView(text).mid(i)).second)
            text.insert(i++, QLatin1Char(' '));
    return text.simplified();
}

static double numberValue(const QString& written) {
    QString t = written;
    t.replace(QLatin1Char(','), QLatin1Char('.'));
    const qsizetype slash = t.indexOf(QLatin1Char('/'));
    if (slash < 0)
        return t.toDouble();
    const QStringList parts = t.left(slash).simplified().split(QLatin1Char(' '));
    const double den = t.mid(slash + 1).trimmed().toDouble();
    if (den == 0)
        return std::nan("");
    const double num = parts.last().toDouble();
    return (parts.size() > 1 ? parts.first().toDouble() : 0) + num / den;
}

// An amount at the start of text: "200", "0,5", "1.5", "1/2", "1 1/2", a range "2-3",
// "1/3-1/2", "от 2 до 3" (its first number), or a word: "половина", "полтора", "два".
// A number that is a percentage or part of a word ("9%", "2-х") is no amount.
Amount amountAt(const QString& text) {
    static const QString number =
        QStringLiteral("(\\d+ \\d+ ?/ ?\\d+|\\d+ ?/ ?\\d+|\\d+(?:[.,]\\d+)?)");
    static const QRegularExpression digits(
        // "около", "не менее", "до", "etwa": how near the amount is, which it still is.
        QStringLiteral("^(?:от |около |до |не менее |не более |не больше |не меньше |примерно |"
                       "приблизительно |где-то |about |approx\\.? |etwa |ca\\. |[~\u2248] ?)?") +
            number +
            QStringLiteral(
                "(?:(?: ?[-\u2013\u2014~] ?| до | или | to | bis )(?:\\d+ \\d+ ?/ ?\\d+|\\d+ ?/ "
                "?\\d+|\\d+(?:[.,]\\d+)?))?(?![\\d%])(?![-\u2013]?[а-яё])"),
        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = digits.match(text);
    if (m.hasMatch()) {
        const double value = numberValue(m.captured(1));
        if (!std::isfinite(value) || value > 1e9 || value < 0)
            return {};
        return {float(value), m.capturedLength(0)};
    }
    static const std::pair<const char*, float> words[] = {
        {"половина", 0.5f}, {"половинка", 0.5f}, {"полтора", 1.5f},   {"полторы", 1.5f},
        {"один", 1},        {"одна", 1},         {"одно", 1},         {"два", 2},
        {"две", 2},         {"три", 3},          {"четыре", 4},       {"пять", 5},
        {"одну", 1},        {"шесть", 6},        {"семь", 7},         {"восемь", 8},
        {"девять", 9},      {"десять", 10},      {"пара", 2},         {"пару", 2},
        {"парочка", 2},     {"парочку", 2},      {"четверть", 0.25f}, {"треть", 1.0f / 3},
        {"одной", 1},       {"одному", 1}};
    static const QRegularExpression word(QStringLiteral("^([а-яё]+)(?![а-яё])"),
                                         QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch w = word.match(text);
    if (w.hasMatch()) {
        const QString found = w.captured(1).toLower();
        for (const auto& [written, value] : words)
            if (found == QString::fromUtf8(written))
                return {value, w.capturedLength(0)};
    }
    // "пол-лимона", "пол стакана", and "пол" glued to any unit: "полстакана", "полголовки".
    static const QRegularExpression half(QStringLiteral("^пол[- ](?=[а-яё])"),
                                         QRegularExpression::CaseInsensitiveOption);
    if (const QRegularExpressionMatch h = half.match(text); h.hasMatch())
        return {0.5f, h.capturedLength(0)};
    if (text.startsWith(QStringLiteral("пол"), Qt::CaseInsensitive) &&
        !unitAt(QStringView(text).mid(3)).first.isEmpty())
        return {0.5f, 3};
    return {};
}

// Where what follows an amount and its unit is said again another way ("78 г / 1/3
// стакана", "30 мл = 30 г"): that second saying is passed over.
static qsizetype alternativeAt(const QString& text) {
    static const QRegularExpression alt(QStringLiteral("^ ?[/=] ?"));
    const QRegularExpressionMatch m = alt.match(text);
    if (!m.hasMatch())
        return 0;
    const QString rest = text.mid(m.capturedLength());
    const Amount a = amountAt(rest);
    if (a.length == 0)
        return 0;
    const QString afterAmount = rest.mid(a.length).trimmed();
    const qsizetype unitLength = unitAt(afterAmount).second;
    const qsizetype end = text.size() - afterAmount.size() + unitLength;
    // "100 г / 1 стакан тёртого": a word that says of what the second measure is taken.
    static const QRegularExpression ofWhat(QStringLiteral("^\\s+[а-яё]+(?:ого|его|ых|их)\\s*$"),
                                           QRegularExpression::CaseInsensitiveOption);
    if (unitLength > 0 && ofWhat.match(text.mid(end)).hasMatch())
        return text.size();
    return end;
}

// How long the start of text that re matches is; 0 when it does not.
static qsizetype matchedLength(const QRegularExpression& re, QStringView text) {
    const QRegularExpressionMatch m = re.match(text.toString());
    return m.hasMatch() ? m.capturedLength() : 0;
}

// Words a cook puts between an amount and its unit ("1 неполный стакан", "1 маленькая
// головка", "1 heaping cup"): they say how full or how large, and go to the note.
static qsizetype qualifierAt(QStringView text) {
    static const QRegularExpression words(
        QStringLiteral(
            "^(?:(?:(?:не)?полн|%1|хорош|стандартн|целы|цел[оа]|обычн|гранён|гранен|"
            "тонк|мерн)[а-яё]*|гран\\.|small|medium|large|big|heaping|heaped|rounded|level|scant|"
            "generous|full|good)\\s+")
            .arg(QString::fromUtf8(kSizeStems)),
        QRegularExpression::CaseInsensitiveOption);
    return matchedLength(words, text);
}

qsizetype vagueWordAt(const QString& text) {
    static const QRegularExpression some(
        QStringLiteral("^(?:немного|немножко|несколько|чуть-чуть|чуть|some|a few|few|a little|"
                       "einige|etwas|quelques)\\s+"),
        QRegularExpression::CaseInsensitiveOption);
    return matchedLength(some, text);
}

// What follows a spoon or a glass to say how full it is.
static qsizetype fullnessAt(QStringView text) {
    static const QRegularExpression words(
        QStringLiteral("^\\s*(?:с (?:небольшой |большой )?горк[оа][йи]?|без горки|с верхом|"
                       "без верха|с горочкой|без горочки)(?![а-яё])"),
        QRegularExpression::CaseInsensitiveOption);
    return matchedLength(words, text);
}

// Where the spaces from "from" on end.
static qsizetype afterSpaces(QStringView text, qsizetype from) {
    while (from < text.size() && isSpace(text[from]))
        ++from;
    return from;
}

// An amount, its unit or both, at the start of text.
Quantity quantityAt(const QString& text) {
    // "несколько веточек", "немного ложек": a unit with a word for some is not one of it.
    if (const qsizetype vague = vagueWordAt(text)) {
        Quantity q = quantityAt(text.mid(vague));
        if (q.length == 0 || q.hasAmount || q.unit.isEmpty())
            return {};
        q.amount = 0;
        q.note = q.note.isEmpty() ? text.left(vague).simplified()
                                  : text.left(vague).simplified() + QLatin1Char(' ') + q.note;
        q.length += vague;
        return q;
    }
    // "2 х 200 г", "2x400 мл": so many of a weight or a volume; "20 х 30 см" is a size.
    static const QRegularExpression times(QStringLiteral("^(\\d+)\\s*[хx×*]\\s*(?=\\d)"),
                                          QRegularExpression::CaseInsensitiveOption);
    if (const QRegularExpressionMatch m = times.match(text); m.hasMatch()) {
        Quantity each = quantityAt(text.mid(m.capturedLength()));
        if (each.hasAmount && nutrition::unitSize(each.unit).measure != nutrition::Measure::Other) {
            each.amount *= m.captured(1).toFloat();
            each.length += m.capturedLength();
            return each;
        }
    }
    // "a pinch of salt", "an 8-inch tortilla" is no unit: an article before a unit is one.
    static const QRegularExpression article(QStringLiteral("^an? "),
                                            QRegularExpression::CaseInsensitiveOption);
    if (const QRegularExpressionMatch m = article.match(text); m.hasMatch()) {
        Quantity one = quantityAt(text.mid(m.capturedLength()));
        if (!one.hasAmount && !one.unit.isEmpty() && one.amount == 1) {
            one.hasAmount = true;
            one.length += m.capturedLength();
            return one;
        }
    }
    Quantity q;
    const Amount a = amountAt(text);
    const QString rest = text.mid(a.length);
    const qsizetype lead = afterSpaces(rest, 0);
    auto [unit, unitLength] = unitAt(QStringView(rest).mid(lead));
    if (unit.isEmpty()) {
        // "1 неполный стакан", "2 больших зубчика", "большая головка чеснока": the words
        // before the unit are a note.
        qsizetype skipped = 0;
        for (int words = 0; words < 2; ++words) {
            const qsizetype n = qualifierAt(QStringView(rest).mid(lead + skipped));
            if (n == 0)
                break;
            skipped += n;
            const auto found = unitAt(QStringView(rest).mid(lead + skipped));
            if (!found.first.isEmpty()) {
                q.note = rest.mid(lead, skipped).simplified();
                unit = found.first;
                unitLength = skipped + found.second;
                break;
            }
        }
    }
    // A leaf or a feather is a unit only when counted ("2 листа желатина", "3 пера лука"):
    // "лист лавровый" and "лук перо" are names.
    if (!unit.isEmpty() && a.length == 0 &&
        (unit == QStringLiteral("лист") || unit == QStringLiteral("перо")))
        unit.clear();
    if (a.length == 0 && unit.isEmpty())
        return q;
    // "граммов 50", "стакана 2": the unit said first, the number after it and nothing more.
    if (a.length == 0) {
        const qsizetype numberAt = afterSpaces(rest, lead + unitLength);
        const Amount after = amountAt(rest.mid(numberAt));
        if (after.length > 0 && numberAt > lead + unitLength &&
            std::none_of(rest.begin() + numberAt + after.length, rest.end(),
                         [](QChar c) { return c.isLetterOrNumber(); })) {
            q.hasAmount = true;
            q.amount = after.value;
            q.unit = unit;
            q.length = text.size();
            return q;
        }
    }
    q.hasAmount = a.length > 0;
    q.amount = a.value;
    q.unit = unit;
    q.length = a.length + (unit.isEmpty() ? 0 : lead + unitLength);
    if (!q.hasAmount)
        q.amount = unit == QStringLiteral("по вкусу") || unit == QStringLiteral("на кончике ножа")
                       ? 0
                       : 1; // "щепотка соли" is one pinch
    if (!unit.isEmpty()) {
        if (const qsizetype full = fullnessAt(QStringView(text).mid(q.length))) {
            const QString said = text.mid(q.length, full).simplified();
            q.note = q.note.isEmpty() ? said : q.note + QLatin1Char(' ') + said;
            q.length += full;
        }
        // "1 кг 200 г", "1 л 250 мл", "1 tablespoon plus 1 teaspoon": two units of one
        // measure make one amount.
        const nutrition::UnitSize first = nutrition::unitSize(unit);
        qsizetype at = afterSpaces(text, q.length);
        static const QRegularExpression plus(QStringLiteral("^(?:\\+|plus\\b|плюс\\b)\\s*"),
                                             QRegularExpression::CaseInsensitiveOption);
        if (const QRegularExpressionMatch m = plus.match(text.mid(at)); m.hasMatch())
            at += m.capturedLength();
        const Amount more = amountAt(text.mid(at));
        if (first.factor > 0 && more.length > 0) {
            const qsizetype secondAt = afterSpaces(text, at + more.length);
            const auto [second, secondLength] = unitAt(QStringView(text).mid(secondAt));
            const nutrition::UnitSize size = nutrition::unitSize(second);
            if (!second.isEmpty() && second != unit && size.measure == first.measure &&
                size.factor < first.factor) {
                q.amount += float(more.value * size.factor / first.factor);
                q.length = secondAt + secondLength;
            }
        }
        // A dozen is ten pieces, so that the kitchen counts eggs as it counts them.
        if (unit == QStringLiteral("десяток")) {
            q.amount *= 10;
            q.unit = QStringLiteral("шт");
        }
    }
    // "Морковь 1 крупная", "Яйца 2 шт. крупные", "Свекла 2 шт. среднего размера": a size
    // after a count, with nothing after it, is the count's note.
    if (q.hasAmount) {
        static const QRegularExpression sizeToEnd(
            QStringLiteral("^\\s*((?:%1)[а-яё]*(?:\\s+размер(?:а|ов))?)\\s*$")
                .arg(QString::fromUtf8(kSizeStems)),
            QRegularExpression::CaseInsensitiveOption);
        if (const QRegularExpressionMatch m = sizeToEnd.match(text.mid(q.length));
            m.hasMatch() && (q.length == 0 || !text[q.length - 1].isLetter() ||
                             text.mid(q.length).startsWith(QLatin1Char(' ')))) {
            q.note = q.note.isEmpty() ? m.captured(1) : q.note + QLatin1Char(' ') + m.captured(1);
            q.length = text.size();
        }
    }
    q.length += alternativeAt(text.mid(q.length));
    return q;
}

} // namespace intake::quantity
