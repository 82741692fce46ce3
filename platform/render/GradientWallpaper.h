#pragma once

// The gradient wallpaper, painted once into a picture: the home screen
// shows it, and the settings bundle's sample of the screen is this same
// picture, so the crop box is placed over what the overlay will cover.

#include "platform/foundation/CGGeometry.h"
#include "platform/render/Forward.h"

#include <memory>

namespace render {

class GradientWallpaper {
public:
    // A gradient from deep blue through violet to a warm peach, with soft
    // light discs for depth, at `scale` pixels a point; null when the size
    // cannot be drawn.
    static std::shared_ptr<const ScreenFrame> paint(CGSize size, double scale);
};

}  // namespace render
