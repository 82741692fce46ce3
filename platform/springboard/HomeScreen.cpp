#include "platform/springboard/HomeScreen.h"

#include "platform/foundation/Foundation.h"
#include "platform/render/BitmapLayer.h"
#include "platform/render/GradientWallpaper.h"
#include "platform/replaykit/TestPattern.h"
#include "platform/springboard/AppLauncher.h"
#include "platform/springboard/HomeScreenArt.h"
#include "platform/springboard/SystemGestureView.h"
#include "platform/uikit/UIFont.h"
#include "platform/uikit/UILabel.h"
#include "platform/uikit/UIScreen.h"

#include <cctype>
#include <cmath>

namespace {

// The grid: four columns of 60-point icons with their names beneath, as
// on a 390-point-wide phone.
constexpr double iconSize = HomeScreenArt::iconSize;
constexpr double gridLeft = 27;
constexpr double gridTop = 72;
constexpr double columnPitch = 92;
constexpr double rowPitch = 100;
constexpr std::size_t columns = 4;

}  // namespace

HomeScreen& HomeScreen::shared()
{
    static auto* instance = new HomeScreen;
    return *instance;
}

std::optional<HomeScreen::Wallpaper> HomeScreen::wallpaperNamed(const std::string& name)
{
    std::string key;
    for (char c : name)
        if (c != '-' && c != '_' && c != ' ')
            key += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (key == "gradient")
        return Wallpaper::Gradient;
    if (key == "testpattern")
        return Wallpaper::TestPattern;
    return std::nullopt;
}

CGRect HomeScreen::iconFrame(std::size_t index)
{
    std::size_t row = index / columns, column = index % columns;
    return CGRectMake(gridLeft + columnPitch * column, gridTop + rowPitch * row, iconSize, iconSize);
}

CGRect HomeScreen::dockFrame()
{
    CGSize screen = UIScreen::mainScreen()->bounds().size;
    return CGRectMake(12, screen.height - 34 - 88, screen.width - 24, 88);
}

std::string HomeScreen::iconNameAt(CGPoint point)
{
    const auto& grid = HomeScreenArt::gridApps();
    for (std::size_t i = 0; i < grid.size(); ++i)
        if (CGRectContainsPoint(iconFrame(i), point))
            return grid[i].name;
    CGRect dock = dockFrame();
    const auto& docked = HomeScreenArt::dockApps();
    for (std::size_t i = 0; i < docked.size(); ++i) {
        CGRect frame = iconFrame(i);
        frame.origin.y = dock.origin.y + (dock.size.height - iconSize) / 2;
        if (CGRectContainsPoint(frame, point))
            return docked[i].name;
    }
    return {};
}

std::optional<CGPoint> HomeScreen::iconCentre(const std::string& name)
{
    const auto& grid = HomeScreenArt::gridApps();
    for (std::size_t i = 0; i < grid.size(); ++i)
        if (grid[i].name == name)
            return CGPoint { CGRectGetMidX(iconFrame(i)), CGRectGetMidY(iconFrame(i)) };
    CGRect dock = dockFrame();
    const auto& docked = HomeScreenArt::dockApps();
    for (std::size_t i = 0; i < docked.size(); ++i)
        if (docked[i].name == name)
            return CGPoint { CGRectGetMidX(iconFrame(i)), dock.origin.y + dock.size.height / 2 };
    return std::nullopt;
}

void HomeScreen::setWallpaper(Wallpaper wallpaper)
{
    if (m_wallpaper == wallpaper && !needsRebuild())
        return;
    m_wallpaper = wallpaper;
    if (m_window)
        rebuild();
}

bool HomeScreen::needsRebuild() const
{
    // Built for another screen (a host may set the device before boot).
    auto screen = UIScreen::mainScreen();
    return !m_window || m_builtFor != screen->bounds().size || m_builtScale != screen->scale();
}

void HomeScreen::show()
{
    if (!m_window) {
        m_window = alloc<UIWindow>();
        m_window->setWindowLevel(windowLevel);
        rebuild();
    } else if (needsRebuild()) {
        rebuild();
    }
    m_window->setHidden(false);
}

void HomeScreen::hide()
{
    if (m_window)
        m_window->setHidden(true);
}

void HomeScreen::rebuild()
{
    UIWindow& root = *m_window;
    root.setFrame(UIScreen::mainScreen()->bounds());
    m_builtFor = UIScreen::mainScreen()->bounds().size;
    m_builtScale = UIScreen::mainScreen()->scale();
    while (!root.subviews().empty())
        root.subviews().back()->removeFromSuperview();
    for (auto layers = root.layer()->sublayers(); const auto& layer : layers)
        layer->removeFromSuperlayer();
    const CGRect bounds = root.bounds();
    root.setBackgroundColor(UIColor::blackColor());

    if (m_wallpaper == Wallpaper::TestPattern) {
        // The pattern alone, one pattern pixel per screen pixel, so every
        // pixel of a recording decodes to where it is.
        CGRect pixels = UIScreen::mainScreen()->nativeBounds();
        auto pattern = BitmapLayer::layer();
        pattern->setFrame(bounds);
        pattern->setPicture(TestPattern::make(static_cast<int>(std::lround(pixels.size.width)),
            static_cast<int>(std::lround(pixels.size.height))));
        root.layer()->addSublayer(pattern);
        return;
    }

    // Like the phone's, the wallpaper is a picture: drawn once here, then
    // copied pixel for pixel into every frame.
    auto wallpaper = BitmapLayer::layer();
    wallpaper->setFrame(bounds);
    wallpaper->setPicture(render::GradientWallpaper::paint(bounds.size, UIScreen::mainScreen()->scale()));
    root.layer()->addSublayer(wallpaper);

    const auto& grid = HomeScreenArt::gridApps();
    for (std::size_t i = 0; i < grid.size(); ++i) {
        CGRect frame = iconFrame(i);
        HomeScreenArt::addGridIcon(root, i, frame);
        auto name = root.add<UILabel>(CGRectMake(frame.origin.x - 12, frame.origin.y + iconSize + 5, iconSize + 24, 15));
        name->setText(grid[i].name);
        name->setFont(UIFont::systemFontOfSize(12));
        name->setTextColor(UIColor::whiteColor());
        name->setTextAlignment(NSTextAlignmentCenter);
    }

    // The page dots above the dock.
    CGRect dock = dockFrame();
    for (int i = 0; i < 2; ++i) {
        auto dot = root.add<UIView>(CGRectMake(bounds.size.width / 2 - 9 + 12 * i, dock.origin.y - 20, 7, 7));
        dot->setBackgroundColor(UIColor::colorWithWhite(1, i == 0 ? 0.95 : 0.4));
        dot->layer()->setCornerRadius(3.5);
    }
    // A tapped icon opens its app when there is one to open here (Settings,
    // Photos); the others do nothing, as an app not installed would.
    auto taps = root.add<SystemGestureView>(bounds);
    taps->onTap = [](CGPoint point) {
        if (auto name = iconNameAt(point); !name.empty())
            if (auto bundle = AppLauncher::bundleForIconName(name); !bundle.empty())
                if (auto launched = AppLauncher::shared().launch(bundle); !launched)
                    NSLog("SpringBoard: %@ did not open: %@", name, launched.message());
    };

    auto dockView = root.add<UIView>(dock);
    dockView->setUserInteractionEnabled(false);
    dockView->setBackgroundColor(UIColor::colorWithWhite(1, 0.28));
    dockView->layer()->setCornerRadius(30);
    dockView->layer()->setCornerCurve(kCACornerCurveContinuous);
    const auto& docked = HomeScreenArt::dockApps();
    for (std::size_t i = 0; i < docked.size(); ++i) {
        CGRect frame = iconFrame(i);
        frame.origin.x -= dock.origin.x;
        frame.origin.y = (dock.size.height - iconSize) / 2;
        HomeScreenArt::addDockIcon(*dockView, i, frame);
    }
}
