#pragma once

// A package install failed at every step in turn: each member staged, each
// member moved into place, the old install's leftovers removed, the record
// saved. The package holds the product's own files as `marqel install` lays
// them, and replaces an older version of itself. After each failure the
// root must be as it was, entry for entry (paths, types, bytes, link
// targets), the record must still name the old version, and no staging
// folder may be left.

#include "bench/reliability/CaseOutcome.h"
#include "bench/reliability/Options.h"

namespace reliability::PackageAtomicity {

CaseOutcome run(const Options&);

}  // namespace reliability::PackageAtomicity
