#pragma once

// A fresh device and screen for each test, windows that go away with the
// test, and pixel look-ups in screen points.

#include "tests/support/TestDevice.h"

#include "platform/render/Compositor.h"
#include "platform/springboard/HomeScreen.h"
#include "platform/uikit/UIKit.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <filesystem>
#include <vector>

using Pixel = std::array<std::uint8_t, 4>;

inline bool near(const Pixel& p, int r, int g, int b, int tolerance = 3)
{
    return std::abs(p[0] - r) <= tolerance && std::abs(p[1] - g) <= tolerance && std::abs(p[2] - b) <= tolerance;
}

inline std::shared_ptr<UIColor> rgb(double r, double g, double b, double a = 1)
{
    return UIColor::colorWithRed(r, g, b, a);
}

class RenderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        UIApplication::sharedApplication()->reset();
        UIScreen::mainScreen()->resetToDefault();
        HomeScreen::shared().hide();
        render::Compositor::shared().invalidate();
        render::Compositor::shared().setWindowCaching(true);
    }
    void TearDown() override
    {
        for (auto& window : m_windows)
            window->setHidden(true);
        m_windows.clear();
        HomeScreen::shared().hide();
        UIApplication::sharedApplication()->reset();
        UIScreen::mainScreen()->resetToDefault();
    }

    // A shown, full-screen window with a black background unless told.
    std::shared_ptr<UIWindow> window(UIWindowLevel level = UIWindowLevelNormal,
        std::shared_ptr<UIColor> background = UIColor::blackColor())
    {
        auto w = alloc<UIWindow>();
        w->setWindowLevel(level);
        w->setBackgroundColor(std::move(background));
        w->setHidden(false);
        m_windows.push_back(w);
        return w;
    }

    const render::Surface& screen() { return render::Compositor::shared().renderSurface(); }
    // The pixel at the middle of the screen pixel that covers a point.
    Pixel at(double x, double y)
    {
        double scale = UIScreen::mainScreen()->scale();
        return screen().pixel(static_cast<int>(std::floor(x * scale)), static_cast<int>(std::floor(y * scale)));
    }
    // Screen pixels in a rectangle of points whose colour differs from `background`.
    long inked(CGRect points, Pixel background, int tolerance = 8)
    {
        const auto& s = screen();
        double scale = UIScreen::mainScreen()->scale();
        long count = 0;
        int x0 = static_cast<int>(std::floor(points.origin.x * scale)), y0 = static_cast<int>(std::floor(points.origin.y * scale));
        int x1 = static_cast<int>(std::ceil(CGRectGetMaxX(points) * scale)), y1 = static_cast<int>(std::ceil(CGRectGetMaxY(points) * scale));
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x) {
                Pixel p = s.pixel(x, y);
                for (int c = 0; c < 3; ++c)
                    if (std::abs(p[c] - background[c]) > tolerance) {
                        ++count;
                        break;
                    }
            }
        return count;
    }

    TestDevice device;

private:
    std::vector<std::shared_ptr<UIWindow>> m_windows;
};
