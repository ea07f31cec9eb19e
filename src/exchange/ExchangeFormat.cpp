#include "ExchangeFormat.h"

#include "data/TextOrder.h"
#include "recipes/RtfText.h"

#include <cmath>
#include <cstdlib>
#include <limits>
#include <vector>

namespace exchange {

void Writer::append(QByteArrayView encoded) {
    // Whole runs between line feeds at once: most lines have none.
    qsizetype from = 0;
    for (qsizetype lf = encoded.indexOf('\n'); lf >= 0; lf = encoded.indexOf('\n', from)) {
        m_bytes.append(encoded.sliced(from, lf - from));
        m_bytes += "\r\n";
        from = lf + 1;
    }
    m_bytes.append(encoded.sliced(from));
    m_bytes += "\r\n";
}

void Writer::line(const char* key, const QByteArray& encoded, qsizetype replaced) {
    m_bytes.append(key);
    append(encoded);
    m_replaced += replaced;
}

void Writer::line(const QString& text) {
    append(rtf::toCp1251Lossy(text, &m_replaced));
}

void Writer::line(const char* key, const QString& value) {
    m_bytes.append(key);
    append(rtf::toCp1251Lossy(value, &m_replaced));
}

namespace {

bool hasNonAscii(const QByteArray& bytes) {
    for (char c : bytes)
        if (static_cast<unsigned char>(c) >= 0x80)
            return true;
    return false;
}

} // namespace

Lines::Lines(const QByteArray& bytes) : m_bytes(bytes) {
    // Checked in place: decoding a large file only to learn whether it decodes would hold
    // twice its size in memory for nothing.
    m_utf8 = hasNonAscii(bytes) && QByteArrayView(bytes).isValidUtf8();
}

QByteArray Lines::firstLineBytes() const {
    qsizetype end = m_bytes.indexOf('\n');
    if (end < 0)
        end = m_bytes.size();
    qsizetype len = end;
    if (end < m_bytes.size() && len > 0 && m_bytes[len - 1] == '\r')
        --len;
    return m_bytes.left(len);
}

bool Lines::next(QString& text, qint64& end) {
    if (m_pos >= m_bytes.size())
        return false;
    qsizetype lf = m_bytes.indexOf('\n', m_pos);
    const bool hasLf = lf >= 0;
    if (!hasLf)
        lf = m_bytes.size();
    qsizetype len = lf - m_pos;
    if (hasLf && len > 0 && m_bytes[lf - 1] == '\r')
        --len;
    const QByteArrayView raw(m_bytes.constData() + m_pos, len);
    text = m_utf8 ? QString::fromUtf8(raw) : rtf::fromCp1251(raw.toByteArray());
    m_pos = hasLf ? lf + 1 : m_bytes.size();
    end = m_pos;
    ++m_number;
    return true;
}

bool isAcceptedHeader(const QByteArray& firstLine) {
    return firstLine == kHeader || firstLine == kOtherHeader;
}

namespace {

class Reading {
public:
    explicit Reading(ReaderSink& sink) : m_sink(sink) {}

    void handle(const QString& text) {
        if (m_ingredient) {
            if (text.contains(QLatin1String("~INGREDIENT"))) {
                storeLine();
            } else if (text.contains(QLatin1String("QUANTITY="))) {
                if (std::optional<float> q = scanAmount(valueAfter(text, "QUANTITY=")))
                    m_ingredient->quantity = *q;
            } else if (text.contains(QLatin1String("UNIT="))) {
                // The writer gives a line without a unit an empty value: it comes back
                // without one, not with a unit that has no name.
                const QString unit = valueAfter(text, "UNIT=");
                m_ingredient->unit = unit.isEmpty() ? 0 : m_sink.unit(unit);
            }
            return;
        }
        if (m_recipe) {
            if (text.contains(QLatin1String("~RECIPE"))) {
                storeRecipe();
            } else if (text.contains(QLatin1String("INGREDIENT="))) {
                m_ingredient = Line{m_sink.product(valueAfter(text, "INGREDIENT=")), 0, 0};
            } else {
                // A stored line break comes as CR CR LF: its CR is part of the line end.
                QString part = text;
                if (part.endsWith(QLatin1Char('\r')))
                    part.chop(1);
                m_description << part;
            }
            return;
        }
        const int parent = m_sections.empty() ? 0 : m_sections.back();
        if (!m_sections.empty() && text.contains(QLatin1String("~CATALOG"))) {
            m_sections.pop_back();
        } else if (text.contains(QLatin1String("CATALOG="))) {
            m_sections.push_back(m_sink.section(valueAfter(text, "CATALOG="), parent));
        } else if (text.contains(QLatin1String("RECIPE="))) {
            m_recipe = m_sink.recipe(valueAfter(text, "RECIPE="), parent);
            m_description.clear();
        }
    }

    void finish() {
        if (m_ingredient)
            storeLine();
        if (m_recipe)
            storeRecipe();
        m_sections.clear();
    }

private:
    struct Line {
        int product = 0;
        float quantity = 0;
        int unit = 0;
    };

    void storeLine() {
        const Line l = *m_ingredient;
        m_ingredient.reset();
        m_sink.line(*m_recipe, l.product, l.quantity, l.unit);
    }

    void storeRecipe() {
        const int recipe = *m_recipe;
        m_recipe.reset();
        m_sink.description(recipe, m_description.join(QStringLiteral("\r\n")));
        m_description.clear();
    }

    ReaderSink& m_sink;
    // Open sections, innermost last. A list, not the call stack: however deep a file
    // nests its sections, reading it cannot run out of stack.
    std::vector<int> m_sections;
    std::optional<int> m_recipe;
    QStringList m_description;
    std::optional<Line> m_ingredient;
};

} // namespace

void read(Lines& lines, ReaderSink& sink) {
    Reading reading(sink);
    QString text;
    qint64 end = 0;
    lines.next(text, end); // the header
    while (lines.next(text, end)) {
        sink.reached(lines.lineNumber(), end);
        reading.handle(text);
    }
    reading.finish();
}

bool readsBack(LinePlace place, QStringView text) {
    auto has = [text](const char* key) { return text.contains(QLatin1String(key)); };
    switch (place) {
    case LinePlace::RecipeAtRoot:
        return !has("CATALOG=");
    case LinePlace::RecipeInSection:
        return !has("CATALOG=") && !has("~CATALOG");
    case LinePlace::Product:
        return !has("~RECIPE");
    case LinePlace::Unit:
        return !has("~INGREDIENT") && !has("QUANTITY=");
    case LinePlace::DescriptionLine:
        return !has("~RECIPE") && !has("INGREDIENT=");
    case LinePlace::Subsection:
        return !has("~CATALOG");
    }
    return true;
}

bool descriptionReadsBack(QStringView text) {
    // The keys hold no line break: one in the text is one in some line.
    return readsBack(LinePlace::DescriptionLine, text);
}

std::optional<float> scanAmount(const QString& text) {
    qsizetype i = 0;
    const qsizetype n = text.size();
    auto isSpace = [](QChar c) {
        return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
    };
    auto isDigit = [](QChar c) { return c >= '0' && c <= '9'; };
    while (i < n && isSpace(text[i]))
        ++i;
    const qsizetype start = i;
    if (i < n && (text[i] == '+' || text[i] == '-'))
        ++i;
    qsizetype digits = 0;
    while (i < n && isDigit(text[i]))
        ++i, ++digits;
    if (i < n && text[i] == '.') {
        ++i;
        while (i < n && isDigit(text[i]))
            ++i, ++digits;
    }
    if (digits == 0)
        return std::nullopt;
    if (i < n && (text[i] == 'e' || text[i] == 'E')) {
        qsizetype j = i + 1;
        if (j < n && (text[j] == '+' || text[j] == '-'))
            ++j;
        if (j < n && isDigit(text[j])) {
            while (j < n && isDigit(text[j]))
                ++j;
            i = j;
        }
    }
    const QByteArray number = text.mid(start, i - start).toLatin1();
    const double value = std::strtod(number.constData(), nullptr);
    if (!std::isfinite(value) || std::fabs(value) > double(std::numeric_limits<float>::max()))
        return std::nullopt;
    return float(value);
}

namespace {

bool isCSpace(QChar c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

} // namespace

ProductKey productKey(const QString& importedName) {
    QString upper = upperCase(importedName);
    qsizetype b = 0, e = upper.size();
    while (b < e && isCSpace(upper[b]))
        ++b;
    while (e > b && isCSpace(upper[e - 1]))
        --e;
    upper = upper.mid(b, e - b);
    ProductKey key;
    key.words = upper.split(QLatin1Char(' '));
    key.length = upper.toUcs4().size();
    return key;
}

qsizetype storedTrimmedLength(const QString& storedName) {
    qsizetype b = 0, e = storedName.size();
    while (b < e && storedName[b] == ' ')
        ++b;
    while (e > b && storedName[e - 1] == ' ')
        --e;
    return QStringView(storedName).mid(b, e - b).toUcs4().size();
}

bool productMatches(const ProductKey& key, const QString& storedName) {
    if (storedTrimmedLength(storedName) != key.length)
        return false;
    const QString upper = upperCase(storedName);
    for (const QString& word : key.words)
        if (!upper.contains(word))
            return false;
    return true;
}

bool unitMatches(const QString& importedName, const QString& storedName) {
    const QList<uint> a = upperCase(importedName).toUcs4();
    const QList<uint> b = upperCase(storedName).toUcs4();
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        if (a[i] == '.')
            continue;
        if (QChar::toCaseFolded(char32_t(a[i])) != QChar::toCaseFolded(char32_t(b[i])))
            return false;
    }
    return true;
}

} // namespace exchange
