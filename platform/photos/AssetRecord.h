#pragma once

#include "platform/photos/MediaType.h"

#include <cstdint>
#include <optional>
#include <string>

namespace photos {

struct AssetRecord {
    std::string localIdentifier;  // "XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX/L0/001"
    MediaType mediaType = MediaType::Image;
    double creationDate = 0;  // seconds since the Unix epoch
    std::int64_t pixelWidth = 0;
    std::int64_t pixelHeight = 0;
    double duration = 0;  // seconds
    std::string relativePath;  // relative to the media directory, e.g. "DCIM/100APPLE/IMG_0001.MOV"
    std::string originalFilename;
    std::optional<double> trashedDate;  // set while the asset is in Recently Deleted

    bool isTrashed() const { return trashedDate.has_value(); }
    bool operator==(const AssetRecord&) const = default;
};

}  // namespace photos
