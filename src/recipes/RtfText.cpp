#include "RtfText.h"

#include <QStringDecoder>
#include <QStringEncoder>
#include <array>
#include <cmath>
#include <vector>

namespace rtf {

QByteArray toCp1251(const QString& text, bool* ok) {
    QStringEncoder encoder("windows-1251", QStringConverter::Flag::Stateless);
    QByteArray out = encoder.encode(text);
    if (ok)
        *ok = !encoder.hasError();
    return out;
}

namespace {

// The character of every code page byte, made once: decoding is then a table look-up.
const std::array<char16_t, 256>& cp1251Chars() {
    static const std::array<char16_t, 256> table = [] {
        std::array<char16_t, 256> t{};
        for (int b = 0; b < 0x100; ++b) {
            QStringDecoder decoder("windows-1251", QStringConverter::Flag::Stateless);
            const QString decoded = decoder.decode(QByteArray(1, char(b)));
            t[size_t(b)] = decoded.size() == 1 ? decoded[0].unicode() : char16_t(0xFFFD);
        }
        return t;
    }();
    return table;
}

} // namespace

QString fromCp1251(const QByteArray& bytes) {
    const std::array<char16_t, 256>& chars = cp1251Chars();
    QString out(bytes.size(), Qt::Uninitialized);
    QChar* d = out.data();
    for (qsizetype i = 0; i < bytes.size(); ++i)
        d[i] = QChar(chars[static_cast<unsigned char>(bytes[i])]);
    return out;
}

namespace {

bool isAsciiLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// The code page 1251 byte of one character, or 0 when the code page has none for it.
// The table is the inverse of the code page's decoding, made once.
char cp1251Byte(QChar c) {
    static const std::vector<char> table = [] {
        std::vector<char> t(0x10000, 0);
        for (int b = 0; b < 0x100; ++b) {
            const char16_t ch = cp1251Chars()[size_t(b)];
            if (ch != 0xFFFD)
                t[ch] = char(b);
        }
        return t;
    }();
    return table[c.unicode()];
}

} // namespace

QByteArray toCp1251Lossy(QStringView text, qsizetype* replaced) {
    QByteArray out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        const char b = cp1251Byte(c);
        if (b != 0 || c.unicode() == 0) {
            out += b;
            continue;
        }
        out += '?';
        if (replaced)
            ++*replaced;
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            ++i;
    }
    return out;
}

bool endsInControlWord(const QByteArray& doc) {
    // Walk back over a numeric parameter, then letters; a backslash before them (not
    // itself escaped) makes a control word.
    int i = int(doc.size()) - 1;
    while (i >= 0 && isDigit(doc[i]))
        --i;
    if (i >= 0 && doc[i] == '-')
        --i;
    int lettersEnd = i;
    while (i >= 0 && isAsciiLetter(doc[i]))
        --i;
    if (i == lettersEnd || i < 0 || doc[i] != '\\')
        return false;
    int slashes = 0;
    for (int j = i; j >= 0 && doc[j] == '\\'; --j)
        ++slashes;
    return slashes % 2 == 1;
}

void appendText(QByteArray& doc, const QString& text) {
    if (text.isEmpty())
        return;
    const QChar first = text.front();
    if (first.unicode() < 0x80 && endsInControlWord(doc)) {
        const char c = char(first.unicode());
        if (isAsciiLetter(c) || isDigit(c) || c == '-' || c == ' ')
            doc += ' ';
    }
    doc.reserve(doc.size() + text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        const ushort u = c.unicode();
        if (u == '\\' || u == '{' || u == '}') {
            doc += '\\';
            doc += char(u);
            continue;
        }
        const char b = cp1251Byte(c);
        if (b != 0 || u == 0) {
            doc += b;
            continue;
        }
        // Outside the code page: a Unicode escape with "?" for readers that lack it.
        // Characters beyond 16 bits go as their two UTF-16 halves, as RTF expects.
        doc += "\\u" + QByteArray::number(qint16(u)) + '?';
    }
}

QByteArray formatAmount(float amount) {
    // Whole amounts below a million, the most of them, print as the integer they are.
    if (amount >= 0 && amount < 1e6f && amount == std::trunc(amount) && !std::signbit(amount))
        return QByteArray::number(qint64(amount));
    // Qt's own formatter: the C "%g" whatever the user's locale says about decimal points.
    QByteArray text = QString::asprintf("%g", double(amount)).toLatin1();
    // The files and documents of other copies of the program carry three exponent digits
    // ("1e+006"), where this library writes two.
    const qsizetype e = text.indexOf('e');
    if (e >= 0) {
        const qsizetype digits = text.size() - (e + 2);
        if (digits < 3)
            text.insert(e + 2, QByteArray(3 - digits, '0'));
    }
    return text;
}

} // namespace rtf
