#pragma once

// SpringBoard's home screen, behind everything else: a wallpaper, a grid
// of app icons with their names, and the dock (the status bar above it is
// a window of its own, StatusBar), built from ordinary views
// and layers in a window of its own at a level below normal windows, so
// the compositor draws it like any other window and a recording looks like
// a phone. The window takes no touches.
//
// The wallpaper can instead be the recorder's test pattern (every pixel
// tells its position), shown alone so a crop of a recording can be checked
// by decoding it: setWallpaper(Wallpaper::TestPattern). The icons and the
// wallpaper's picture are drawn by HomeScreenArt.

#include "platform/uikit/UIWindow.h"

#include <memory>
#include <optional>
#include <string>

class HomeScreen {
public:
    enum class Wallpaper { Gradient,
        TestPattern };
    static constexpr UIWindowLevel windowLevel = UIWindowLevelNormal - 1;

    static HomeScreen& shared();

    // "gradient", or "test-pattern" (also "testpattern", "test_pattern").
    static std::optional<Wallpaper> wallpaperNamed(const std::string& name);

    Wallpaper wallpaper() const { return m_wallpaper; }
    // Rebuilds the window's contents when the wallpaper changes.
    void setWallpaper(Wallpaper wallpaper);
    // Creates the window on first use, fills it (again when the screen's
    // size or scale changed since) and shows it; it does not become key.
    void show();
    void hide();
    const std::shared_ptr<UIWindow>& window() const { return m_window; }

    // Where the grid's icons and the dock sit, in screen points.
    static CGRect iconFrame(std::size_t index);
    static CGRect dockFrame();
    // The name under the icon at `point` (grid or dock), or empty.
    static std::string iconNameAt(CGPoint point);
    // Where the icon named `name` is, for a finger that taps it.
    static std::optional<CGPoint> iconCentre(const std::string& name);

private:
    HomeScreen() = default;
    void rebuild();
    bool needsRebuild() const;

    Wallpaper m_wallpaper = Wallpaper::Gradient;
    std::shared_ptr<UIWindow> m_window;
    CGSize m_builtFor {};
    CGFloat m_builtScale = 0;
};
