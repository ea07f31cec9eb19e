#pragma once

#include <QPoint>
#include <optional>

class QMimeData;

// A recipe carried by the pointer from one window to another: the tree and the results
// list give it, the plan's week takes it.
namespace recipedrag {

inline constexpr char kMimeType[] = "application/x-ovelta-recipe";

QMimeData* mimeFor(int recipe);
// The recipe the data carries; nothing when it carries none.
std::optional<int> recipeIn(const QMimeData* data);
// Gives the recipe to the widget under the global point that takes recipes, as though it
// were dropped there; false when none there takes it. For a drag that the pointer's grab
// keeps inside its own widget, such as the tree's.
bool dropAt(const QPoint& global, int recipe);

} // namespace recipedrag
