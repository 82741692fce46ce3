#include "platform/springboard/controlcenter/ControlCenter.h"

#include "platform/foundation/NSLog.h"
#include "platform/render/BitmapLayer.h"
#include "platform/render/Blur.h"
#include "platform/render/Compositor.h"
#include "platform/springboard/SystemGestureView.h"
#include "platform/uikit/UIColor.h"
#include "platform/uikit/UIFont.h"
#include "platform/uikit/UIImage.h"
#include "platform/uikit/UIImageView.h"
#include "platform/uikit/UILabel.h"
#include "platform/uikit/UIScreen.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr CGFloat tileSpacing = 12;
constexpr CGFloat tileSymbolSize = 30;

// Light text on a dark tile over a dimmed screen: readable on any screen
// beneath.
std::shared_ptr<UIColor> tileColour() { return UIColor::colorWithRed(0.16, 0.16, 0.18, 0.96); }
std::shared_ptr<UIColor> litSymbolColour() { return UIColor::colorWithRed(1.0, 0.27, 0.23, 1); }

// The screen as it is, frosted: one pixel a point is plenty for a blur this
// wide, and keeps opening the panel quick.
std::shared_ptr<const ScreenFrame> frostedScreen(const ScreenSource& source)
{
    render::Surface given;
    if (source)
        if (auto frame = source())
            given = render::Surface::fromScreenFrame(*frame);
    const render::Surface& screen = given.isValid() ? given : render::Compositor::shared().renderSurface();
    int factor = std::max(1, static_cast<int>(std::lround(UIScreen::mainScreen()->scale())));
    int w = screen.width() / factor, h = screen.height() / factor;
    render::Surface small(w, h);
    if (!screen.isValid() || !small.isValid())
        return nullptr;
    const std::uint8_t* in = screen.data();
    std::uint8_t* out = small.mutableData();
    const int samples = factor * factor;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            // Premultiplied pixels average channel by channel.
            int sum[4] = { 0, 0, 0, 0 };
            for (int dy = 0; dy < factor; ++dy) {
                const std::uint8_t* p = in + static_cast<std::ptrdiff_t>(y * factor + dy) * screen.stride() + x * factor * 4;
                for (int dx = 0; dx < factor * 4; ++dx)
                    sum[dx % 4] += p[dx];
            }
            std::uint8_t* q = out + static_cast<std::ptrdiff_t>(y) * small.stride() + x * 4;
            for (int c = 0; c < 4; ++c)
                q[c] = static_cast<std::uint8_t>(sum[c] / samples);
        }
    }
    small.markDirty();
    return render::blurred(small, 12).toScreenFrame();
}

}  // namespace

ControlCenter& ControlCenter::shared()
{
    static auto* instance = new ControlCenter;
    return *instance;
}

bool ControlCenter::addModule(std::shared_ptr<ControlCenterModule> module)
{
    if (!module)
        return false;
    std::string title = module->title();
    for (const auto& existing : m_modules)
        if (existing->title() == title)
            return false;
    m_modules.push_back(std::move(module));
    return true;
}

void ControlCenter::build()
{
    CGRect screen = UIScreen::mainScreen()->bounds();
    auto frosted = frostedScreen(m_screenSource);
    m_window = alloc<SystemWindow>(screen, SystemWindow::controlCenterLevel, SystemWindow::Touches::All);
    // The screen beneath, blurred and dimmed; its edges fade into black.
    m_window->setBackgroundColor(UIColor::blackColor());
    if (frosted) {
        auto backdrop = BitmapLayer::layer();
        backdrop->setFrame(m_window->bounds());
        backdrop->setPicture(frosted);
        m_window->layer()->addSublayer(backdrop);
    }
    auto panel = m_window->add<SystemGestureView>(m_window->bounds());
    panel->setAutoresizingMask(UIViewAutoresizingFlexibleWidth | UIViewAutoresizingFlexibleHeight);
    panel->setBackgroundColor(UIColor::colorWithWhite(0, 0.45));
    panel->onTap = [this](CGPoint point) { tapped(point); };
    panel->onSwipeUp = [this] { close(); };

    m_tiles.clear();
    CGFloat width = (screen.size.width - 2 * margin - tileSpacing) / 2;
    for (std::size_t i = 0; i < m_modules.size(); ++i) {
        const auto& module = m_modules[i];
        CGFloat x = margin + static_cast<CGFloat>(i % 2) * (width + tileSpacing);
        CGFloat y = gridTop + static_cast<CGFloat>(i / 2) * (tileHeight + tileSpacing);
        // The panel takes the touches and finds the tile: a tile is a
        // picture.
        auto tile = panel->add<UIView>(CGRectMake(x, y, width, tileHeight));
        tile->setUserInteractionEnabled(false);
        tile->setBackgroundColor(tileColour());
        tile->layer()->setCornerRadius(20);
        tile->layer()->setCornerCurve(kCACornerCurveContinuous);
        auto symbol = tile->add<UIImageView>(CGRectMake(14, (tileHeight - tileSymbolSize) / 2, tileSymbolSize, tileSymbolSize));
        symbol->setImage(UIImage::systemImageNamed(module->symbolName()));
        auto label = tile->add<UILabel>(CGRectMake(14 + tileSymbolSize + 10, 0, width - tileSymbolSize - 14 - 10 - 10, tileHeight));
        label->setText(module->title());
        label->setFont(UIFont::systemFontOfSize(15, UIFontWeightSemibold));
        label->setTextColor(UIColor::whiteColor());
        label->setNumberOfLines(2);
        m_tiles.push_back({ module, tile, symbol });
    }
    refreshTiles();
}

void ControlCenter::refreshTiles()
{
    for (const auto& tile : m_tiles)
        tile.symbol->setTintColor(tile.module->isSelected() ? litSymbolColour() : UIColor::whiteColor());
}

void ControlCenter::open()
{
    if (m_open)
        return;
    m_open = true;
    ++m_generation;
    // Built afresh each time: the screen or the modules may have changed.
    if (m_window)
        m_window->setHidden(true);
    build();
    m_window->setAlpha(0);
    m_window->setHidden(false);
    UIView::animateWithDuration(animationDuration, [window = m_window] { window->setAlpha(1); });
    NSLog("SpringBoard: Control Center opened");
}

void ControlCenter::close()
{
    if (!m_open)
        return;
    m_open = false;
    std::uint64_t generation = ++m_generation;
    auto window = m_window;
    // The fading panel takes no more touches.
    window->setUserInteractionEnabled(false);
    UIView::animateWithDuration(
        animationDuration, [window] { window->setAlpha(0); },
        [this, window, generation](bool) {
            if (generation == m_generation)
                window->setHidden(true);
        });
    NSLog("SpringBoard: Control Center closed");
}

void ControlCenter::reset()
{
    m_open = false;
    ++m_generation;
    if (m_window)
        m_window->setHidden(true);
    m_window.reset();
    m_tiles.clear();
    m_modules.clear();
}

std::shared_ptr<UIView> ControlCenter::tileTitled(const std::string& title) const
{
    if (!m_open)
        return nullptr;
    for (const auto& tile : m_tiles)
        if (tile.module->title() == title)
            return tile.view;
    return nullptr;
}

bool ControlCenter::tapTile(const std::string& title)
{
    if (!m_open)
        return false;
    for (const auto& tile : m_tiles) {
        if (tile.module->title() != title)
            continue;
        auto module = tile.module;
        auto after = module->tileTapped();
        if (after == ControlCenterModule::AfterTap::Close)
            close();
        else
            refreshTiles();
        return true;
    }
    return false;
}

void ControlCenter::tapped(CGPoint point)
{
    for (const auto& tile : m_tiles)
        if (CGRectContainsPoint(tile.view->frame(), point))
            return (void)tapTile(tile.module->title());
    close();
}
