#pragma once

// Control Center: a panel over everything, opened by a downward swipe from
// the right third of the status bar. The screen beneath is blurred and
// dimmed, and the registered modules' tiles stand in a grid of two
// columns; a tap on a tile is the module's, a tap beside the tiles or an
// upward swipe closes the panel.

#include "platform/render/ScreenFrame.h"
#include "platform/springboard/SystemWindow.h"
#include "platform/springboard/controlcenter/ControlCenterModule.h"

#include <memory>
#include <string>
#include <vector>

class ControlCenter {
public:
    static constexpr double animationDuration = 0.25;
    // The grid, in screen points: below where a banner rests, so a banner
    // that arrives while the panel is open covers no tile.
    static constexpr CGFloat gridTop = 170;
    static constexpr CGFloat margin = 16;
    static constexpr CGFloat tileHeight = 68;

    static ControlCenter& shared();

    // Modules keep the order they were added in; a second module with a
    // title already taken is refused (false).
    bool addModule(std::shared_ptr<ControlCenterModule> module);
    const std::vector<std::shared_ptr<ControlCenterModule>>& modules() const { return m_modules; }

    // What the panel frosts: SpringBoard's own picture unless told
    // otherwise (on the phone, the display's, with the app in front).
    void setScreenSource(ScreenSource source) { m_screenSource = std::move(source); }

    void open();
    void close();
    // From open() until close(), whatever the fade shows.
    bool isOpen() const { return m_open; }
    const std::shared_ptr<SystemWindow>& window() const { return m_window; }

    // The tile of the module titled `title` while the panel is open.
    std::shared_ptr<UIView> tileTitled(const std::string& title) const;
    // What a tap on that tile does; false when no tile has the title.
    bool tapTile(const std::string& title);

    // Closed at once, its modules forgotten (a new SpringBoard registers
    // its own).
    void reset();

private:
    ControlCenter() = default;
    void build();
    void refreshTiles();
    void tapped(CGPoint point);

    struct Tile {
        std::shared_ptr<ControlCenterModule> module;
        std::shared_ptr<UIView> view;
        std::shared_ptr<UIImageView> symbol;
    };
    std::vector<std::shared_ptr<ControlCenterModule>> m_modules;
    std::shared_ptr<SystemWindow> m_window;
    std::vector<Tile> m_tiles;
    ScreenSource m_screenSource;
    bool m_open = false;
    std::uint64_t m_generation = 0;
};
