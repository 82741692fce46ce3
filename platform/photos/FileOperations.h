#pragma once

#include "platform/foundation/Result.h"
#include "platform/photos/Forward.h"

#include <filesystem>
#include <string>
#include <vector>

namespace photos {

// The few POSIX file operations whose exact semantics the library relies on
// and that std::filesystem does not offer.
class FileOperations {
public:
    // Renames without ever replacing an existing target: two processes that
    // pick the same name cannot overwrite each other's file. Returns the
    // errno value (EEXIST when the name is taken), 0 on success.
    static int renameNoReplace(const std::filesystem::path& from, const std::filesystem::path& to);

    // Makes a rename or unlink in `folder` survive a power cut.
    static void syncDirectory(const std::filesystem::path& folder);

    // Removing a file that is already gone counts as success.
    static Status removeFile(const std::filesystem::path& file);

    // Entries of a folder; an unreadable folder has none to offer.
    static std::vector<std::filesystem::path> listFolder(const std::filesystem::path& folder);
};

}  // namespace photos
