#pragma once

// One table of hostile files, each put in the place of every property list
// the system reads (preferences, saved areas, install record, notices, the
// settings bundle's Info.plist and rows, the substrate filter), and the
// command that reads it run against it. Each must end within a bound, by
// itself, and leave the file as it found it: no crash, no hang, nothing
// lost.

#include "bench/reliability/CaseOutcome.h"
#include "bench/reliability/Options.h"

namespace reliability::HostileFiles {

CaseOutcome run(const Options&);

}  // namespace reliability::HostileFiles
