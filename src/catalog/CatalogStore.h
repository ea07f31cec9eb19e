#pragma once

#include <QString>
#include <QtGlobal>
#include <optional>
#include <vector>

class Database;

// The catalog as the tree sees it: every item carries a 32-bit value, a section's ID, or a
// recipe's ID with the top bit set (negative when read as a signed number).
namespace catalog {

constexpr quint32 kRecipeBit = 0x80000000u;

inline qint32 recipeValue(int recipeId) {
    return qint32(quint32(recipeId) | kRecipeBit);
}
inline bool isRecipeValue(qint32 value) {
    return value < 0;
}
inline int recipeIdOf(qint32 value) {
    return int(quint32(value) & ~kRecipeBit);
}

struct Entry {
    QString name;
    qint32 value;
};

// The subsections, then the recipes, filed directly in a section (0: the root), in the
// order the database keeps them; the tree sorts them itself.
std::vector<Entry> children(Database& db, int sectionId);

struct Section {
    int id = 0;
    int parent = 0;
    QString name;
};
std::optional<Section> readSection(Database& db, int sectionId);

// Files a section or recipe (by its item value) in another section (0: the root).
// False when its row no longer exists; nothing is written then.
bool fileInSection(Database& db, qint32 value, int sectionId);

// Section editing. Each writes at once; deleting runs in one transaction.
int createSection(Database& db, int parentId, const QString& name);
void renameSection(Database& db, int sectionId, const QString& name); // DbError when gone
bool hasContents(Database& db, int sectionId);
// Deletes a section. With moveContentsUp its direct subsections and recipes go to its
// parent; otherwise every descendant section, recipe and ingredient line goes with it.
// Menu rows that name deleted recipes stay: the menu tidies itself when next opened.
void deleteSection(Database& db, int sectionId, bool moveContentsUp);

} // namespace catalog
