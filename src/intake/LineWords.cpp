#include "LineWords.h"

#include "IngredientLine.h"

#include <QRegularExpression>
#include <algorithm>

namespace intake::words {

using namespace quantity;

// Words that say how a product is, not which it is: they go to the note.
bool isPreparation(const QString& phrase) {
    static const QRegularExpression words(
        QStringLiteral("(?:^|\\s)(?:мелко|крупно|тонко|слегка|очень|комнатной|температур|"
                       "нарезан|нарезк|натерт|натёрт|тертый|тёртый|растоплен|охлажд|очищен|"
                       "порезан|измельч|рублен|размягч|взбит|свежевыжат|промыт|отварн|"
                       "погаш|гашен|замочен|обжарен|подогрет|растворен|просеян|"
                       "примерно|около|можно|лучше|по желанию|желательно|любой|любая|любое)"),
        QRegularExpression::CaseInsensitiveOption);
    return words.match(phrase).hasMatch();
}

// A line that only names a group of the lines below it: "Для соуса:", "Für den Braten:".
bool isHeading(const QString& line) {
    const QString t = line.simplified();
    if (t.size() < 3)
        return false;
    // "Ингредиенты на 4 порции", "Для крема", "For the sauce": a list's own heading, with or
    // without its colon, and whatever number of servings it names.
    static const QRegularExpression named(
        QStringLiteral("^(?:(?:ингредиенты|состав|продукты|ingredients|zutaten|ingrédients)"
                       "(?:\\s.*)?|(?:для|for the|für die|für den|für das)\\s+[^\\d\\s]+"
                       "(?:\\s+[^\\d\\s]+)?|на\\s+\\d+\\s+(?:порци|персон|человек)[а-яё]*)"
                       ":?$"),
        QRegularExpression::CaseInsensitiveOption);
    if (t.count(QLatin1Char(' ')) < 6 && named.match(t).hasMatch())
        return true;
    if (!t.endsWith(QLatin1Char(':')))
        return false;
    return t.count(QLatin1Char(' ')) < 6 &&
           std::none_of(t.begin(), t.end(), [](QChar c) { return c.isDigit(); });
}

// One word that says how a thing is, in Russian or in a Latin-letter language:
// "свежая", "Boneless", "smoked".
bool oneDescribingWord(const QString& text) {
    static const QRegularExpression word(
        QStringLiteral("^(?:[а-яё]+(?:ый|ий|ой|ая|яя|ое|ее|ые|ие)|[a-z]+(?:less|ed|free))$"),
        QRegularExpression::CaseInsensitiveOption);
    return word.match(text.simplified()).hasMatch();
}

// A comma's tail that is no product: a purpose, a manner or a word of another language's
// recipe ("to taste", "for frying", "till stekning", "and lime wedges").
bool startsAsNoProduct(const QString& part) {
    static const QRegularExpression words(
        QStringLiteral("^(?:to|for|till|and|or|with|plus|about|as|if|into|at|für|zum|zur|"
                       "und|oder|nach|pour|et|ou|à|au|de|voor|en|of|och|eller|og|y|o|и|или|"
                       "либо|для|на|по|с|со|без|а|но|чтобы|если|из|от|в|к)\\s"),
        QRegularExpression::CaseInsensitiveOption);
    const QString t = part.simplified();
    return words.match(t + QLatin1Char(' ')).hasMatch() || foldedText(t) == QStringLiteral("taste");
}

// What of a name is a note: brackets, a purpose ("для жарки"), an alternative ("или ..."),
// "по желанию", a heading before a colon; returns the name without them.
QString takeNotes(QString name, QStringList& notes, bool& toTaste) {
    static const QRegularExpression bracket(QStringLiteral("\\(([^()]*)\\)|\\[([^\\[\\]]*)\\]"));
    for (int guard = 0; guard < 8; ++guard) {
        const QRegularExpressionMatch m = bracket.match(name);
        if (!m.hasMatch())
            break;
        const QString inside = (m.captured(1) + m.captured(2)).simplified();
        if (foldedText(inside) == QStringLiteral("по вкусу"))
            toTaste = true;
        else if (!inside.isEmpty())
            notes << inside;
        name.replace(m.capturedStart(), m.capturedLength(), QStringLiteral(" "));
    }
    // An unclosed bracket and what follows it.
    if (const qsizetype open = name.indexOf(QLatin1Char('(')); open >= 0) {
        notes << name.mid(open + 1).remove(QLatin1Char(')')).simplified();
        name.truncate(open);
    }
    static const QRegularExpression purpose(
        QStringLiteral("\\s(?:для|на)\\s+(?:подач|украш|жар|смаз|посып|аромат|сервир|гарнир|"
                       "обсып|обвал|присып|фритюр|декор|запек|заправ|вкус|формы|противн|тест|"
                       "крем|соус|начин|глазур|пропит).*$"),
        QRegularExpression::CaseInsensitiveOption);
    if (const QRegularExpressionMatch m = purpose.match(name); m.hasMatch()) {
        notes << m.captured().simplified();
        name.truncate(m.capturedStart());
    }
    // "среднего размера", "средних размеров": how large, wherever it stands.
    static const QRegularExpression size(
        QStringLiteral("\\s((?:%1)[а-яё]*\\s+размер(?:а|ов))(?![а-яё])")
            .arg(QString::fromUtf8(kSizeStems)),
        QRegularExpression::CaseInsensitiveOption);
    if (const QRegularExpressionMatch m = size.match(name); m.hasMatch()) {
        notes << m.captured(1).simplified();
        name.remove(m.capturedStart(), m.capturedLength());
    }
    static const QRegularExpression wish(QStringLiteral("\\bпо желанию\\b"),
                                         QRegularExpression::CaseInsensitiveOption);
    if (name.contains(wish)) {
        notes << QStringLiteral("по желанию");
        name.remove(wish);
    }
    static const QRegularExpression orElse(QStringLiteral("\\s(?:или|либо|or|oder|ou)\\s.*$"),
                                           QRegularExpression::CaseInsensitiveOption);
    // "мороженая или свежая брусника": two kinds of one product, named once at the end.
    static const QRegularExpression twoKinds(
        QStringLiteral("^\\s*([а-яё]+)\\s+(?:или|либо)\\s+([а-яё]+\\s+[а-яё].*)$"),
        QRegularExpression::CaseInsensitiveOption);
    // "Light or dark rum": the same in a Latin-letter language, two words after.
    static const QRegularExpression twoLatinKinds(
        QStringLiteral("^\\s*([a-z]+)\\s+(?:or|oder|ou|o)\\s+([a-z]+\\s+[a-z]+)\\s*$"),
        QRegularExpression::CaseInsensitiveOption);
    // The kind named second keeps the name; "мороженая или свежая" goes to the note.
    auto secondKind = [&](const QRegularExpressionMatch& m, const char* orWord) {
        name = m.captured(2);
        notes << QStringLiteral("%1 %2 %3")
                     .arg(m.captured(1), QString::fromUtf8(orWord),
                          name.section(QLatin1Char(' '), 0, 0));
    };
    if (const QRegularExpressionMatch m = twoLatinKinds.match(name); m.hasMatch())
        secondKind(m, "or");
    // The describing word in any case: "говяжьего или смешанного фарша".
    static const QRegularExpression describing(
        QStringLiteral("^[а-яё]+(?:%1)$").arg(QString::fromUtf8(kAdjectiveEndings)),
        QRegularExpression::CaseInsensitiveOption);
    if (const QRegularExpressionMatch m = twoKinds.match(name);
        m.hasMatch() && describing.match(m.captured(1)).hasMatch())
        secondKind(m, "или");
    if (const QRegularExpressionMatch m = orElse.match(name); m.hasMatch()) {
        notes << m.captured().simplified();
        name.truncate(m.capturedStart());
    }
    // "Для теста: мука": the heading before the colon is a note.
    if (const qsizetype colon = name.lastIndexOf(QLatin1Char(':')); colon > 0) {
        const QString after = name.mid(colon + 1).simplified();
        if (!after.isEmpty()) {
            notes << name.left(colon).simplified();
            name = after;
        }
    }
    return name;
}

QString cleanName(QString name) {
    // Leading and trailing punctuation and dashes go; the words stay as written.
    static const QRegularExpression edges(
        QStringLiteral("^[\\s\\-\u2013\u2014:,.;/*•·=]+|[\\s\\-\u2013\u2014:,;/*•·=.]+$"));
    name.remove(edges);
    return name.simplified();
}

// A name-first line's quantity: after the first dash or colon that a quantity follows, else
// at the last words that read as a quantity to the end.

// "по 2 шт.", "по 1 ч. л.": the same for each product named; "по вкусу" is no such "по".
// Takes the "по " off text when it is there.
bool takeEach(QString& text) {
    if (!text.startsWith(QStringLiteral("по ")) || text.startsWith(QStringLiteral("по вкусу")))
        return false;
    text.remove(0, 3);
    return true;
}

std::optional<Tail> trailingQuantity(const QString& text) {
    static const QRegularExpression separator(
        QStringLiteral(" [-\u2013\u2014] ?|[\u2013\u2014:] ?|(?<=[а-яёa-z]) ?- ?(?=\\d)|, ?"),
        QRegularExpression::CaseInsensitiveOption);
    for (auto it = separator.globalMatch(text); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        if (m.capturedStart() == 0)
            continue;
        // The dash of a range ("15–20 г") is no separator: the range is one amount.
        const qsizetype before = m.capturedStart() - 1;
        if (text[before].isDigit() && m.capturedEnd() < text.size() &&
            text[m.capturedEnd()].isDigit())
            continue;
        QString after = text.mid(m.capturedEnd()).trimmed();
        const bool each = takeEach(after);
        const Quantity q = quantityAt(after);
        // After a comma only an amount counts: "соль, щепотка" is rare, "мука, 650 г" common,
        // and "петрушка, пучок укропа" names two products.
        const bool comma = m.captured().startsWith(QLatin1Char(','));
        if (q.length > 0 && (!comma || q.hasAmount))
            return Tail{m.capturedStart(), q, after.mid(q.length).trimmed(), each};
    }
    // No separator: the first word from which the rest reads as a quantity, to the end.
    for (qsizetype i = 1; i < text.size(); ++i) {
        if (text[i - 1] != QLatin1Char(' '))
            continue;
        QString after = text.mid(i);
        const bool each = takeEach(after);
        const Quantity q = quantityAt(after);
        if (q.length == 0)
            continue;
        // A unit after a number that could not be read ("1/0 стакана") is no quantity: a
        // guessed one pinch or glass would be a wrong amount.
        if (!q.hasAmount && i >= 2 && (text[i - 2].isDigit() || text[i - 2] == QLatin1Char('/')))
            return std::nullopt;
        const QString rest = cleanName(after.mid(q.length));
        if (rest.isEmpty())
            return Tail{i, q, QString(), each};
        // "Сыр твёрдый 100 г, тёртый": what follows the amount's comma is a note.
        if (const QString next = after.mid(q.length).trimmed();
            next.startsWith(QLatin1Char(',')) && !(next.size() > 1 && next[1].isDigit()))
            return Tail{i, q, rest, each};
    }
    return std::nullopt;
}

QString noteOf(const QStringList& notes) {
    QStringList kept;
    for (const QString& n : notes) {
        const QString t = cleanName(n);
        if (!t.isEmpty() && !kept.contains(t))
            kept << t;
    }
    return kept.join(QStringLiteral("; "));
}

// Splits "соль, черный перец" into products, a comma's tail that says how a product is
// prepared being a note instead.
QStringList namesIn(const QString& name, bool several, QStringList& notes) {
    // A decimal comma ("3,2%") is no place to split.
    static const QRegularExpression comma(QStringLiteral("(?<!\\d),|,(?!\\d)"));
    QStringList parts = name.split(comma, Qt::SkipEmptyParts);
    QStringList out;
    for (qsizetype i = 0; i < parts.size(); ++i) {
        const QString part = cleanName(parts[i]);
        if (part.isEmpty())
            continue;
        if (out.isEmpty()) {
            out << part;
            continue;
        }
        // "Boneless, Skinless Chicken Thighs": a describing word before the comma belongs
        // to the name after it.
        if (out.size() == 1 && oneDescribingWord(out.front()) && !startsAsNoProduct(part) &&
            !isPreparation(part)) {
            out.front() += QLatin1Char(' ') + part;
            continue;
        }
        const bool aProduct =
            several && !isPreparation(part) && !startsAsNoProduct(part) &&
            !oneDescribingWord(part) && part.count(QLatin1Char(' ')) < 3 &&
            !std::any_of(part.begin(), part.end(), [](QChar c) { return c.isDigit(); });
        if (aProduct) {
            out << part;
        } else {
            notes << parts.mid(i).join(QLatin1Char(','));
            break;
        }
    }
    // "соль и перец" to taste: two products.
    if (several && out.size() == 1) {
        static const QRegularExpression andWord(QStringLiteral(" (?:и|and|und|et|en|och|og|y|&) "),
                                                QRegularExpression::CaseInsensitiveOption);
        const QStringList both = out.front().split(andWord);
        if (both.size() == 2 && both[0].count(QLatin1Char(' ')) < 3 &&
            both[1].count(QLatin1Char(' ')) < 4 && !startsAsNoProduct(both[1]) &&
            !isPreparation(both[1]))
            out = both;
    }
    return out;
}

} // namespace intake::words
