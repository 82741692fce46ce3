#pragma once

// Lays the product into the device root the way a package install would:
// the tweak with its filter, and the settings bundle with its resources and
// the entry that makes the Settings app list it. Either from the build
// folder or from the Debian package; both record what they laid, so that
// uninstalling removes exactly that.

#include "platform/foundation/Result.h"
#include "tools/DebianPackage.h"

#include <string>
#include <vector>

namespace tools {

class Installer {
public:
    static constexpr const char* packageName = "com.zorvelin.marqel";
    static constexpr const char* tweakDevicePath = "/var/jb/Library/MobileSubstrate/DynamicLibraries/Marqel.so";
    static constexpr const char* filterDevicePath = "/var/jb/Library/MobileSubstrate/DynamicLibraries/Marqel.plist";
    static constexpr const char* bundleDevicePath = "/var/LIY/Zorvelin/Preferences/MarqelPrefs.bundle";
    static constexpr const char* settingsEntryDevicePath = "/var/jb/Library/PreferenceLoader/Preferences/MarqelPrefs.plist";

    struct Removal {
        std::string version;
        std::vector<std::string> removed;
    };

    // Where the build put the deliverables (next to the `marqel` command).
    explicit Installer(std::string buildLibraryFolder, std::string resourceFolder);
    static Installer forThisExecutable();

    // Copies what is missing or changed; with `force`, everything. The
    // device paths written, in order.
    foundation::Result<std::vector<std::string>> install(bool force = false) const;
    bool isInstalled() const;
    // True when a package, not the build folder, put the product in the
    // root: then only an explicit install replaces it.
    static bool installedFromPackage();

    // Lays every member of the package, replacing what an earlier install
    // laid and removing what of it the package no longer has. Checks the
    // whole package against the root first: a member that would be written
    // through a link, or over a folder, is refused and nothing is written.
    // `source` is recorded as where it came from. The device paths written.
    static foundation::Result<std::vector<std::string>> installPackage(const DebianPackage& package, const std::string& source);

    // Removes the recorded files and links and the folders they leave
    // empty; fails when nothing is recorded.
    static foundation::Result<Removal> uninstall();

private:
    std::string m_libraryFolder;
    std::string m_resourceFolder;
};

}  // namespace tools
