#pragma once

// The clock of the main run loop. Time is seconds since the loop started.
// The virtual clock moves only when the loop lets it (tests and scripted
// runs); the real clock follows the wall.

#include <chrono>

enum class ClockKind { Virtual,
    Real };

class Clock {
public:
    explicit Clock(ClockKind kind);
    ClockKind kind() const { return m_kind; }
    double now() const;
    // Virtual clock only: move to `time` (never backwards).
    void advanceTo(double time);
    // Seconds since the Unix epoch that correspond to `now()`: the virtual
    // clock starts at the wall time of its creation.
    double epochSeconds() const { return m_epochAtStart + now(); }

private:
    ClockKind m_kind;
    double m_virtualNow = 0;
    double m_epochAtStart = 0;
    std::chrono::steady_clock::time_point m_realStart;
};
