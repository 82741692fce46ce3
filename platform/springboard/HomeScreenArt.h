#pragma once

// The home screen's pictures: the apps' icons (a rounded gradient tile with
// the app's glyph drawn in shape layers, in a 60 × 60 point box) and the
// gradient wallpaper. HomeScreen only places them.

#include "platform/render/Forward.h"
#include "platform/springboard/HomeScreen.h"

#include <memory>
#include <vector>

class HomeScreenArt {
public:
    static constexpr double iconSize = 60;

    // The grid's apps, row by row, and the dock's.
    static const std::vector<HomeScreen::App>& gridApps();
    static const std::vector<HomeScreen::App>& dockApps();
    // Adds to `parent` the icon of the grid's (or dock's) app at `index`.
    static std::shared_ptr<UIView> addGridIcon(UIView& parent, std::size_t index, CGRect frame);
    static std::shared_ptr<UIView> addDockIcon(UIView& parent, std::size_t index, CGRect frame);

    // A gradient from deep blue through violet to a warm peach, with soft
    // light discs for depth, at `scale` pixels a point; null when the size
    // cannot be drawn.
    static std::shared_ptr<const ScreenFrame> paintGradientWallpaper(CGSize size, double scale);
};
