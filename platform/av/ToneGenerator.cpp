#include "platform/av/ToneGenerator.h"

#include <cmath>
#include <numbers>

namespace av {

ToneGenerator::ToneGenerator(double frequencyHz, int sampleRate, float amplitude)
    : frequency_(frequencyHz), sampleRate_(sampleRate), amplitude_(amplitude) {}

void ToneGenerator::generate(float* out, int count) {
    // Phase from the absolute sample index rather than a running sum, so
    // rounding never accumulates over a long recording.
    const double step = 2.0 * std::numbers::pi * frequency_ / sampleRate_;
    for (int i = 0; i < count; ++i) {
        const double phase = step * static_cast<double>(position_ + i);
        out[i] = amplitude_ * static_cast<float>(std::sin(phase));
    }
    position_ += count;
}

}  // namespace av
