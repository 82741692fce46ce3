#include "kit/ZRUtilities.h"

#include "platform/foundation/NSLog.h"
#include "platform/uikit/UIImpactFeedbackGenerator.h"

MARQEL_DEFINE_CLASS(ZRUtilities,
    classMethod<&ZRUtilities::sharedInstance>("sharedInstance"),
    method<&ZRUtilities::haptic>("haptic:"))

std::shared_ptr<ZRUtilities> ZRUtilities::sharedInstance()
{
    static auto* instance = new std::shared_ptr<ZRUtilities>(alloc<ZRUtilities>());
    return *instance;
}

void ZRUtilities::haptic(std::int64_t strength)
{
    UIImpactFeedbackStyle style;
    switch (strength) {
    case 0: style = UIImpactFeedbackStyleLight; break;
    case 1: style = UIImpactFeedbackStyleMedium; break;
    case 2: style = UIImpactFeedbackStyleHeavy; break;
    default:
        NSLog("ZRUtilities: no haptic of strength %lld", static_cast<long long>(strength));
        return;
    }
    alloc<UIImpactFeedbackGenerator>(style)->impactOccurred();
}
