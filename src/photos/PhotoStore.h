#pragma once

#include "PhotoImage.h"

#include <optional>

class Database;

// Recipe photos in the collection file. They are read only when shown: opening the
// collection, a section or a search never touches them.
namespace photos {

enum class Copy { Full, Small };

// Sets or replaces the recipe's photo, in one transaction. Throws DbError when the recipe
// does not exist.
void setPhoto(Database& db, int recipe, const Photo& photo);
// False when the recipe had none.
bool removePhoto(Database& db, int recipe);
std::optional<QByteArray> photoBytes(Database& db, int recipe, Copy which = Copy::Full);
// The photo's size as stored, without reading the picture.
std::optional<QSize> photoSize(Database& db, int recipe);
bool hasPhoto(Database& db, int recipe);
int photoCount(Database& db);

} // namespace photos
