#include "platform/springboard/controlcenter/RespringModule.h"

#include "platform/foundation/Foundation.h"
#include "platform/springboard/AppLauncher.h"

ControlCenterModule::AfterTap RespringModule::tileTapped()
{
    if (auto asked = AppLauncher::shared().respring(); !asked)
        NSLog("Control Center: the respring was not asked for: %@", asked.message());
    return AfterTap::Close;
}
