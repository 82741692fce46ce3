#pragma once

#include <cstdint>

namespace av {

// Continuous sine wave; successive calls carry on without a phase jump.
class ToneGenerator {
public:
    ToneGenerator(double frequencyHz, int sampleRate, float amplitude = 0.25f);

    void generate(float* out, int count);
    int64_t samplesGenerated() const { return position_; }

private:
    double frequency_;
    int sampleRate_;
    float amplitude_;
    int64_t position_ = 0;
};

}  // namespace av
