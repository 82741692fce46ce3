#pragma once

#include <string>

namespace photos {

// Keys use the phone's property names: "creationDate", "localIdentifier",
// "pixelWidth", "pixelHeight", "duration", "mediaType", "originalFilename",
// "trashedDate".
struct SortKey {
    std::string key;
    bool ascending = true;
};

}  // namespace photos
