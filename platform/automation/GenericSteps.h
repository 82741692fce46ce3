#pragma once

// The steps any screen can use: the screen and boot, preferences, touches,
// taps by symbol or title, typing, waits and snapshots; and the
// expectations on the system log, preferences, haptics, symbols, text,
// alerts, presented controllers and notices.

#include "platform/automation/Forward.h"

namespace automation {

void registerGenericSteps(ScenarioDriver& driver);

}  // namespace automation
