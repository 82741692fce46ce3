#pragma once

// `marqel run` and `marqel crop` killed with SIGKILL at random moments, on
// one device root that lives through every trial, so each start also
// recovers from the previous kill.

#include "bench/reliability/CaseOutcome.h"
#include "bench/reliability/Options.h"

namespace reliability::CommandCrashes {

CaseOutcome runKills(const Options&);
CaseOutcome cropKills(const Options&);

}  // namespace reliability::CommandCrashes
