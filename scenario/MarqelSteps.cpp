#include "scenario/MarqelSteps.h"

#include "scenario/OverlaySteps.h"
#include "scenario/SavedAreaSteps.h"

namespace scenario {

foundation::Result<RecordingSteps> registerMarqelSteps(automation::ScenarioDriver& driver)
{
    TRY(registerOverlaySteps(driver));
    TRY(registerSavedAreaSteps(driver));
    return RecordingSteps::registerOn(driver);
}

}  // namespace scenario
