#pragma once

#include "RecipeReader.h"

#include <QHash>
#include <QJsonObject>
#include <QJsonValue>
#include <QString>
#include <QStringList>
#include <vector>

// What the page reader and the JSON reader share: schema.org Recipe objects found and read.
// The readers' inner part; nothing else needs it.
namespace intake::reading {

// The non-empty lines of text, each simplified.
QStringList lines(const QString& text);
// Text of a JSON string: markup and entities read, twice where a site encoded them twice.
QString decoded(const QString& text);

// Objects of a JSON-LD graph by their "@id": a recipe's image is often one of them, named
// only by its id ({"@id": ".../#primaryimage"}).
using IdIndex = QHash<QString, QJsonObject>;
void indexIds(const QJsonValue& value, IdIndex& ids);
// Every Recipe object in a JSON value: at its top, in arrays, under "@graph", and nested in
// other objects ("mainEntity"), in document order.
void collectRecipes(const QJsonValue& value, std::vector<QJsonObject>& out);
// The first of several recipes, the notice saying how many there were.
ReadRecipe firstOf(const std::vector<QJsonObject>& recipes, const IdIndex& ids);
QString severalNotice(size_t found);
// A recipe with neither products nor a method is no recipe; one without either is read,
// and the notice says what is missing.
void requireSomething(ReadRecipe& r, const QString& where);

} // namespace intake::reading
