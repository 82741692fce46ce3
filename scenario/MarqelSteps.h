#pragma once

// Every step of the crop tool, on top of the platform's generic ones. Each
// screen of the product keeps its steps in a file of its own here and is
// registered below; the driver's core never changes for a new screen.

#include "platform/automation/Forward.h"
#include "platform/foundation/Result.h"
#include "scenario/RecordingSteps.h"

namespace scenario {

// The overlay's and the recording run's steps. The result is the C++ face
// of the recording steps, sharing their marks with the registered ones.
foundation::Result<RecordingSteps> registerMarqelSteps(automation::ScenarioDriver& driver);

}  // namespace scenario
