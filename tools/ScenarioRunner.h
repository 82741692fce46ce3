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
    // The Settings app opening on its entry list, as from the home screen.
    SettingsAppAtEntries,
    PhotosApp,
};

// Whether every picture a scenario's `snapshot` steps take is audited.
enum class Audit {
    No,
    Yes,
};

// The exit status of a command whose pictures the audit found fault with
// (the pictures themselves were all taken).
inline constexpr int auditFindingsStatus = 3;

// Runs a scenario file in this process (which becomes `host` at its `boot`
// step), printing each step; throws CommandError at the first failed step.
// Audited, each picture's findings are printed to stderr as it is taken and
// the run fails at its end when there were any.
void runScenario(const std::string& path, bool quiet = false, ScenarioHost host = ScenarioHost::SpringBoard, Audit audit = Audit::No);

// The findings of the picture audit on the screen as it is now, one line
// each, starting with `pictureName`, on stderr; how many there were.
std::size_t auditScreen(const std::string& pictureName);

}  // namespace tools
