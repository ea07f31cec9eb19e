#pragma once

#include <QString>

// Peak memory of `ovelta-db export` in a process of its own on a copy of the collection in
// which every recipe is in one section: the shape that once held the whole section in
// memory. Prints the peak beside the tool's idle (the same process opening the file and
// exporting an empty section); returns 1 when the export takes over 100 MB more.
int exportOneSectionMemory(const QString& collection);
