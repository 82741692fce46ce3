#pragma once

// What the Photos app tests share: movies of flat colours put into the
// test device's library with chosen dates, the app's screen in a window of
// its own, and the colours the compositor draws there.

#include "platform/foundation/CGGeometry.h"
#include "platform/render/ScreenFrame.h"
#include "platform/uikit/Forward.h"
#include "tests/support/TempDir.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class PhotosViewController;

namespace photostest {

using Colour = std::array<int, 3>;
inline constexpr Colour red { 255, 0, 0 };
inline constexpr Colour green { 0, 255, 0 };
inline constexpr Colour blue { 0, 0, 255 };
inline constexpr Colour yellow { 255, 255, 0 };

// A movie of these colours, a second each, imported with this creation
// date; its local identifier.
std::string importColourMovie(testsupport::TempDir& scratch, const std::vector<Colour>& colours, double creationDate,
    int width = 64, int height = 48);
// The host path of an imported asset's file.
std::string assetFile(const std::string& localIdentifier);

// The Photos screen in a key window of its own, loaded and laid out.
struct PhotosScreen {
    std::shared_ptr<UIWindow> window;
    std::shared_ptr<PhotosViewController> controller;
};
PhotosScreen showPhotos();

// The screen as the compositor draws it now, and its colour at a point.
std::shared_ptr<const ScreenFrame> screen();
Colour colourAt(const ScreenFrame& frame, CGPoint point);
Colour colourAt(CGPoint point);
// The middle of a view, on the screen.
CGPoint centreOf(const UIView& view);
// Within a few levels a channel of what the encoder and the scaler give back.
bool near(Colour actual, Colour expected, int tolerance = 24);
std::string describe(Colour colour);
// Pixels within `rect` (points) no farther than `tolerance` from `colour`.
int countNear(const ScreenFrame& frame, CGRect rect, Colour colour, int tolerance = 40);

}  // namespace photostest
