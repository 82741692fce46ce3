#pragma once

namespace automation {
class ScenarioDriver;
class StepContext;
}  // namespace automation
