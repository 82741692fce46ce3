#pragma once

// A file that cannot be read is never written over: before the write that
// replaces it, a copy is kept beside it as "<name>.unreadable-<UTC time>"
// (then "-1", "-2"... when that name is taken), and one line in the system
// log says which file and why.

#include "platform/foundation/Result.h"

#include <string>
#include <vector>

namespace foundation {

// The path of the copy. The file itself stays where it is, so a write that
// then fails loses nothing; a copy kept earlier is never replaced.
[[nodiscard]] Result<std::string> keepUnreadableAside(const std::string& hostPath, const std::string& why);
// The copies kept aside for `hostPath`, oldest first.
std::vector<std::string> unreadableCopiesOf(const std::string& hostPath);

}  // namespace foundation
