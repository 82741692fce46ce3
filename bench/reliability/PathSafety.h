#pragma once

// Paths that try to leave the device root, wherever a path enters: rows of
// the photo library pointing outside, and the product's folders replaced by
// symbolic links to a folder outside. Nothing outside may be read out, written
// or removed; each time something is counts as an escape.

#include "bench/reliability/CaseOutcome.h"
#include "bench/reliability/Options.h"

namespace reliability::PathSafety {

CaseOutcome run(const Options&);

}  // namespace reliability::PathSafety
