#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>

struct sb_stemmer;

// The stem of a Russian word, through the Snowball stemmer: "кефире", "кефира" and
// "кефир" give one stem. Latin words and numbers pass unchanged. Letter case is folded
// and ё is read as е before stemming. One object per thread: the stemmer keeps state.
class RussianStemmer {
public:
    RussianStemmer();
    ~RussianStemmer();
    RussianStemmer(const RussianStemmer&) = delete;
    RussianStemmer& operator=(const RussianStemmer&) = delete;

    // A word in UTF-8, already in lower case.
    QByteArray stemUtf8(QByteArrayView word);
    QString stem(const QString& word);

private:
    sb_stemmer* m_stemmer;
};

// The stems of a name's words as written, sorted: names whose keys are equal are the same
// product whatever the order and the endings of their words.
QStringList stemKeys(const QString& name);
