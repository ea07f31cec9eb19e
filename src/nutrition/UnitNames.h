#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>
#include <vector>

// Units as recipes write them and as the sums weigh them. A unit has one usual spelling
// ("ст.л.") and many written forms ("столовая ложка", "ст. л."); units of mass and volume
// know their own size, the rest ("шт", "пучок") weigh what their product says.
namespace nutrition {

// A unit as the program writes it, and the ways it is written in recipes (lower case).
struct UnitSpelling {
    QString usual;
    QStringList forms;
};
const std::vector<UnitSpelling>& unitSpellings();
// The usual spelling of a unit written any of its ways; empty when it is no unit known.
QString usualUnit(const QString& written);
// A unit's key is its letters alone, folded: "ст. л.", "ст.л." and "ст л" are one unit.
QString unitKey(QStringView text);
// The usual spelling of the unit with that key; empty when none has it.
QString usualUnitByKey(const QString& key);

enum class Measure { Mass, Volume, Other };
struct UnitSize {
    Measure measure = Measure::Other;
    double factor = 0; // grams or millilitres in one; 0 for Other
};
// The size of a unit by its usual spelling. A стакан is the thin one of 250 ml that Russian
// cookery tables count in.
UnitSize unitSize(const QString& usual);

} // namespace nutrition
