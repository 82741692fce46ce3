#pragma once

// Lays the product into the device root the way a package install would:
// the tweak with its filter, and the settings bundle with its resources.

#include "platform/foundation/Result.h"

#include <string>
#include <vector>

namespace tools {

class Installer {
public:
    static constexpr const char* tweakDevicePath = "/var/jb/Library/MobileSubstrate/DynamicLibraries/Marqel.so";
    static constexpr const char* filterDevicePath = "/var/jb/Library/MobileSubstrate/DynamicLibraries/Marqel.plist";
    static constexpr const char* bundleDevicePath = "/var/LIY/Zorvelin/Preferences/MarqelPrefs.bundle";

    // Where the build put the deliverables (next to the `marqel` command).
    explicit Installer(std::string buildLibraryFolder, std::string resourceFolder);
    static Installer forThisExecutable();

    // Copies what is missing or changed; with `force`, everything. The
    // device paths written, in order.
    foundation::Result<std::vector<std::string>> install(bool force = false) const;
    bool isInstalled() const;

private:
    std::string m_libraryFolder;
    std::string m_resourceFolder;
};

}  // namespace tools
