#pragma once

#include <QDateTime>
#include <QString>
#include <optional>
#include <vector>

class Database;

// The trash: deleting moves a recipe, or a section with everything in it, out of the live
// tables whole, so that it can be put back as it was. No widgets here.
namespace trash {

enum class Kind { Recipe = 0, Section = 1 };

// What is kept for a trashed thing's first 30 days.
constexpr int kKeepDays = 30;

struct Entry {
    qint64 id = 0;
    Kind kind = Kind::Recipe;
    int item = 0; // the recipe's or the section's ID
    QString name;
    QString place; // the sections it was in, "Супы / Холодные"; empty for the top level
    QDateTime deleted;
    int recipes = 0; // how many recipes it holds
};

// False for a file where the trash tables could not be made: deleting deletes for good.
bool available(Database& db);

// Moves a recipe to the trash; 0 when there is no such recipe. Throws DbError, leaving
// everything as it was.
qint64 moveRecipe(Database& db, int recipeId, const QDateTime& now = QDateTime::currentDateTime());
// Moves a section with its subsections, recipes, lines, photos and servings to the trash;
// with moveContentsUp its direct contents first go to its parent and it goes alone. 0 when
// there is no such section.
qint64 moveSection(Database& db, int sectionId, bool moveContentsUp = false,
                   const QDateTime& now = QDateTime::currentDateTime());

// The newest first.
std::vector<Entry> entries(Database& db);
std::optional<Entry> entry(Database& db, qint64 id);
// The entry holding a recipe (Kind::Recipe) or section deleted as such.
std::optional<qint64> entryOf(Database& db, Kind kind, int item);

struct Restored {
    Kind kind = Kind::Recipe;
    int item = 0; // its ID now (the same, unless that ID had been taken meanwhile)
    QString name;
    int section = 0;           // where it went (0: the top level)
    bool sectionsMade = false; // the sections it was in were made again
};
// Puts an entry back where it was, with every line, photo and serving count; the sections
// it was in are made again where they are gone, and products and units deleted meanwhile
// are found again by name or made anew. Nothing when there is no such entry.
std::optional<Restored> restore(Database& db, qint64 id);

// The IDs of the sections from the top down to this one.
std::vector<int> sectionPath(Database& db, int section);

// Removes entries for good: one, those deleted before a time, or all. Returns how many.
int remove(Database& db, qint64 id);
int purgeBefore(Database& db, const QDateTime& before);
int empty(Database& db);

} // namespace trash
