#pragma once

#include "IngredientLine.h"

#include <QString>
#include <vector>

namespace intake {

// "Рис 1 кг, баранина 800 г, зира, соль": the products of a line that lists several one
// after another, as old books and articles do, each read as a line of its own; nothing when
// the line is one product's.
std::vector<ParsedLine> listProducts(const QString& text);

} // namespace intake
