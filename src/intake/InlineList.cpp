#include "InlineList.h"

#include "LineWords.h"

#include <QRegularExpression>
#include <algorithm>

namespace intake {

namespace {

using namespace quantity;
using namespace words;

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
        QStringLiteral("(?:^| )(?![а-яё]+(?:%1)(?: |$))(?!(?:или|либо|и|а)(?: |$))[а-яё]{2,}")
            .arg(QString::fromUtf8(kAdjectiveEndings)),
        QRegularExpression::CaseInsensitiveOption);
    // "погашенная уксусом", "нарезанный кубиками": a word of how, which no product's name
    // has.
    static const QRegularExpression instrumental(
        QStringLiteral("[а-яё]{2}(?:ом|ем|ём|ами|ями)(?: |$)"),
        QRegularExpression::CaseInsensitiveOption);
    return russian.match(t).hasMatch() && t.count(QLatin1Char(' ')) < 3 && !isPreparation(t) &&
           !instrumental.match(t).hasMatch() && !startsAsNoProduct(t) &&
           !partWord.match(t).hasMatch() && noun.match(t).hasMatch();
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

std::vector<ParsedLine> listProducts(const QString& text) {
    const QStringList pieces = inlineList(text);
    if (pieces.isEmpty())
        return {};
    std::vector<ParsedLine> out;
    for (QString piece : pieces) {
        piece = cleanName(piece);
        // "Тесто: 700 г муки, ...": the group the list is for.
        if (out.empty()) {
            static const QRegularExpression label(QStringLiteral("^[^\\d:()]{2,30}:\\s*(?=\\S)"));
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
            if (first.size() == 1 && (first.front().amount > 0 || !first.front().unit.isEmpty()) &&
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
                last.note = last.note.isEmpty() ? piece : last.note + QStringLiteral("; ") + piece;
            }
            continue;
        }
        out.insert(out.end(), got.begin(), got.end());
    }
    return out;
}

} // namespace intake
