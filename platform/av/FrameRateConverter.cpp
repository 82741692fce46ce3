#include "platform/av/FrameRateConverter.h"

#include <cmath>

namespace av {

namespace {
// Container timestamps are rounded to their time base; this absorbs that
// without ever reaching across a real frame interval.
constexpr double kSlack = 1e-4;
}  // namespace

FrameRateConverter::FrameRateConverter(double startSeconds, Rational frameDuration, int64_t frameCount)
    : start_(startSeconds), frameDuration_(frameDuration), count_(frameCount < 0 ? 0 : frameCount) {}

double FrameRateConverter::outputTime(int64_t index) const {
    return start_ + static_cast<double>(index) * static_cast<double>(frameDuration_.num) /
                        static_cast<double>(frameDuration_.den);
}

int64_t FrameRateConverter::arrive(double seconds) {
    if (!haveFrame_) {
        haveFrame_ = true;
        return 0;
    }
    int64_t n = 0;
    // NaN compares false, so a frame without a usable time shows nothing
    // new rather than stalling or flooding the output.
    while (next_ < count_ && outputTime(next_) + kSlack < seconds) {
        ++next_;
        ++n;
    }
    return n;
}

int64_t FrameRateConverter::finish() {
    if (!haveFrame_) return 0;
    const int64_t n = count_ - next_;
    next_ = count_;
    return n;
}

}  // namespace av
