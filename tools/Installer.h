#pragma once

// Lays the product into the device root the way a package install would:
// the tweak with its filter, and the settings bundle with its resources and
// the entry that makes the Settings app list it. Either from the build
// folder or from the Debian package; both record what they laid, so that
// uninstalling removes exactly that.

#include "platform/foundation/Result.h"
#include "tools/DebianPackage.h"

#include <functional>
#include <optional>
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
        // Recorded files not removed, each with why: past a link where one
        // of their folders belongs, they are not in the root.
        std::vector<std::string> kept;
    };

    // A link or a file where one of a device path's folders belongs.
    struct FolderProblem {
        std::string hostPath;
        std::string what;  // "HOST is a link to TARGET, out of the device root, where a folder belongs"
    };
    static std::optional<FolderProblem> folderProblem(const std::string& devicePath);

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

    // The steps of a package install, in order: each member staged, each
    // member moved into place, each file of the old install removed, the
    // record saved. A StepCheck is asked before each; a failure it gives
    // fails the install there (tests use it to fail every step in turn).
    enum class Step { Stage,
        Commit,
        RemoveLeftover,
        SaveRecord };
    using StepCheck = std::function<foundation::Status(Step, std::size_t index)>;

    // Lays every member of the package, replacing what an earlier install
    // laid and removing what of it the package no longer has, all or
    // nothing: on any failure the root and the install record are as they
    // were. Checks the whole package against the root first: a member that
    // would be written through a link, over a folder, or a link that leads
    // out of the root once laid, is refused before anything is written.
    // `source` is recorded as where it came from. The device paths written.
    static foundation::Result<std::vector<std::string>> installPackage(const DebianPackage& package, const std::string& source,
        const StepCheck& beforeStep = {});

    // Removes the recorded files and links and the folders they leave
    // empty; fails when nothing is recorded.
    static foundation::Result<Removal> uninstall();

private:
    std::string m_libraryFolder;
    std::string m_resourceFolder;
};

}  // namespace tools
