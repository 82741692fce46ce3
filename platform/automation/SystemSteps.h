#pragma once

// The steps on SpringBoard's own interface, as a person uses it: the
// status bar (its recording pill), Control Center and its tiles, and
// banners; with the expectations on what they show.

#include "platform/automation/Forward.h"
#include "platform/foundation/Result.h"

namespace automation {

foundation::Status registerSystemSteps(ScenarioDriver& driver);

}  // namespace automation
