#pragma once

#include "platform/automation/ScenarioDriver.h"
#include "platform/foundation/Result.h"
#include "scenario/RecordingSteps.h"

#include <string>

namespace tools {

// Ends the command with the failure's message.
void check(const foundation::Status& status);

// Wires the product's preference table, screen snapshots and output into
// `driver` and registers the crop tool's steps; returns their C++ face.
scenario::RecordingSteps prepareDriver(automation::ScenarioDriver& driver);

// Runs a scenario file in this process (which becomes SpringBoard),
// printing each step; throws CommandError at the first failed step.
void runScenario(const std::string& path, bool quiet = false);

}  // namespace tools
