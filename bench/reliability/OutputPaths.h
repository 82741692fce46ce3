#pragma once

// Every path a command or a scenario step writes to, with a FIFO, a link to
// a file outside and an existing regular file in its place: the `snapshot`
// step, `marqel snapshot`'s pictures and its folder, `crop`'s output with
// and without --force, `library export`, and an install target with
// `install --force`. A FIFO must stay a FIFO and never block; a link must be
// neither written through nor replaced (but by `install --force`, which
// replaces it with the file, the link's target untouched); an existing file
// is replaced exactly where the command says it replaces.

#include "bench/reliability/CaseOutcome.h"
#include "bench/reliability/Options.h"

namespace reliability::OutputPaths {

CaseOutcome run(const Options&);

}  // namespace reliability::OutputPaths
