#pragma once

#include "LineQuantity.h"

#include <QString>
#include <QStringList>
#include <optional>

// The words of an ingredient line around its product's name: what is a note, what is a
// heading, where a name-first line's amount starts. The line parser's inner part.
namespace intake::words {

using quantity::Quantity;

// The endings of a Russian adjective or participle in any case and number: "свежая",
// "говяжьего", "мелких".
inline constexpr const char* kAdjectiveEndings =
    "ый|ий|ой|ая|яя|ое|ее|ые|ие|ого|его|ому|ему|ых|их|ую|юю|ым|им|ей";

// Words that say how a product is, not which it is: they go to the note.
bool isPreparation(const QString& phrase);
// A line that only names a group of the lines below it: "Для соуса:", "Für den Braten:".
bool isHeading(const QString& line);
// One word that says how a thing is: "свежая", "Boneless", "smoked".
bool oneDescribingWord(const QString& text);
// A piece that is no product: a purpose, a manner, "to taste", "и ...", "для ...".
bool startsAsNoProduct(const QString& part);
// What of a name is a note; returns the name without it.
QString takeNotes(QString name, QStringList& notes, bool& toTaste);
// The name without leading and trailing punctuation and dashes.
QString cleanName(QString name);

// Where the quantity of a name-first line starts, and the quantity.
struct Tail {
    qsizetype nameEnd = -1;
    Quantity quantity;
    QString rest;      // what follows the quantity
    bool each = false; // "по 1/2 пучка": every product the name lists gets it
};
// Takes a leading "по " that gives each product named the same amount off text.
bool takeEach(QString& text);
std::optional<Tail> trailingQuantity(const QString& text);

// The notes of a line as one text, each once.
QString noteOf(const QStringList& notes);
// The products a name lists ("соль, черный перец"), a tail that is no product going to notes.
QStringList namesIn(const QString& name, bool several, QStringList& notes);

} // namespace intake::words
