#pragma once

// Lays the product into the device root the way a package install would:
// the tweak with its filter, and the settings bundle with its resources.

#include <string>
#include <vector>

namespace tools {

struct InstallResult {
    bool ok = true;
    std::vector<std::string> installed;  // device paths written
    std::string error;
};

class Installer {
public:
    static constexpr const char* tweakDevicePath = "/var/jb/Library/MobileSubstrate/DynamicLibraries/Marqel.so";
    static constexpr const char* filterDevicePath = "/var/jb/Library/MobileSubstrate/DynamicLibraries/Marqel.plist";
    static constexpr const char* bundleDevicePath = "/var/LIY/Zorvelin/Preferences/MarqelPrefs.bundle";

    // Where the build put the deliverables (next to the `marqel` command).
    explicit Installer(std::string buildLibraryFolder, std::string resourceFolder);
    static Installer forThisExecutable();

    // Copies what is missing or changed; with `force`, everything.
    InstallResult install(bool force = false) const;
    bool isInstalled() const;

private:
    std::string m_libraryFolder;
    std::string m_resourceFolder;
};

}  // namespace tools
