#pragma once

// The home screen's pictures: the apps' icons (a rounded gradient tile with
// the app's glyph drawn in shape layers, in a 60 × 60 point box). HomeScreen
// only places them; the wallpaper is render::GradientWallpaper's.

#include "platform/foundation/CGGeometry.h"
#include "platform/uikit/Forward.h"
#include "platform/uikit/UIColor.h"

#include <memory>
#include <string>
#include <vector>

class HomeScreenArt {
public:
    static constexpr double iconSize = 60;

    // An app's name, shown beneath its icon, and the ends of its tile's
    // gradient.
    struct App {
        std::string name;
        UIColor::RGBA top;
        UIColor::RGBA bottom;
    };
    // The grid's apps, row by row, and the dock's.
    static const std::vector<App>& gridApps();
    static const std::vector<App>& dockApps();
    // Adds to `parent` the icon of the grid's (or dock's) app at `index`.
    static std::shared_ptr<UIView> addGridIcon(UIView& parent, std::size_t index, CGRect frame);
    static std::shared_ptr<UIView> addDockIcon(UIView& parent, std::size_t index, CGRect frame);
    // The icon of the app named `name` (grid or dock), drawn in its 60-point
    // box and scaled to fill `frame`; null for an app the home screen lacks.
    static std::shared_ptr<UIView> addAppIcon(UIView& parent, const std::string& name, CGRect frame);
};
