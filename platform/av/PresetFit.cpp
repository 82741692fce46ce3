#include "platform/av/PresetFit.h"

#include <algorithm>
#include <cmath>

namespace av {

namespace {

int evenAtMost(double value, int limit)
{
    // Nearest even value, never 0 and never past the (even) limit.
    int even = 2 * static_cast<int>(std::lround(value / 2.0));
    even = std::max(even, 2);
    return std::min(even, std::max(limit & ~1, 2));
}

}  // namespace

PixelSize PresetFit::fit(PixelSize rendered, std::optional<PixelSize> maxSize)
{
    const int w = std::max(rendered.width, 1);
    const int h = std::max(rendered.height, 1);
    if (!maxSize || maxSize->width <= 0 || maxSize->height <= 0)
        return { std::max(w & ~1, 2), std::max(h & ~1, 2) };
    const int longSide = std::max(maxSize->width, maxSize->height);
    const int shortSide = std::min(maxSize->width, maxSize->height);
    const bool portrait = h > w;
    const int boxW = portrait ? shortSide : longSide;
    const int boxH = portrait ? longSide : shortSide;
    if (w <= boxW && h <= boxH)
        return { std::max(w & ~1, 2), std::max(h & ~1, 2) };
    const double scale = std::min(static_cast<double>(boxW) / w, static_cast<double>(boxH) / h);
    return { evenAtMost(w * scale, boxW), evenAtMost(h * scale, boxH) };
}

}  // namespace av
