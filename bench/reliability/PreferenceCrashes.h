#pragma once

// A writer process changes preferences (through the kit's manager) and saved
// areas (through the store) one change at a time and says so; the harness
// kills it at a random moment and checks that both files still parse and
// hold every change it heard of.

#include "bench/reliability/CaseOutcome.h"
#include "bench/reliability/Options.h"

#include <cstdint>
#include <string>

namespace reliability::PreferenceCrashes {

// The writer role: changes until killed, printing "begin K ..." before and
// "done K ..." after each change.
int writerMain(const std::string& root, std::uint64_t seed);

CaseOutcome run(const Options&);

}  // namespace reliability::PreferenceCrashes
