#pragma once

#include <optional>

namespace photos {

// Values match the phone's asset media types so they can be passed through
// unchanged.
enum class MediaType {
    Image = 1,
    Video = 2,
};

inline std::optional<MediaType> mediaTypeFromInt(long long value)
{
    switch (value) {
    case 1:
        return MediaType::Image;
    case 2:
        return MediaType::Video;
    default:
        return std::nullopt;
    }
}

}  // namespace photos
