#pragma once

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

    static constexpr uint8_t kBlackLuma = 16;
    static constexpr uint8_t kBlackChroma = 128;
};

}  // namespace av
