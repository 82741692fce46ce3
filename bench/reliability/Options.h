#pragma once

#include <cstdint>
#include <string>

namespace reliability {

struct Options {
    // Kills of the preference and saved-area writer.
    int trials = 1000;
    // Kills of `marqel run` and of `marqel crop`, each.
    int commandTrials = 100;
    // Keys each of the two concurrent preference writers sets.
    int keys = 5000;
    // Areas each saved-area writer adds, and defaults each defaulter sets.
    int areaAdds = 25;
    std::uint64_t seed = 1;
    // Each case stops starting trials after this long and says how many ran.
    double caseSeconds = 1800;
    std::string marqel;
    // The harness's own executable, started again for the child roles.
    std::string self;
    // Cases whose name contains this; all when empty.
    std::string only;
};

}  // namespace reliability
