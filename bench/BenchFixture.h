#pragma once

#include "CollectionGenerator.h"

#include <QString>
#include <functional>
#include <vector>

namespace benchmark {
class State;
}

// The generated collection L (or XL with --xl) that every row of the bench runs on, made
// once; rows that change it work on a copy.
QString benchCollectionPath();
// 1 for L, 10 for XL.
int benchScale();
// The same collection with a thousand photos, for the rows that must not change with them.
QString photoCollectionPath();

// The collection with what the rows need of it.
struct BenchCollection {
    QString path;
    GeneratedCollection info;
    double indexMs = 0; // building its full-text index
    QString twoWords;   // two words of one recipe's method
    int popular = 0;    // a product 1,000 lines use
    int frequent = 0;   // a product 500 lines use
};
const BenchCollection& benchCollection();
void setBenchScale(int scale);
// Rows with the argument 1 run on the collection with a thousand photos.
const QString& collectionFor(const benchmark::State& state);
// The median milliseconds of each of several measures, taken in turns: on a machine whose
// speed drifts, a measure run nine times in a row and its floor run nine times before it
// would be held to different machines.
std::vector<double> medianMsInTurns(const std::vector<std::function<void()>>& measures);

// The commands of ovelta-bench besides its rows, each in the file of its part.
void exchangeFigures();
int kitchenRatios(const QString& path);
double startOnce(const QString& path);
int peakMemory(const QString& path);
int startupTime(const QString& path);
int firstStartWithoutIndex(const QString& path);
