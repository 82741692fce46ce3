#include "scenario/MarqelSteps.h"

#include "scenario/OverlaySteps.h"

namespace scenario {

foundation::Result<RecordingSteps> registerMarqelSteps(automation::ScenarioDriver& driver)
{
    TRY(registerOverlaySteps(driver));
    return RecordingSteps::registerOn(driver);
}

}  // namespace scenario
