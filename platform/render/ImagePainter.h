#pragma once

// Image views' pictures: PNG files scaled by the view's content mode, and
// symbol images drawn from our catalog in the view's tint colour.

#include "platform/foundation/CGGeometry.h"
#include "platform/render/Forward.h"
#include "platform/render/Surface.h"
#include "platform/uikit/Forward.h"

#include <cstdint>

namespace render {

// Where an image of `imageSize` points goes in `bounds` under a
// UIViewContentMode (scale to fill, aspect fit, aspect fill, centre, edges
// and corners). A symbol never stretches: scale-to-fill fits it instead.
CGRect imageRect(CGRect bounds, CGSize imageSize, std::int64_t contentMode, bool isSymbol = false);

// Draws `image` for a view with `bounds`, `contentMode` and `tint` (used
// by symbol images and template file images).
void drawImage(cairo_t* cr, ImageCache& cache, const UIImage& image, std::int64_t contentMode, CGRect bounds,
    RGBA tint, double alpha);

}  // namespace render
