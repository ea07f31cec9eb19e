#pragma once

#include <QString>

// The generated collection L (or XL with --xl) that every row of the bench runs on, made
// once; rows that change it work on a copy.
QString benchCollectionPath();
// 1 for L, 10 for XL.
int benchScale();
// The same collection with a thousand photos, for the rows that must not change with them.
QString photoCollectionPath();
