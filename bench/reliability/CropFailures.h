#pragma once

// The crop engine fed what goes wrong in the field: bad input, impossible
// rectangles, a full disk, a file-size limit, a cancel and a kill in the
// middle. Whatever happens the original stays and no broken movie appears.

#include "bench/reliability/CaseOutcome.h"
#include "bench/reliability/Options.h"

#include <vector>

namespace reliability::CropFailures {

std::vector<CaseOutcome> run(const Options&);

}  // namespace reliability::CropFailures
