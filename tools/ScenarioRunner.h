#pragma once

#include "platform/automation/ScenarioDriver.h"

#include <string>

namespace tools {

// A scenario driver with the product's preference table and the screen
// snapshots wired in.
automation::ScenarioDriver makeDriver();

// Runs a scenario file in this process (which becomes SpringBoard),
// printing each step; throws CommandError at the first failed step.
void runScenario(const std::string& path, bool quiet = false);

}  // namespace tools
