#pragma once

#include "nutrition/UnitNames.h"

#include <QString>
#include <QStringList>
#include <vector>

// One ingredient line of a recipe as people write them: "Мука пшеничная — 200 г",
// "200 г муки", "2 ст. л. сахара", "1½ ч. л. соды", "Соль — по вкусу", "помидор 180 г
// (1 шт.)", "соль, черный перец - по вкусу", "2 tbsp olive oil".
namespace intake {

struct ParsedLine {
    QString product;
    float amount = 0; // 0: no amount given, or none that could be read
    QString unit;     // a unit's usual spelling ("ст.л.", "г"); empty when none was read
    // What the line says beside the product and its amount: "комнатной температуры",
    // "для жарки", a bracket that is no amount. A line has no place for it; the recipe
    // keeps it with its method.
    QString note = {};
    // The name came before its amount ("Сыр — 100 г"), where cooks write it in the
    // nominative, rather than after it ("100 г сыра").
    bool nameFirst = false;
};

// Reads a line's first product. An amount it cannot read is 0, never a guess; a count with
// no unit is in pieces ("3 яйца" is 3 шт); a word it does not know as a unit stays part of
// the product's name.
ParsedLine parseLine(const QString& line);
// Every product a line names: "соль, перец — по вкусу" names two, each to taste.
std::vector<ParsedLine> parseProducts(const QString& line);

// Units are spelt as the sums weigh them.
using nutrition::UnitSpelling;
using nutrition::unitSpellings;
using nutrition::usualUnit;

// Russian text as it is compared: lower case, ё as е, spaces of every kind as one.
QString foldedText(const QString& text);

} // namespace intake
