#include "platform/uikit/HapticsLog.h"

HapticsLog& HapticsLog::shared()
{
    static auto* log = new HapticsLog;  // outlives static destruction
    return *log;
}

void HapticsLog::record(const HapticImpact& impact)
{
    std::lock_guard lock(m_mutex);
    m_impacts.push_back(impact);
}

std::vector<HapticImpact> HapticsLog::impacts() const
{
    std::lock_guard lock(m_mutex);
    return m_impacts;
}

std::size_t HapticsLog::count() const
{
    std::lock_guard lock(m_mutex);
    return m_impacts.size();
}

void HapticsLog::clear()
{
    std::lock_guard lock(m_mutex);
    m_impacts.clear();
}
