#include "RussianStemmer.h"

#include <QRegularExpression>

#include <libstemmer.h>
#include <stdexcept>

RussianStemmer::RussianStemmer() : m_stemmer(sb_stemmer_new("russian", "UTF_8")) {
    if (!m_stemmer)
        throw std::runtime_error("the Russian Snowball stemmer is not available");
}

RussianStemmer::~RussianStemmer() {
    sb_stemmer_delete(m_stemmer);
}

QByteArray RussianStemmer::stemUtf8(QByteArrayView word) {
    // ё (D1 91) is written as е (D0 B5) by half of all writers: both stem alike.
    QByteArray folded = word.toByteArray();
    folded.replace("\xd1\x91", "\xd0\xb5");
    const sb_symbol* stem = sb_stemmer_stem(
        m_stemmer, reinterpret_cast<const sb_symbol*>(folded.constData()), int(folded.size()));
    if (!stem)
        return folded; // out of memory in the stemmer: the word itself still matches itself
    return QByteArray(reinterpret_cast<const char*>(stem), sb_stemmer_length(m_stemmer));
}

QString RussianStemmer::stem(const QString& word) {
    return QString::fromUtf8(stemUtf8(word.toCaseFolded().toUtf8()));
}

QStringList stemKeys(const QString& name) {
    thread_local RussianStemmer stemmer;
    static const QRegularExpression word(QStringLiteral("[\\p{L}\\p{N}]+"));
    QString folded = name.toLower();
    folded.replace(QChar(0x0451), QChar(0x0435));
    QStringList keys;
    for (auto it = word.globalMatch(folded); it.hasNext();)
        keys << stemmer.stem(it.next().captured());
    keys.sort();
    return keys;
}
