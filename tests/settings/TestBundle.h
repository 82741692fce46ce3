#pragma once

// Lays the tests' preference bundle into the current device root, at the
// folder the Settings app loads, with an Info.plist that a test may change.

#include "platform/foundation/PropertyList.h"

#include <string>

namespace testbundle {

// The bundle's Info.plist as built.
PlistDict info();
// The executable (linked, so one process loads it once whatever the root)
// under `executableName`, and `info` as Info.plist unless it is null.
void install(const PlistDict* info, const std::string& executableName = "MarqelPrefs.so");
// The tweak and its filter, as the installer lays them.
void installTweak();

}  // namespace testbundle
