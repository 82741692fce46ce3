#pragma once

// What every simulated process does at start: take on the identity the phone
// would give it, route substrate logs, and let the substrate inject tweaks.

#include "platform/runtime/Substrate.h"

#include <string>
#include <vector>

namespace host {

inline constexpr const char* tweakFolder = "/var/jb/Library/MobileSubstrate/DynamicLibraries";

struct MethodChange {
    std::string className;
    std::string selector;
    bool added;  // added by a tweak, rather than replaced
};

// Which methods of these classes tweaks have replaced or added so far.
std::vector<MethodChange> methodChanges(const std::vector<std::string>& classNames);

// A substrate filter's Filter/Bundles list, read by Foundation's one
// property-list reader.
foundation::Result<std::vector<std::string>> readSubstrateFilter(const std::string& filterPath);

struct BootReport {
    std::vector<std::string> loadedTweaks;
    std::vector<std::string> loaderErrors;
    std::vector<MethodChange> changes;
};

// Sets the process's arguments and main bundle identifier, then loads the
// tweaks whose filters name the bundle. The report names the tweaks loaded
// and the loader's errors; the method changes are the caller's to add once
// its classes are in place.
BootReport startProcess(const std::string& executablePath, const std::string& bundleIdentifier);

std::string describe(const BootReport& report);

}  // namespace host
