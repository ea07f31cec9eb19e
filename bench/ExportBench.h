#pragma once

#include <QString>

// Peak memory of `ovelta-db export` in a process of its own on a copy of the collection in
// which every recipe is in one section: the shape that once held the whole section in
// memory. Prints the peak beside the same export in the collection's own shape and the
// tool's idle (an empty section); returns 1 when one section costs more than the usual shape.
int exportOneSectionMemory(const QString& collection);
