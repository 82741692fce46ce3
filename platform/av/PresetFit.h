#pragma once

#include <optional>

#include "platform/av/PixelSize.h"

namespace av {

// Output picture size for an export preset such as 1920x1080. The box is
// read in the picture's own orientation: a portrait picture fits 1080x1920.
// Pictures already inside the box keep their size; larger ones shrink,
// keeping their aspect. H.264 4:2:0 needs even sides, so sides are even.
class PresetFit {
public:
    // `maxSize` nullopt: no limit. Inputs must be positive.
    static PixelSize fit(PixelSize rendered, std::optional<PixelSize> maxSize);
};

}  // namespace av
