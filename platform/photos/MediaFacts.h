#pragma once

#include <cstdint>

namespace photos {

// What the caller learned by probing the file; the store never decodes media.
struct MediaFacts {
    std::int64_t pixelWidth = 0;
    std::int64_t pixelHeight = 0;
    double duration = 0;  // seconds; 0 for still images
};

}  // namespace photos
