#pragma once

// Two processes set different preference keys as fast as they can while the
// harness reads the domain file all the time: every key set must be there at
// the end (no lost update), and every read must parse and hold at least what
// the previous one held (no torn read).

#include "bench/reliability/CaseOutcome.h"
#include "bench/reliability/Options.h"

#include <string>

namespace reliability::PreferenceRaces {

// The writer role: sets "<prefix><i>" to i for i from 1 to `count`.
int writerMain(const std::string& root, const std::string& prefix, int count);

CaseOutcome run(const Options&);

}  // namespace reliability::PreferenceRaces
