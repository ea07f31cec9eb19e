#pragma once

#include <QStringList>

// CPU time (user + system) of whole `ovelta-db import-recipe` processes, one per saved page
// in the folders, into a copy of the starter collection: the intake's cost as a user's
// command pays it, dictionary loading and all. Prints the median, the 90th percentile and
// the worst against the 150 ms target; returns 1 when the percentile misses it.
int intakeCpu(const QStringList& dirs);
