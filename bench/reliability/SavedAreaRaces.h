#pragma once

// Saved areas changed from several processes at once, as the overlay and any
// number of `marqel areas` commands may: writers add areas (three through
// `marqel areas add`, one through the store as the overlay does) while two
// processes make one of two areas the default again and again, and the
// harness reads both files all the time. Every area an add reported must be
// in the file at the end (lost changes), no read of the saved-area file may
// hold fewer areas than the one before (lost updates), and every read of
// the preference file must hold one area's default rectangle whole, never a
// mix of two (torn reads).

#include "bench/reliability/CaseOutcome.h"
#include "bench/reliability/Options.h"

#include <string>

namespace reliability::SavedAreaRaces {

// The overlay's part: adds `count` areas named "<prefix>-<i>" through the
// store, printing "added <id> <name>" after each.
int adderMain(const std::string& root, const std::string& prefix, int count);

CaseOutcome run(const Options&);

}  // namespace reliability::SavedAreaRaces
