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
// path or one that would leave the root ("/../etc").
foundation::Result<std::string> toHost(const std::string& devicePath);
// Like toHost, for paths the product itself names; a refused path maps to a
// place inside the root that never exists, so nothing outside is touched.
std::string host(const std::string& devicePath);
// Creates the parent folders of a device path.
foundation::Status makeParents(const std::string& devicePath);

}  // namespace DevicePath
