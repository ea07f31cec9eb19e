#pragma once

#include <QtGlobal>

// How far a long piece of work has got. The work reports through this and never learns
// whether a window, a terminal or nothing at all shows it.
class Progress {
public:
    virtual ~Progress() = default;
    virtual void setRange(qint64 low, qint64 high) = 0;
    virtual void setPosition(qint64 value) = 0;
};

// Reports to nobody.
class NoProgress : public Progress {
public:
    void setRange(qint64, qint64) override {}
    void setPosition(qint64) override {}
};
