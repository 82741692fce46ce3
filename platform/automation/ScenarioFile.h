#pragma once

// A scenario file: one step per line, '#' starts a comment, blank lines are
// skipped. A failed step stops the run. The steps are those registered on
// the driver (see ScenarioDriver.h, and README.md for the list).

#include "platform/automation/Forward.h"
#include "platform/foundation/Result.h"

#include <functional>
#include <iosfwd>
#include <string>

namespace automation {

// Runs every step of the file; stops at the first failure, whose message
// reads "FILE:LINE: STEP: what went wrong". `onStep` sees each step before
// it runs (line number and text).
foundation::Status runScenarioFile(ScenarioDriver& driver, const std::string& path,
    const std::function<void(int, const std::string&)>& onStep = nullptr);

// The same for text already at hand: `name` stands for the file in messages.
foundation::Status runScenario(ScenarioDriver& driver, std::istream& in, const std::string& name,
    const std::function<void(int, const std::string&)>& onStep = nullptr);

// Plays each step with `runStep` instead of a driver in this process (the
// whole phone's runner hands steps to the processes that play them).
using StepRunner = std::function<foundation::Status(const std::string& step)>;
foundation::Status runScenarioFile(const StepRunner& runStep, const std::string& path,
    const std::function<void(int, const std::string&)>& onStep = nullptr);
foundation::Status runScenario(const StepRunner& runStep, std::istream& in, const std::string& name,
    const std::function<void(int, const std::string&)>& onStep = nullptr);

}  // namespace automation
