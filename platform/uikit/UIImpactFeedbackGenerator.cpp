#include "platform/uikit/UIImpactFeedbackGenerator.h"

#include "platform/foundation/RunLoop.h"
#include "platform/uikit/HapticsLog.h"

#include <algorithm>
#include <cmath>

MARQEL_DEFINE_CLASS(UIImpactFeedbackGenerator,
    method<&UIImpactFeedbackGenerator::prepare>("prepare"),
    method<&UIImpactFeedbackGenerator::impactOccurred>("impactOccurred"),
    method<&UIImpactFeedbackGenerator::impactOccurredWithIntensity>("impactOccurredWithIntensity:"))

void UIImpactFeedbackGenerator::impactOccurred()
{
    impactOccurredWithIntensity(1);
}

void UIImpactFeedbackGenerator::impactOccurredWithIntensity(CGFloat intensity)
{
    if (m_style < UIImpactFeedbackStyleLight || m_style > UIImpactFeedbackStyleRigid)
        return;
    if (std::isnan(intensity))
        return;
    intensity = std::clamp<CGFloat>(intensity, 0, 1);
    if (intensity == 0)
        return;
    HapticsLog::shared().record({ m_style, RunLoop::main().now(), intensity });
}
