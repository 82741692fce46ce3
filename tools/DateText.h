#pragma once

#include <string>

namespace tools {

// A moment the way the commands print it: local time, to the second.
std::string dateText(double secondsSince1970);

}  // namespace tools
