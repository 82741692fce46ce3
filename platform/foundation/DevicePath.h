#pragma once

// The device root: everything the phone keeps on disk lives under one host
// folder. Device paths are written as on the phone ("/var/mobile/...") and
// mapped here, in one place.

#include "platform/foundation/Result.h"

#include <string>

namespace DevicePath {

void setRoot(const std::string& hostFolder);
const std::string& root();
// The default root: $MARQEL_ROOT, else $XDG_DATA_HOME/marqel/device, else
// ~/.local/share/marqel/device.
std::string defaultRoot();

// The host path for a device path; fails (InvalidArgument) for a relative
// path or one that would leave the root ("/../etc"), also through a symbolic
// link inside the root. Every caller handles the failure: there is no
// stand-in path.
foundation::Result<std::string> toHost(const std::string& devicePath);
// Creates the parent folders of a device path.
foundation::Status makeParents(const std::string& devicePath);

}  // namespace DevicePath
