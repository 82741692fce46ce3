#pragma once

// The saved-area browser's steps: `choose` (an action of the context menu
// on screen) and the expectations on the browser's rows and its empty-list
// message.

#include "platform/automation/Forward.h"
#include "platform/foundation/Result.h"

namespace scenario {

foundation::Status registerSavedAreaSteps(automation::ScenarioDriver& driver);

}  // namespace scenario
