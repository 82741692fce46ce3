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

// The process a scenario's `boot` step starts.
enum class ScenarioHost {
    SpringBoard,
    SettingsApp,
};

// Runs a scenario file in this process (which becomes `host` at its `boot`
// step), printing each step; throws CommandError at the first failed step.
void runScenario(const std::string& path, bool quiet = false, ScenarioHost host = ScenarioHost::SpringBoard);

}  // namespace tools
