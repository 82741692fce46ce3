#pragma once

// Colour text, the one rule for every path that reads or writes a colour
// preference (the settings page, the manager's colour reads, the `marqel`
// command). Accepted: six hexadecimal digits, after at most one leading
// '#', in any case. Kept: the six digits in upper case without the '#',
// the form the preferences have always held ("FF9500").

#include "platform/foundation/Result.h"

#include <string>
#include <string_view>

namespace zr {

// The stored form of `text`, or why it is not a colour.
foundation::Result<std::string> colourText(std::string_view text);

}  // namespace zr
