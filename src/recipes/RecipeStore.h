#pragma once

#include <QString>
#include <optional>
#include <vector>

class Database;

// Recipes, their ingredient lines and the product and unit dictionaries, as the editor
// and its dialogs change them. Each call writes at once; the recipe editor wraps a whole
// visit in one transaction around them.
namespace recipes {

struct Recipe {
    int id = 0;
    int section = 0;
    QString name;
    QString text; // line breaks as CR LF
};
std::optional<Recipe> readRecipe(Database& db, int recipeId);
// Saves a new recipe in a section and gives it the lines still waiting with Recipe = 0.
int createRecipe(Database& db, int section, const QString& name, const QString& text);
// Saves a new recipe with no lines, leaving any that wait with Recipe = 0 where they are:
// for callers that bring their own lines and never opened the editor.
int insertRecipe(Database& db, int section, const QString& name, const QString& text);
void updateRecipe(Database& db, int recipeId, const QString& name, const QString& text);
// Deletes the recipe and its lines; false when it was already gone. Menu rows stay.
bool deleteRecipe(Database& db, int recipeId);

struct Line {
    int id = 0;
    int recipe = 0;
    int product = 0;
    int unit = 0;
    QString productName;
    float quantity = 0;
    QString unitName;
};
std::optional<Line> readLine(Database& db, int lineId);
std::vector<Line> recipeLines(Database& db, int recipeId);
// "name amount unit", or the name alone when there is no amount.
QString lineText(const QString& product, float quantity, const QString& unit);

// True when the product is on hand now or always present.
bool productAvailable(Database& db, int productId);
int addLine(Database& db, int recipe, int product, float quantity, int unit);
// The availability mark is worked out again only when the product changed.
void changeLine(Database& db, int lineId, int product, float quantity, int unit,
                int productAtOpening);
bool deleteLine(Database& db, int lineId);

// An amount typed by the user: a decimal number with a point, blanks or tabs around it.
std::optional<float> parseAmount(const QString& text);

enum class Dictionary { Products, Units };
struct Entry {
    int id = 0;
    QString name;
};
// Every entry, in the Russian alphabetical order of the lists.
std::vector<Entry> dictionary(Database& db, Dictionary which);
std::optional<QString> entryName(Database& db, Dictionary which, int id);
int createEntry(Database& db, Dictionary which, const QString& name);
void renameEntry(Database& db, Dictionary which, int id, const QString& name);
// A deleted product leaves both kitchen lists too. False when it was already gone.
bool deleteEntry(Database& db, Dictionary which, int id);

} // namespace recipes
