#pragma once

#include <QString>
#include <QStringView>
#include <utility>

// Amounts and units at the start of a piece of an ingredient line: numbers, fractions, ranges
// and number words, units in any of their spellings, the words a cook puts between them.
// The line parser's inner part; nothing else needs it.
namespace intake::quantity {

bool isSpace(QChar c);
// The stems of the Russian words that say how large a thing is.
inline constexpr const char* kSizeStems = "(?:не)?больш|небольш|маленьк|средн|крупн|мелк";
// The unit written at the start of text, with its length; empty when none.
std::pair<QString, qsizetype> unitAt(QStringView text);
// Fractions as one character, spaces of every width, thousands written apart and numbers
// glued to their units, made plain before anything is read.
QString plainNumbers(QString text);

struct Amount {
    float value = 0;
    qsizetype length = 0;
};
Amount amountAt(const QString& text);

struct Quantity {
    float amount = 0;
    QString unit;
    qsizetype length = 0; // 0: none read
    bool hasAmount = false;
    QString note = {}; // what was said of the unit: "неполный", "с горкой"
};
// An amount, its unit or both, at the start of text.
Quantity quantityAt(const QString& text);
// "несколько", "немного", "a few": a word at the start of text that says there is some, not
// how much, with the spaces after it; 0 when none.
qsizetype vagueWordAt(const QString& text);

} // namespace intake::quantity
