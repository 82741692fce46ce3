#pragma once

// The steps on the Photos app, as a person uses it: playing a video of the
// grid by its place (1 is the newest, as a person counts), with the
// expectations on what the grid and the player show.

#include "platform/automation/Forward.h"
#include "platform/foundation/Result.h"

namespace automation {

foundation::Status registerPhotosSteps(ScenarioDriver& driver);

}  // namespace automation
