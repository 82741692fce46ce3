#pragma once

#include "platform/foundation/Result.h"
#include "platform/photos/Forward.h"

#include <filesystem>
#include <string>
#include <string_view>

namespace photos {

// The host folder standing for the phone's media directory, and the places
// inside it where files and the database live.
class MediaDirectory {
public:
    static constexpr std::string_view cameraFolderName = "DCIM/100APPLE";

    // Creates the folders that are missing.
    static Result<MediaDirectory> prepare(const std::filesystem::path& root);

    const std::filesystem::path& root() const { return m_root; }
    std::filesystem::path cameraFolder() const;
    std::filesystem::path databasePath() const;
    std::string relativePathOf(std::string_view fileNameInCameraFolder) const;

    // Relative paths come from the database or from the caller; refuse any
    // that could reach outside the DCIM folder of the media directory.
    Result<std::filesystem::path> resolve(std::string_view relativePath) const;

private:
    explicit MediaDirectory(std::filesystem::path root);

    std::filesystem::path m_root;
};

}  // namespace photos
