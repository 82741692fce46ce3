#pragma once

// Every haptic impact the process plays, with its style and the run loop
// clock's time: the stand-in for the Taptic Engine, which tests and the
// scenario driver read.

#include "platform/foundation/CGGeometry.h"

#include <cstdint>
#include <mutex>
#include <vector>

struct HapticImpact {
    std::int64_t style;  // a UIImpactFeedbackStyle value
    double time;
    CGFloat intensity;
};

class HapticsLog {
public:
    static HapticsLog& shared();

    void record(const HapticImpact& impact);
    std::vector<HapticImpact> impacts() const;
    std::size_t count() const;
    void clear();

private:
    mutable std::mutex m_mutex;
    std::vector<HapticImpact> m_impacts;
};
