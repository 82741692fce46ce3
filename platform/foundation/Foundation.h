#pragma once

// Everything of Foundation in one include, as the product writes it.

#include "platform/foundation/CGGeometry.h"
#include "platform/foundation/DevicePath.h"
#include "platform/foundation/Dispatch.h"
#include "platform/foundation/NSBundle.h"
#include "platform/foundation/NSDictionary.h"
#include "platform/foundation/NSDistributedNotificationCenter.h"
#include "platform/foundation/NSLog.h"
#include "platform/foundation/NSNotificationCenter.h"
#include "platform/foundation/NSObjects.h"
#include "platform/foundation/NSProcessInfo.h"
#include "platform/foundation/NSString.h"
#include "platform/foundation/PropertyList.h"
#include "platform/foundation/RunLoop.h"

namespace foundation {
// Routes the substrate's log lines into the system log. Hosts call this once.
void installSystemLogForSubstrate();
}  // namespace foundation
