#pragma once

// When a long job fails at its end ("no notice within 120 s"), the cause
// was usually logged much earlier by another part of the phone. These are
// the lines worth showing the user without --verbose.

#include <string>
#include <vector>

namespace tools {

// The tweak's own "marqel: " lines and every line reporting a failure, the
// last `limit` of them, in order.
std::vector<std::string> explainingLines(const std::vector<std::string>& log, std::size_t limit = 20);

// `message`, followed by the explaining lines of the log since line `from`.
std::string withExplanation(const std::string& message, std::size_t from);

}  // namespace tools
