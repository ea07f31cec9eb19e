#pragma once

#include <QString>

class Database;

// How many servings a recipe makes. Kept beside the recipe, never in its document or the
// exchange file: other copies of the program know nothing of it.
namespace recipes {

inline constexpr int kMaxServings = 1000;
// A yield text kept as a note is cut at a word to this.
inline constexpr int kMaxYieldNote = 200;

struct Servings {
    int count = 0; // 0: unknown
    QString note;  // the recipe's own words, when they say more than a number
    bool known() const { return count > 0; }
    bool empty() const { return count == 0 && note.isEmpty(); }
    bool operator==(const Servings&) const = default;
};

// A yield as recipes and programs write it: "4", "4 порции", "на 6 персон", "Порций: 4",
// "6 servings", "4–6 порций" (the first). Words the number does not say ("12 печений",
// "на большую компанию") stay as the note; an amount of a mass or volume ("500 г") is no
// number of servings.
Servings readYield(const QString& text);

// Which of a Russian noun's three forms a whole number takes: 0 as after 1 ("порция"), 1 as
// after 2 to 4 ("порции"), 2 as after 5 and the teens ("порций").
int numberForm(qint64 count);

// "4 порции", "1 порция", "5 порций".
QString servingsText(int count);
// What the recipe says: "Порций: 4", "Порций: 4 (12 печений)", "Порций: на компанию";
// empty when it says nothing.
QString servingsLine(const Servings& servings);

// The recipe's servings; empty when it says nothing or the file has no place for them.
Servings servingsOf(Database& db, int recipe);
// Writes them; empty servings remove the row. Throws DbError when a count is out of range.
void setServings(Database& db, int recipe, const Servings& servings);

} // namespace recipes
