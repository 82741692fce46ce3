#pragma once

// What is installed in the device root and where it came from, kept beside
// the phone's package database so that uninstalling removes exactly that.

#include "platform/foundation/Result.h"

#include <optional>
#include <string>
#include <vector>

namespace tools {

struct InstallRecord {
    static constexpr const char* devicePath = "/var/jb/var/lib/dpkg/info/com.zorvelin.marqel.plist";
    static constexpr const char* fromBuildFolder = "build folder";

    std::string package;
    std::string version;
    // The package file installed, or fromBuildFolder.
    std::string source;
    // Device paths of the files and links laid; folders are not owned.
    std::vector<std::string> files;

    bool fromPackage() const { return source != fromBuildFolder; }

    // Nothing when no record exists; a damaged record fails.
    static foundation::Result<std::optional<InstallRecord>> load();
    foundation::Status save() const;
    static foundation::Status remove();
};

}  // namespace tools
