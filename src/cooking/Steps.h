#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

// The method as a cook follows it at the stove: one step at a time, and the times a step
// names, ready to start a timer with.
namespace cooking {

// The steps of a method (line breaks as stored): numbered lines ("1.", "2)", "Шаг 3")
// start a step each, with the lines under them; else paragraphs, where empty lines part
// them; else each line. Empty lines never make a step.
QStringList splitSteps(const QString& method);

// A time a step names: "20 минут", "1,5 часа", "5–7 мин" (the shorter, which is when to
// look), "полчаса". Times over a day are no timer anybody sets and are left out.
struct StepTime {
    QString text; // as written
    int seconds = 0;
};
std::vector<StepTime> findTimes(const QString& step);

// "1:05:00", "4:30": what is left of a timer.
QString clockText(int seconds);

// Timers that run at once, on a clock that tests can set.
class Timers {
public:
    using Clock = std::function<qint64()>; // milliseconds
    explicit Timers(Clock clock = {});

    struct Timer {
        int id = 0;
        QString label;
        qint64 endsAt = 0;
        bool done = false;
    };
    int start(const QString& label, int seconds);
    void cancel(int id);
    // The timers that ended since the last call, marked done.
    std::vector<Timer> check();
    int secondsLeft(const Timer& timer) const;
    const std::vector<Timer>& all() const { return m_timers; }
    bool anyRunning() const;

private:
    Clock m_clock;
    std::vector<Timer> m_timers;
    int m_next = 1;
};

} // namespace cooking
