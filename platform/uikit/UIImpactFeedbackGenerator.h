#pragma once

// Impact haptics. Each impact is recorded in the HapticsLog with its style
// and the clock's time.

#include "platform/foundation/CGGeometry.h"
#include "platform/runtime/ClassBuilder.h"

enum UIImpactFeedbackStyle : std::int64_t {
    UIImpactFeedbackStyleLight = 0,
    UIImpactFeedbackStyleMedium = 1,
    UIImpactFeedbackStyleHeavy = 2,
    UIImpactFeedbackStyleSoft = 3,
    UIImpactFeedbackStyleRigid = 4,
};

class UIImpactFeedbackGenerator : public Object {
    MARQEL_OBJECT(UIImpactFeedbackGenerator, Object)
public:
    UIImpactFeedbackGenerator()
        : UIImpactFeedbackGenerator(UIImpactFeedbackStyleMedium)
    {
    }
    explicit UIImpactFeedbackGenerator(UIImpactFeedbackStyle style)
        : m_style(style)
    {
    }  // initWithStyle:

    UIImpactFeedbackStyle style() const { return m_style; }
    // Wakes the engine; plays nothing.
    void prepare() { m_prepared = true; }
    bool isPrepared() const { return m_prepared; }
    void impactOccurred();
    // Intensity is clamped to 0...1; an impact of no intensity, or of a
    // style value outside the known five, plays (and records) nothing.
    void impactOccurredWithIntensity(CGFloat intensity);

private:
    UIImpactFeedbackStyle m_style;
    bool m_prepared = false;
};
