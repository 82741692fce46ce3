#pragma once

#include <cstdint>

#include "platform/av/Rational.h"

namespace av {

// Turns source frames at arbitrary presentation times into a constant
// frame rate: output frame i shows the source frame on screen at
// start + i * frameDuration, i.e. the latest one whose time is not after it
// (the first source frame also covers any output time before it). Source
// frames are repeated or dropped accordingly.
class FrameRateConverter {
public:
    FrameRateConverter(double startSeconds, Rational frameDuration, int64_t frameCount);

    // A new source frame at `seconds` arrived. Returns how many output
    // frames the previously arrived source frame fills; it is then replaced.
    int64_t arrive(double seconds);
    // Source ended: how many output frames the last source frame fills.
    int64_t finish();

    int64_t emitted() const { return m_next; }
    int64_t frameCount() const { return m_count; }
    bool done() const { return m_next >= m_count; }
    double outputTime(int64_t index) const;

private:
    double m_start;
    Rational m_frameDuration;
    int64_t m_count;
    int64_t m_next = 0;
    bool m_haveFrame = false;
};

}  // namespace av
