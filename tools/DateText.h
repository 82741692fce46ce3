#pragma once

#include <string>

namespace tools {

// A moment the way the commands print it: local time, to the second. A time
// outside the years 1 to 9999, or not a number, prints "(no valid date)".
std::string dateText(double secondsSince1970);

}  // namespace tools
