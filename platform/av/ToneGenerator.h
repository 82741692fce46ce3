#pragma once

#include <cstdint>

namespace av {

// Continuous sine wave; successive calls carry on without a phase jump.
class ToneGenerator {
public:
    ToneGenerator(double frequencyHz, int sampleRate, float amplitude = 0.25f);

    void generate(float* out, int count);
    int64_t samplesGenerated() const { return m_position; }

private:
    double m_frequency;
    int m_sampleRate;
    float m_amplitude;
    int64_t m_position = 0;
};

}  // namespace av
