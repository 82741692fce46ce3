#include "platform/springboard/controlcenter/MarqelToggleModule.h"

#include "platform/foundation/Foundation.h"

ControlCenterModule::AfterTap MarqelToggleModule::tileTapped()
{
    NSLog("Control Center: %@ posts %@", std::string(tileTitle), std::string(invokeNotification));
    NSDistributedNotificationCenter::defaultCenter()->postNotificationName(invokeNotification, nullptr);
    return AfterTap::Close;
}
