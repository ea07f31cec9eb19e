#pragma once

#include "ui/Progress.h"

#include <vector>

// Keeps every position a long piece of work reports, so a test can see that the bar
// moves forward and reaches its end.
struct RecordingProgress : Progress {
    qint64 high = -1;
    std::vector<qint64> positions;
    void setRange(qint64, qint64 h) override { high = h; }
    void setPosition(qint64 v) override { positions.push_back(v); }
    qint64 last() const { return positions.empty() ? -1 : positions.back(); }
};
