#include "IngredientLine.h"

#include "InlineList.h"
#include "LineQuantity.h"
#include "LineWords.h"

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

using namespace quantity;
using namespace words;

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
        QStringLiteral(
            "^(?:[\\-\u2013\u2014•·*\uFF0A\\p{So}\\p{Sm}]+\\s*|(?:plus|плюс)\\s+(?=\\d))+"),
        QRegularExpression::UseUnicodePropertiesOption | QRegularExpression::CaseInsensitiveOption);
    // The invisible marks that make an emoji bullet coloured ("▪️", "➡️") go with it.
    text.remove(QChar(0xFE0F)).remove(QChar(0xFE0E)).remove(QChar(0x200D));
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
    // "соль-щепотка", "укроп-пучок": a hyphen glued between a name and its unit; "сахар-песок"
    // and "лук-порей" are names.
    static const QRegularExpression gluedHyphen(QStringLiteral("(?<=\\p{L})-(?=\\p{L})"),
                                                QRegularExpression::UseUnicodePropertiesOption);
    for (auto it = gluedHyphen.globalMatch(text); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        const QString after = text.mid(m.capturedEnd());
        // "пол-литра" is half a litre.
        static const QRegularExpression half(QStringLiteral("(?:^|\\s)пол$"),
                                             QRegularExpression::CaseInsensitiveOption);
        if (text.left(m.capturedStart()).contains(half))
            continue;
        if (const auto [unit, length] = unitAt(after);
            !unit.isEmpty() && cleanName(after.mid(length)).isEmpty()) {
            text.replace(m.capturedStart(), 1, QStringLiteral(" - "));
            break;
        }
    }
    // "Для соуса:", "Für den Braten:": a line that only names a group heads the lines
    // below it and is no product.
    if (isHeading(text))
        return {};
    text = cleanName(text);
    if (text.isEmpty())
        return {};
    if (std::vector<ParsedLine> listed = listProducts(text); !listed.empty())
        return listed;
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
        // "500 г разных колбас: варёная, копчёная": after the amount comes the product,
        // and what follows its colon tells of it.
        if (const qsizetype colon = name.indexOf(QLatin1Char(':')); colon > 0) {
            notes << name.mid(colon + 1);
            name = cleanName(name.left(colon));
        }
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
