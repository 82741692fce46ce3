#pragma once

// The settings bundle's screens as a user sees them in the Settings app: the
// enable switch and the tutorial. The bundle's classes are known by name.

#include "platform/automation/Forward.h"
#include "platform/foundation/Result.h"

namespace scenario {

foundation::Status registerSettingsSteps(automation::ScenarioDriver& driver);

}  // namespace scenario
