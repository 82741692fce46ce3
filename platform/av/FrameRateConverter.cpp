#include "platform/av/FrameRateConverter.h"

#include <cmath>

namespace av {

namespace {
// Container timestamps are rounded to their time base; this absorbs that
// without ever reaching across a real frame interval.
constexpr double kSlack = 1e-4;
}  // namespace

FrameRateConverter::FrameRateConverter(double startSeconds, Rational frameDuration, int64_t frameCount)
    : m_start(startSeconds)
    , m_frameDuration(frameDuration)
    , m_count(frameCount < 0 ? 0 : frameCount)
{
}

double FrameRateConverter::outputTime(int64_t index) const
{
    return m_start + static_cast<double>(index) * static_cast<double>(m_frameDuration.num) / static_cast<double>(m_frameDuration.den);
}

int64_t FrameRateConverter::arrive(double seconds)
{
    if (!m_haveFrame) {
        m_haveFrame = true;
        return 0;
    }
    int64_t n = 0;
    // NaN compares false, so a frame without a usable time shows nothing
    // new rather than stalling or flooding the output.
    while (m_next < m_count && outputTime(m_next) + kSlack < seconds) {
        ++m_next;
        ++n;
    }
    return n;
}

int64_t FrameRateConverter::finish()
{
    if (!m_haveFrame)
        return 0;
    const int64_t n = m_count - m_next;
    m_next = m_count;
    return n;
}

}  // namespace av
