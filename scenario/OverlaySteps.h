#pragma once

// The overlay's steps: `invoke` (as the Control Center module does), and
// the expectations on the box, its read-out and outline, the tool bars and
// the overlay window.

#include "platform/automation/Forward.h"
#include "platform/foundation/Result.h"

namespace scenario {

foundation::Status registerOverlaySteps(automation::ScenarioDriver& driver);

// Posts the invocation notification and lets the overlay react.
void invoke();

}  // namespace scenario
