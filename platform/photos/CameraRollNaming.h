#pragma once

#include "platform/photos/MediaType.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace photos {

// File names the camera roll uses: IMG_0001.MOV, IMG_0002.JPG, ... one
// counter shared by every extension.
class CameraRollNaming {
public:
    static std::string fileName(std::int64_t number, std::string_view extension);
    // The number in a camera-roll name, ignoring case and extension.
    static std::optional<std::int64_t> numberOf(std::string_view fileName);
    // The source's extension in upper case when it is a plain one, otherwise
    // the usual one for the media type.
    static std::string extensionFor(const std::filesystem::path& source, MediaType mediaType);
};

}  // namespace photos
