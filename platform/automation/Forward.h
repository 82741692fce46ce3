#pragma once

namespace automation {
class ScenarioDriver;
class StepFailure;
struct ScenarioResult;
}  // namespace automation
