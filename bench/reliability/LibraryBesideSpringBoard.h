#pragma once

// SpringBoard saving recordings into the photo library (whole `marqel run`s,
// one after another) while `marqel library` imports, lists, deletes and
// restores beside it, from other processes, on the same root.

#include "bench/reliability/CaseOutcome.h"
#include "bench/reliability/Options.h"

namespace reliability::LibraryBesideSpringBoard {

CaseOutcome run(const Options&);

}  // namespace reliability::LibraryBesideSpringBoard
