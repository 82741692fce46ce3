#pragma once

namespace scenario {
class RecordingSteps;
}  // namespace scenario
