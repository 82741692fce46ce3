#include "platform/av/ToneGenerator.h"

#include <cmath>
#include <numbers>

namespace av {

ToneGenerator::ToneGenerator(double frequencyHz, int sampleRate, float amplitude)
    : m_frequency(frequencyHz)
    , m_sampleRate(sampleRate)
    , m_amplitude(amplitude)
{
}

void ToneGenerator::generate(float* out, int count)
{
    // Phase from the absolute sample index rather than a running sum, so
    // rounding never accumulates over a long recording.
    const double step = 2.0 * std::numbers::pi * m_frequency / m_sampleRate;
    for (int i = 0; i < count; ++i) {
        const double phase = step * static_cast<double>(m_position + i);
        out[i] = m_amplitude * static_cast<float>(std::sin(phase));
    }
    m_position += count;
}

}  // namespace av
