#pragma once

#include <QString>
#include <QStringList>
#include <vector>

// One ingredient line of a recipe as people write them: "Мука пшеничная — 200 г",
// "200 г муки", "2 ст. л. сахара", "1½ ч. л. соды", "Соль — по вкусу".
namespace intake {

struct ParsedLine {
    QString product;
    float amount = 0; // 0: no amount given, or none that could be read
    QString unit;     // a unit's usual spelling ("ст.л.", "г"); empty when none was read
};

// Reads a line. An amount it cannot read is 0, never a guess; a word it does not know as a
// unit stays part of the product's name.
ParsedLine parseLine(const QString& line);

// A unit as the program writes it, and the ways it is written in recipes (lower case).
struct UnitSpelling {
    QString usual;
    QStringList forms;
};
const std::vector<UnitSpelling>& unitSpellings();
// The usual spelling of a unit written any of its ways; empty when it is no unit known.
QString usualUnit(const QString& written);

} // namespace intake
