#include "scenario/MarqelSteps.h"

#include "scenario/OverlaySteps.h"
#include "scenario/SavedAreaSteps.h"
#include "scenario/SettingsSteps.h"

namespace scenario {

foundation::Result<RecordingSteps> registerMarqelSteps(automation::ScenarioDriver& driver)
{
    TRY(registerOverlaySteps(driver));
    TRY(registerSavedAreaSteps(driver));
    TRY(registerSettingsSteps(driver));
    return RecordingSteps::registerOn(driver);
}

}  // namespace scenario
