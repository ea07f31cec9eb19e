#include "IngredientLine.h"

#include "LineQuantity.h"

#include <QHash>
#include <QRegularExpression>
#include <algorithm>
#include <cmath>
#include <optional>

namespace intake {

QString foldedText(const QString& text) {
    QString out = text.toLower();
    out.replace(QChar(0x0451), QChar(0x0435));
    return out.simplified();
}

namespace {

using namespace quantity;

// Words that say how a product is, not which it is: they go to the note.
bool isPreparation(const QString& phrase) {
    static const QRegularExpression words(
        QStringLiteral("(?:^|\\s)(?:мелко|крупно|тонко|слегка|очень|комнатной|температур|"
                       "нарезан|нарезк|натерт|натёрт|тертый|тёртый|растоплен|охлажд|очищен|"
                       "порезан|измельч|рублен|размягч|взбит|свежевыжат|промыт|отварн|"
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
        QStringLiteral(
            "^[а-яё]+(?:ый|ий|ой|ая|яя|ое|ее|ые|ие|ого|его|ому|ему|ых|их|ую|юю|ым|им|ей)$"),
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

// Where the quantity of a name-first line starts, and the quantity: after the first dash or
// colon that a quantity follows, else at the last words that read as a quantity to the end.
struct Tail {
    qsizetype nameEnd = -1;
    Quantity quantity;
    QString rest;      // what follows the quantity
    bool each = false; // "по 1/2 пучка": every product the name lists gets it
};

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

// The pieces of a line at its commas and semicolons, outside brackets and never at a decimal
// comma ("3,2%").
QStringList piecesOf(const QString& text) {
    QStringList pieces;
    int depth = 0;
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == QLatin1Char('(') || c == QLatin1Char('['))
            ++depth;
        else if ((c == QLatin1Char(')') || c == QLatin1Char(']')) && depth > 0)
            --depth;
        const bool decimal = c == QLatin1Char(',') && i > 0 && i + 1 < text.size() &&
                             text[i - 1].isDigit() && text[i + 1].isDigit();
        if (depth == 0 && (c == QLatin1Char(';') || (c == QLatin1Char(',') && !decimal))) {
            pieces << text.mid(start, i - start);
            start = i + 1;
        }
    }
    pieces << text.mid(start);
    return pieces;
}

// A piece of a list that is a product named bare, with no amount: "соль", "черный перец",
// "лавровый лист"; never "сливочного или растительного", "комнатной температуры", "цедра".
bool bareProduct(const QString& piece) {
    static const QRegularExpression toTaste(QStringLiteral("\\s*\\(?по вкусу\\)?$"),
                                            QRegularExpression::CaseInsensitiveOption);
    const QString t = cleanName(QString(piece).remove(toTaste));
    static const QRegularExpression russian(QStringLiteral("^[а-яё][а-яё -]*$"),
                                            QRegularExpression::CaseInsensitiveOption);
    // Words of a part of the product before ("1 лимон, цедра") or of its kind.
    static const QRegularExpression partWord(
        QStringLiteral("^(?:сок|цедр|кожур|мякот|бел[ок]|желт|лист|веточ|семен|зерн|сорт|"
                       "высш|перв)"),
        QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression noun(
        QStringLiteral("(?:^| )(?![а-яё]+(?:ый|ий|ой|ая|яя|ое|ее|ые|ие|ого|его|ых|их|ую|юю|ым|"
                       "им|ей)(?: |$))(?!(?:или|либо|и|а)(?: |$))[а-яё]{2,}"),
        QRegularExpression::CaseInsensitiveOption);
    return russian.match(t).hasMatch() && t.count(QLatin1Char(' ')) < 3 && !isPreparation(t) &&
           !startsAsNoProduct(t) && !partWord.match(t).hasMatch() && noun.match(t).hasMatch();
}

// "Рис 1 кг, баранина 800 г, зира, соль", "1 кг риса; 600 г моркови; барбарис", "500 г
// творога, соль, перец": products written one after another in one line, as old books and
// articles list them. It is such a list when two of its pieces name a product with an amount
// of its own, or when the first does and every later piece is a product named bare. A
// second amount of the same product ("мука — 100 г, 200 г") or a note ("1 для смазки",
// "мелко нарезанный") makes none. Returns the pieces, or nothing when the line is one
// product's.
QStringList inlineList(const QString& text) {
    if (!text.contains(QLatin1Char(',')) && !text.contains(QLatin1Char(';')))
        return {};
    static const QRegularExpression bracket(QStringLiteral("\\([^()]*\\)"));
    const QStringList pieces = piecesOf(text);
    int counted = 0;
    bool firstCounted = false;
    bool restBare = true;
    for (qsizetype i = 0; i < pieces.size(); ++i) {
        QString bare = cleanName(QString(pieces[i]).remove(bracket));
        takeEach(bare);
        QString name;
        Quantity q = quantityAt(bare);
        if (q.length > 0) {
            name = cleanName(bare.mid(q.length));
        } else if (const std::optional<Tail> tail = trailingQuantity(bare)) {
            q = tail->quantity;
            name = cleanName(bare.left(tail->nameEnd));
        }
        const bool withAmount =
            q.hasAmount && q.amount > 0 && !name.isEmpty() && !startsAsNoProduct(name) &&
            !isPreparation(name) && !oneDescribingWord(name) &&
            std::any_of(name.begin(), name.end(), [](QChar c) { return c.isLetter(); });
        counted += withAmount ? 1 : 0;
        if (i == 0)
            firstCounted = withAmount;
        else if (!bareProduct(pieces[i]))
            restBare = false;
    }
    const bool list = counted >= 2 || (firstCounted && restBare && pieces.size() > 1);
    return list ? pieces : QStringList();
}

} // namespace

std::vector<ParsedLine> parseProducts(const QString& line) {
    // A line of a megabyte is no ingredient: its first few hundred characters are plenty.
    QString text = plainNumbers(line.left(500));
    // The other dashes a keyboard or a word processor makes ("−", "―") and dot leaders
    // ("Мука.......200 г", "Масло …50 г") part a name from its amount as a dash does.
    static const QRegularExpression otherDash(
        QStringLiteral("\\s*(?:[\u2212\u2015\uFE58\uFF0D]|\\.{3,}|\u2026+)\\s*"));
    text.replace(otherDash, QStringLiteral(" \u2014 "));
    // Marks before a line ("•", "♥", "＊") and a "plus" that adds it to the line before.
    static const QRegularExpression bullet(
        QStringLiteral("^(?:[\\-\u2013\u2014•·*\uFF0A\\p{So}]+\\s*|(?:plus|плюс)\\s+(?=\\d))+"),
        QRegularExpression::UseUnicodePropertiesOption | QRegularExpression::CaseInsensitiveOption);
    text.remove(bullet);
    // "1. Мука — 200 г", "2) Сахар": the number of a numbered list, which is no amount.
    static const QRegularExpression listNumber(QStringLiteral("^\\d{1,2}[.)]\\s+(?=\\p{L})"),
                                               QRegularExpression::UseUnicodePropertiesOption);
    text.remove(listNumber);
    // "приправадля мяса": a space lost before "для", which no Russian word ends in.
    static const QRegularExpression gluedFor(QStringLiteral("(\\p{L}{3})для\\b"),
                                             QRegularExpression::UseUnicodePropertiesOption);
    text.replace(gluedFor, QStringLiteral("\\1 для"));
    // "Масло сл.", "раст. масло", "лук зел.": the shortened words of the few products that
    // are written so, beside their noun; elsewhere "сл." is a centilitre.
    static const std::pair<QRegularExpression, QString> shortened[] = {
        {QRegularExpression(QStringLiteral("(?<=масло )(?:сл|слив)\\.|(?:сл|слив)\\.(?= ?масл)"),
                            QRegularExpression::CaseInsensitiveOption),
         QStringLiteral("сливочное ")},
        {QRegularExpression(
             QStringLiteral("(?<=масло )(?:раст|растит)\\.|(?:раст|растит)\\.(?= ?масл)"),
             QRegularExpression::CaseInsensitiveOption),
         QStringLiteral("растительное ")},
        {QRegularExpression(QStringLiteral("(?<=лук )зел\\.|зел\\.(?= ?лук)"),
                            QRegularExpression::CaseInsensitiveOption),
         QStringLiteral("зелёный ")},
        {QRegularExpression(QStringLiteral("(?<=перец )черн\\.|черн\\.(?= ?пер(?:ец|ц))"),
                            QRegularExpression::CaseInsensitiveOption),
         QStringLiteral("чёрный ")}};
    for (const auto& [written, full] : shortened)
        text.replace(written, full);
    text = text.simplified();
    // "Для соуса:", "Für den Braten:": a line that only names a group heads the lines
    // below it and is no product.
    if (isHeading(text))
        return {};
    text = cleanName(text);
    if (text.isEmpty())
        return {};
    if (const QStringList pieces = inlineList(text); !pieces.isEmpty()) {
        std::vector<ParsedLine> out;
        for (QString piece : pieces) {
            piece = cleanName(piece);
            // "Тесто: 700 г муки, ...": the group the list is for.
            if (out.empty()) {
                static const QRegularExpression label(
                    QStringLiteral("^[^\\d:()]{2,30}:\\s*(?=\\S)"));
                piece.remove(label);
            }
            std::vector<ParsedLine> got = parseProducts(piece);
            // "..., ванилин на кончике ножа и сливочное масло": the list's last "и" parts
            // two products that one name could not hold, the first with its own measure;
            // "луковица без шелухи и кожицы" is one.
            static const QRegularExpression lastAnd(QStringLiteral(" (?:и|and) (?!.* (?:и|and) )"));
            if (got.size() == 1 && got.front().product.contains(lastAnd)) {
                const qsizetype at = piece.lastIndexOf(lastAnd);
                const QString after = piece.mid(at).section(QLatin1Char(' '), 2);
                const std::vector<ParsedLine> first =
                    at > 0 ? parseProducts(piece.left(at)) : std::vector<ParsedLine>();
                if (first.size() == 1 &&
                    (first.front().amount > 0 || !first.front().unit.isEmpty()) &&
                    !startsAsNoProduct(after) && !isPreparation(after)) {
                    got = first;
                    const std::vector<ParsedLine> second = parseProducts(after);
                    got.insert(got.end(), second.begin(), second.end());
                }
            }
            // A piece that names no product of its own ("мелко нарезанная") tells of the
            // product before it.
            const bool product =
                !got.empty() && (got.front().amount > 0 || !got.front().unit.isEmpty() ||
                                 (!isPreparation(piece) && !startsAsNoProduct(piece) &&
                                  !oneDescribingWord(got.front().product) &&
                                  got.front().product.count(QLatin1Char(' ')) < 4));
            // The first piece of a list is a product, however many words it takes.
            if (!product && out.empty() && !got.empty()) {
                out.insert(out.end(), got.begin(), got.end());
                continue;
            }
            if (!product) {
                if (!out.empty() && !piece.isEmpty()) {
                    ParsedLine& last = out.back();
                    last.note =
                        last.note.isEmpty() ? piece : last.note + QStringLiteral("; ") + piece;
                }
                continue;
            }
            out.insert(out.end(), got.begin(), got.end());
        }
        if (!out.empty())
            return out;
    }
    // "сок 1 лимона", "белок половины яйца", "цедра двух апельсинов": what the cook buys is
    // the fruit or the egg, counted; the part is the note.
    static const QRegularExpression partOf(
        QStringLiteral("^(сок|цедра|цедры|белок|белка|белки|белков|желток|желтка|желтки|желтков|"
                       "мякоть|juice|zest|juice and zest)(?:\\s+of)?\\s+(\\d+(?:[.,/]\\d+)?|"
                       "половины|половинки|одного|одной|двух|тр[её]х|четыр[её]х)\\s+(\\p{L}.*)$"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::UseUnicodePropertiesOption);
    QString part;
    if (const QRegularExpressionMatch m = partOf.match(text); m.hasMatch()) {
        static const QHash<QString, QString> words{
            {QStringLiteral("половины"), QStringLiteral("0.5")},
            {QStringLiteral("половинки"), QStringLiteral("0.5")},
            {QStringLiteral("одного"), QStringLiteral("1")},
            {QStringLiteral("одной"), QStringLiteral("1")},
            {QStringLiteral("двух"), QStringLiteral("2")},
            {QStringLiteral("трёх"), QStringLiteral("3")},
            {QStringLiteral("трех"), QStringLiteral("3")},
            {QStringLiteral("четырёх"), QStringLiteral("4")},
            {QStringLiteral("четырех"), QStringLiteral("4")}};
        const QString count = m.captured(2).toLower();
        part = m.captured(1).toLower();
        text = words.value(count, count) + QLatin1Char(' ') + m.captured(3);
    }

    QStringList notes;
    if (!part.isEmpty())
        notes << part;
    bool toTaste = false;
    Quantity quantity;
    QString name;
    // Brackets are taken out first, so that an amount in them never wins over the one
    // outside ("помидор 180 г (1 шт.)"); an amount only in brackets is still the amount.
    static const QRegularExpression bracket(QStringLiteral("\\(([^()]*)\\)"));
    QString outside = text;
    QStringList bracketed;
    for (auto it = bracket.globalMatch(text); it.hasNext();)
        bracketed << it.next().captured(1).simplified();
    outside.remove(bracket);
    outside = cleanName(outside);

    // "по желанию 1 ч. л. корицы": a wish said before the amount.
    static const QRegularExpression wishFirst(
        QStringLiteral(
            "^(по желанию|при желании|желательно|optional(?:ly)?)\\s*[,:\u2013\u2014-]?\\s+"),
        QRegularExpression::CaseInsensitiveOption);
    if (const QRegularExpressionMatch m = wishFirst.match(outside); m.hasMatch()) {
        notes << m.captured(1);
        outside = outside.mid(m.capturedLength());
    }
    bool each = false;
    // "по 1 пучку укропа и петрушки": the same amount of each product named after it.
    if (QString rest = outside; takeEach(rest) && quantityAt(rest).hasAmount) {
        outside = rest;
        each = true;
    }
    // "немного сливочного масла": a word that says there is some, not how much, and no unit
    // after it.
    Quantity first = quantityAt(outside);
    if (const qsizetype vague = vagueWordAt(outside); vague && first.length == 0) {
        notes << outside.left(vague).simplified();
        outside = outside.mid(vague);
        first = quantityAt(outside);
    }
    const bool leading = first.length > 0;
    if (leading) {
        quantity = first;
        name = outside.mid(quantity.length);
        // "2 шт. — яйца", "200 г: мука"
        name = cleanName(name);
        // "200 г муки / 1 стакан": the same amount said again after the name.
        static const QRegularExpression again(QStringLiteral("\\s+/\\s*(?=\\d)|\\s*=\\s*(?=\\d)"));
        if (const QRegularExpressionMatch m = again.match(name);
            m.hasMatch() && m.capturedStart() > 0) {
            const QString said = name.mid(m.capturedEnd());
            if (const Quantity q = quantityAt(said);
                q.hasAmount && cleanName(said.mid(q.length)).isEmpty()) {
                notes << said;
                name = cleanName(name.left(m.capturedStart()));
            }
        }
        // "Зубчик чеснока — 2 шт.": the unit first, then how many of it.
        if (!quantity.hasAmount && quantity.amount > 0) {
            if (const std::optional<Tail> tail = trailingQuantity(name);
                tail && tail->quantity.hasAmount && tail->rest.isEmpty() &&
                (tail->quantity.unit.isEmpty() || tail->quantity.unit == QStringLiteral("шт"))) {
                quantity.amount = tail->quantity.amount;
                quantity.hasAmount = true;
                name = cleanName(name.left(tail->nameEnd));
            }
        }
        // "1 pound of beef", "100 g di burro": the word that joins a unit to its product.
        static const QRegularExpression joining(QStringLiteral("^(?:of|di|de|d'|du|des|van)\\s+"),
                                                QRegularExpression::CaseInsensitiveOption);
        if (!quantity.unit.isEmpty())
            name.remove(joining);
        // "2 large eggs": a size before a Latin-letter name is the note, as "больших" is.
        static const QRegularExpression size(
            QStringLiteral("^(extra[- ]large|large|medium|small|big|jumbo|groß|große|großen|"
                           "mittelgroße|kleine|kleinen|gros|grosse|petit|petite)\\s+(?=[a-zäöüß])"),
            QRegularExpression::CaseInsensitiveOption);
        if (const QRegularExpressionMatch m = size.match(name); m.hasMatch()) {
            notes << m.captured(1);
            name = name.mid(m.capturedLength());
        }
    } else if (const std::optional<Tail> tail = trailingQuantity(outside)) {
        quantity = tail->quantity;
        each = tail->each;
        name = outside.left(tail->nameEnd);
        if (!tail->rest.isEmpty() && !cleanName(tail->rest).isEmpty())
            notes << tail->rest;
    } else {
        name = outside;
        // "Мука — сколько возьмёт тесто": what follows the dash is a note.
        static const QRegularExpression dash(QStringLiteral(" [-\u2013\u2014] "));
        if (const QRegularExpressionMatch m = dash.match(name); m.hasMatch()) {
            notes << name.mid(m.capturedEnd());
            name.truncate(m.capturedStart());
        }
    }
    QStringList kinds;
    // A bracket that only says an amount restates the one outside, or is the only one.
    for (const QString& b : bracketed) {
        if (foldedText(b) == QStringLiteral("по вкусу")) {
            toTaste = true;
            continue;
        }
        const Quantity q = quantityAt(b);
        if (q.length > 0 && cleanName(b.mid(q.length)).isEmpty()) {
            if (quantity.length == 0)
                quantity = q;
            continue;
        }
        // "Уксус (яблочный)": which vinegar, part of the name.
        static const QRegularExpression kind(
            QStringLiteral("^[а-яё]+(?:ый|ий|ой|ая|яя|ое|ее|ые|ие)(?: "
                           "[а-яё]+(?:ый|ий|ой|ая|яя|ое|ее|ые|ие))?$"),
            QRegularExpression::CaseInsensitiveOption);
        // "(крупная)" says how large, not which.
        static const QRegularExpression size(
            QStringLiteral("^(?:%1)").arg(QString::fromUtf8(kSizeStems)),
            QRegularExpression::CaseInsensitiveOption);
        if (kind.match(b).hasMatch() && !isPreparation(b) && !size.match(b).hasMatch()) {
            kinds << b;
            continue;
        }
        notes << b;
    }
    name = takeNotes(name, notes, toTaste);
    // "Мука пшеничная / Мука": a site's full name of the product, then its short one.
    static const QRegularExpression shortName(
        QStringLiteral("^([^/\\d]*\\p{L}[^/\\d]*?)\\s+/\\s+([^/\\d]+)$"),
        QRegularExpression::UseUnicodePropertiesOption);
    if (const QRegularExpressionMatch m = shortName.match(name); m.hasMatch()) {
        const QString second = m.captured(2).simplified();
        if (!foldedText(m.captured(1)).contains(foldedText(second)))
            notes << second;
        name = m.captured(1);
    }
    if (!kinds.isEmpty())
        name += QLatin1Char(' ') + kinds.join(QLatin1Char(' '));
    if (toTaste && quantity.length == 0) {
        quantity.unit = QStringLiteral("по вкусу");
        quantity.length = 1;
    }
    // A trailing "по вкусу" the tail did not read ("Соль по вкусу" after a note).
    static const QRegularExpression tasteTail(QStringLiteral("\\s*[-\u2013\u2014:]?\\s*по вкусу$"),
                                              QRegularExpression::CaseInsensitiveOption);
    if (quantity.length == 0 && name.contains(tasteTail)) {
        name.remove(tasteTail);
        quantity.unit = QStringLiteral("по вкусу");
        quantity.length = 1;
    }
    if (!quantity.note.isEmpty())
        notes.prepend(quantity.note);
    // Counted leaves of a leaf ("лавровый лист — 3 листочка") are pieces; sheets of sheet
    // gelatine ("желатин листовой — 3 листа") stay sheets.
    static const QRegularExpression leafNamed(
        QStringLiteral("(?:^| )лист(?:ья|ьев|ик|ики)?(?: |$)"));
    if (quantity.unit == QStringLiteral("лист") && foldedText(name).contains(leafNamed))
        quantity.unit = QStringLiteral("шт");
    const bool several =
        quantity.length == 0 || quantity.unit == QStringLiteral("по вкусу") || each;
    const QStringList names = namesIn(name, several, notes);
    // A count with no unit is in pieces.
    if (quantity.hasAmount && quantity.unit.isEmpty() && quantity.amount > 0)
        quantity.unit = QStringLiteral("шт");
    std::vector<ParsedLine> out;
    for (const QString& n : names) {
        const QString product = cleanName(n);
        if (product.isEmpty() ||
            !std::any_of(product.begin(), product.end(), [](QChar c) { return c.isLetter(); }))
            continue;
        // Only a second amount ("Мука — 100 г, 200 г") is no product either.
        if (const Quantity alone = quantityAt(product);
            alone.hasAmount && alone.length >= product.size())
            continue;
        out.push_back({product, quantity.amount, quantity.unit, QString(), !leading});
    }
    if (!out.empty())
        out.front().note = noteOf(notes);
    return out;
}

ParsedLine parseLine(const QString& line) {
    std::vector<ParsedLine> all = parseProducts(line);
    return all.empty() ? ParsedLine{} : all.front();
}

} // namespace intake
