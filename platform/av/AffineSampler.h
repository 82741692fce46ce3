#pragma once

#include <optional>

#include "platform/av/AffineTransform.h"
#include "platform/av/PlanarImage.h"

namespace av {

// Draws a source picture through an affine layer transform: output pixel
// (u, v) takes the nearest source pixel to inverse(transform) of its centre;
// pixels that land outside the source are black (video range).
class AffineSampler {
public:
    // `inverse` maps output coordinates to source coordinates. Transforms that
    // keep the axes apart (crops, flips, scales, quarter turns) go through
    // precomputed row and column maps; any other angle is sampled pixel by
    // pixel. Both give the same picture for the same transform.
    static void render(const PlanarImage& source, const PlanarImage& output, const AffineTransform& inverse);

    // The pixel-by-pixel way for every transform; what the mapped way must match.
    static void renderPerPixel(const PlanarImage& source, const PlanarImage& output, const AffineTransform& inverse);

    // Where each plane's first sample comes from when the output is one
    // unbroken window of the source: every sample render() would draw is the
    // source sample at the same place plus these offsets, none is black,
    // repeated or skipped. A crop by whole pixels is such a window, and the
    // source picture shown at an offset is then the same picture as the one
    // render() draws, sample for sample.
    struct Window {
        int x[3] = {};
        int y[3] = {};
    };
    static std::optional<Window> windowOf(int sourceWidth, int sourceHeight, int outputWidth, int outputHeight,
        const AffineTransform& inverse);

    static constexpr uint8_t kBlackLuma = 16;
    static constexpr uint8_t kBlackChroma = 128;
};

}  // namespace av
