#pragma once

// The soft edge of layer shadows and the frosted backdrop of system panels:
// a Gaussian blur of a picture (or of its alpha alone), approximated by
// three box blurs (each pass is linear in the pixel count whatever the
// radius).

#include "platform/render/Surface.h"

namespace render {

// A surface of the same size whose every channel is `source`'s alpha
// blurred with standard deviation `sigma` pixels (premultiplied white:
// as a mask it carries the blurred alpha). A sigma of zero or less copies
// the alpha unblurred.
Surface blurredAlpha(const Surface& source, double sigma);

// A surface of the same size with every channel of `source` blurred with
// standard deviation `sigma` pixels; beyond the edges counts as
// transparent, so the edges fade out.
Surface blurred(const Surface& source, double sigma);

}  // namespace render
