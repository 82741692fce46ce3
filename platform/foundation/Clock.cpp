#include "platform/foundation/Clock.h"

#include <algorithm>

Clock::Clock(ClockKind kind)
    : m_kind(kind)
    , m_realStart(std::chrono::steady_clock::now())
{
    m_epochAtStart = std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count();
}

double Clock::now() const
{
    if (m_kind == ClockKind::Virtual)
        return m_virtualNow;
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - m_realStart).count();
}

void Clock::advanceTo(double time)
{
    if (m_kind == ClockKind::Virtual)
        m_virtualNow = std::max(m_virtualNow, time);
}
