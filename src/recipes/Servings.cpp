#include "Servings.h"

#include "data/Database.h"

#include <QRegularExpression>

namespace recipes {

namespace {

const char* const kNumberWords[] = {"",      "один", "два",    "три",    "четыре", "пять",
                                    "шесть", "семь", "восемь", "девять", "десять"};

int numberWord(const QString& word) {
    const QString w = word.toLower();
    if (w == QStringLiteral("одна") || w == QStringLiteral("одну") || w == QLatin1String("one"))
        return 1;
    if (w == QStringLiteral("две") || w == QLatin1String("two"))
        return 2;
    for (int i = 1; i <= 10; ++i)
        if (w == QString::fromUtf8(kNumberWords[i]))
            return i;
    return 0;
}

// Words that only say "servings", in the languages recipes come in.
bool servingWord(const QString& word) {
    static const QRegularExpression words(
        QStringLiteral("^(на|for|serves?|servings?|portions?|persons?|people|yields?|makes|"
                       "порци[яиюей]*|порций|персон[ыау]?|человек[аи]?|едоков|"
                       "количество|кол-во|выход|porzioni|personnes?|portionen|raciones|"
                       "porciones|personas)$"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::UseUnicodePropertiesOption);
    return words.match(word).hasMatch();
}

QString cutAtWord(const QString& text, int limit) {
    if (text.size() <= limit)
        return text;
    const qsizetype space = text.lastIndexOf(QLatin1Char(' '), limit);
    return text.left(space > 0 ? space : limit).trimmed();
}

} // namespace

Servings readYield(const QString& text) {
    const QString plain = text.simplified();
    if (plain.isEmpty())
        return {};
    static const QRegularExpression number(
        QStringLiteral("(?<![\\d.,\\-])(\\d{1,7})(?:[.,](\\d+))?(?:\\s*(?:[-–—]|до)\\s*\\d+)?"
                       "(?:\\s*([^\\s\\d]+))?"),
        QRegularExpression::UseUnicodePropertiesOption);
    static const QRegularExpression measure(
        QStringLiteral(
            "^(г|гр|грамм\\w*|кг|мл|л|литр\\w*|g|kg|ml|l|oz|lbs?|cups?|стакан\\w*)\\.?$"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::UseUnicodePropertiesOption);
    int count = 0;
    const QRegularExpressionMatch m = number.match(plain);
    if (m.hasMatch() && m.captured(2).isEmpty() && !measure.match(m.captured(3)).hasMatch())
        count = m.captured(1).toInt();
    bool onlyNumber = m.hasMatch() && count > 0;
    const QStringList words =
        plain.split(QRegularExpression(QStringLiteral("[\\s:()]+")), Qt::SkipEmptyParts);
    if (!m.hasMatch())
        for (const QString& w : words)
            if (const int n = numberWord(w)) {
                count = n;
                onlyNumber = true;
                break;
            }
    // Anything besides the number and words for servings is the recipe's own say.
    if (onlyNumber) {
        static const QRegularExpression digits(QStringLiteral("^[\\d.,–—-]+$"));
        for (const QString& w : words)
            if (!digits.match(w).hasMatch() && !servingWord(w) && numberWord(w) == 0 &&
                w != QStringLiteral("до") && w != QLatin1String("-"))
                onlyNumber = false;
        if (m.hasMatch() && m.captured(0).contains(QRegularExpression(QStringLiteral("[-–—]|до"))))
            onlyNumber = false; // a range: the first is taken, the words say the rest
    }
    Servings out;
    if (count > 0 && count <= kMaxServings)
        out.count = count;
    if (!onlyNumber || out.count == 0)
        out.note = cutAtWord(plain, kMaxYieldNote);
    return out;
}

int numberForm(qint64 count) {
    const qint64 last = count % 10;
    const qint64 lastTwo = count % 100;
    if (last == 1 && lastTwo != 11)
        return 0;
    if (last >= 2 && last <= 4 && (lastTwo < 12 || lastTwo > 14))
        return 1;
    return 2;
}

QString servingsText(int count) {
    const char* const words[] = {"порция", "порции", "порций"};
    return QStringLiteral("%1 %2").arg(count).arg(QString::fromUtf8(words[numberForm(count)]));
}

QString servingsLine(const Servings& s) {
    if (s.empty())
        return {};
    if (!s.known())
        return QStringLiteral("Порций: %1").arg(s.note);
    if (s.note.isEmpty())
        return QStringLiteral("Порций: %1").arg(s.count);
    return QStringLiteral("Порций: %1 (%2)").arg(s.count).arg(s.note);
}

namespace {

bool hasTable(Database& db) {
    return db.hasTable(QStringLiteral("RecipeServings"));
}

} // namespace

Servings servingsOf(Database& db, int recipe) {
    if (!hasTable(db))
        return {};
    Statement row(db, SqlText("SELECT Servings, Note FROM RecipeServings WHERE Recipe=?"));
    row.bind(1, qint64(recipe));
    if (!row.step())
        return {};
    return Servings{int(row.int64(0)), row.text(1)};
}

void setServings(Database& db, int recipe, const Servings& servings) {
    if (servings.count < 0 || servings.count > kMaxServings)
        throw DbError(0, QStringLiteral("Порций может быть от 1 до %1.").arg(kMaxServings));
    Transaction tx(db);
    if (!hasTable(db))
        throw DbError(0, QStringLiteral("В этой коллекции нет места для числа порций."));
    if (servings.empty()) {
        db.exec("DELETE FROM RecipeServings WHERE Recipe=?", {qint64(recipe)});
    } else {
        Statement put(db, SqlText("INSERT OR REPLACE INTO RecipeServings (Recipe, Servings, Note) "
                                  "VALUES (?, ?, ?)"));
        put.bind(1, qint64(recipe));
        put.bind(2, qint64(servings.count));
        put.bind(3, cutAtWord(servings.note, kMaxYieldNote));
        put.run();
    }
    tx.commit();
}

} // namespace recipes
