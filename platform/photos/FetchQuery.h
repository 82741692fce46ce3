#pragma once

#include "platform/photos/MediaType.h"
#include "platform/photos/SortKey.h"

#include <cstddef>
#include <optional>
#include <vector>

namespace photos {

// Assets that compare equal under every sort key come out in insertion order,
// running in the direction of the last key (so with "creationDate" descending
// the most recently imported of two same-dated assets comes first).
struct FetchQuery {
    std::optional<MediaType> mediaType;
    bool includeTrashed = false;
    std::vector<SortKey> sortKeys;
    std::optional<std::size_t> limit;  // nullopt: no limit; 0 really means none
};

}  // namespace photos
