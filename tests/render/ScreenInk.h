#pragma once

// What a person sees in a rendered picture, read from its pixels: where
// something is drawn over a background, and how well text stands out from
// what lies behind it. Rectangles are in points; the picture is in device
// pixels at the screen's scale.

#include "platform/render/Surface.h"
#include "platform/uikit/UIScreen.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdlib>

namespace ink {

using Pixel = std::array<std::uint8_t, 4>;

inline int distance(const Pixel& a, const Pixel& b)
{
    return std::abs(a[0] - b[0]) + std::abs(a[1] - b[1]) + std::abs(a[2] - b[2]);
}

// The pixel under a point.
inline Pixel at(const render::Surface& picture, double x, double y)
{
    double scale = UIScreen::mainScreen()->scale();
    int px = std::clamp(static_cast<int>(std::floor(x * scale)), 0, picture.width() - 1);
    int py = std::clamp(static_cast<int>(std::floor(y * scale)), 0, picture.height() - 1);
    return picture.pixel(px, py);
}

// The box around every pixel in `rect` that differs from `background` by
// more than `tolerance` (summed over red, green and blue), in points.
struct Box {
    bool found = false;
    double minX = 0, minY = 0, maxX = 0, maxY = 0;
    double width() const { return maxX - minX; }
    double height() const { return maxY - minY; }
};

template <typename Visit>
void forEachPixel(const render::Surface& picture, CGRect rect, Visit visit)
{
    double scale = UIScreen::mainScreen()->scale();
    int x0 = std::max(0, static_cast<int>(std::floor(rect.origin.x * scale)));
    int y0 = std::max(0, static_cast<int>(std::floor(rect.origin.y * scale)));
    int x1 = std::min(picture.width(), static_cast<int>(std::ceil(CGRectGetMaxX(rect) * scale)));
    int y1 = std::min(picture.height(), static_cast<int>(std::ceil(CGRectGetMaxY(rect) * scale)));
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x)
            visit(x, y, picture.pixel(x, y));
}

inline Box bounds(const render::Surface& picture, CGRect rect, const Pixel& background, int tolerance = 60)
{
    double scale = UIScreen::mainScreen()->scale();
    Box box;
    forEachPixel(picture, rect, [&](int x, int y, const Pixel& p) {
        if (distance(p, background) <= tolerance)
            return;
        double px = x / scale, py = y / scale, next = 1 / scale;
        if (!box.found) {
            box = { true, px, py, px + next, py + next };
            return;
        }
        box.minX = std::min(box.minX, px);
        box.minY = std::min(box.minY, py);
        box.maxX = std::max(box.maxX, px + next);
        box.maxY = std::max(box.maxY, py + next);
    });
    return box;
}

// The top band of ink in `rect`: from the first row with ink down to the
// next row without, in points (a text's first line).
inline Box firstBand(const render::Surface& picture, CGRect rect, const Pixel& background, int tolerance = 60)
{
    double scale = UIScreen::mainScreen()->scale();
    Box all = bounds(picture, rect, background, tolerance);
    if (!all.found)
        return all;
    double rowHeight = 1 / scale;
    double y = all.minY;
    while (y < all.maxY) {
        CGRect row = CGRectMake(rect.origin.x, y + rowHeight, rect.size.width, rowHeight);
        if (!bounds(picture, row, background, tolerance).found)
            break;
        y += rowHeight;
    }
    Box band = all;
    band.maxY = y + rowHeight;
    return band;
}

// The pixel in `rect` that differs most from `background`: a text's own
// colour where it is drawn solid.
inline Pixel strongest(const render::Surface& picture, CGRect rect, const Pixel& background)
{
    Pixel best = background;
    forEachPixel(picture, rect, [&](int, int, const Pixel& p) {
        if (distance(p, background) > distance(best, background))
            best = p;
    });
    return best;
}

// The contrast ratio of two colours as the web's accessibility guidelines
// define it: 1 for the same colour, 21 for black on white.
inline double contrast(const Pixel& a, const Pixel& b)
{
    auto luminance = [](const Pixel& p) {
        auto channel = [](std::uint8_t c) {
            double v = c / 255.0;
            return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * channel(p[0]) + 0.7152 * channel(p[1]) + 0.0722 * channel(p[2]);
    };
    double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

}  // namespace ink
