#include "platform/render/GradientWallpaper.h"

#include "platform/render/Compositor.h"
#include "platform/render/GradientLayer.h"
#include "platform/render/Surface.h"
#include "platform/uikit/CAShapeLayer.h"
#include "platform/uikit/UIColor.h"

#include <cairo.h>

#include <cmath>
#include <tuple>

namespace render {

namespace {

constexpr double pi = 3.14159265358979323846;

CGColorRef rgb(int r, int g, int b, double a = 1) { return CGColorCreateSRGB(r / 255.0, g / 255.0, b / 255.0, a); }

// A circle as the polygon the home screen's art has always drawn it with,
// so the picture stays the same pixel for pixel.
CGMutablePathRef disc(double cx, double cy, double r)
{
    constexpr int sides = 96;
    CGMutablePathRef path = CGPathCreateMutable();
    for (int i = 0; i < sides; ++i) {
        double t = 2 * pi * i / sides;
        if (i == 0)
            CGPathMoveToPoint(path, nullptr, cx + r * std::cos(t), cy + r * std::sin(t));
        else
            CGPathAddLineToPoint(path, nullptr, cx + r * std::cos(t), cy + r * std::sin(t));
    }
    CGPathCloseSubpath(path);
    return path;
}

}  // namespace

std::shared_ptr<const ScreenFrame> GradientWallpaper::paint(CGSize size, double scale)
{
    auto tree = CALayer::layer();
    tree->setFrame(CGRectMake(0, 0, size.width, size.height));
    auto gradient = GradientLayer::layer();
    gradient->setFrame(tree->bounds());
    gradient->setColors({ rgb(28, 42, 110), rgb(96, 58, 150), rgb(214, 104, 130), rgb(246, 170, 120) });
    gradient->setLocations({ 0, 0.4, 0.75, 1 });
    gradient->setStartPoint({ 0.15, 0 });
    gradient->setEndPoint({ 0.85, 1 });
    tree->addSublayer(gradient);
    for (auto [cx, cy, r, a] : { std::tuple { 0.85, 0.22, 170.0, 0.07 }, std::tuple { 0.1, 0.66, 210.0, 0.06 },
             std::tuple { 0.67, 0.9, 120.0, 0.05 } }) {
        auto shape = CAShapeLayer::layer();
        shape->setPath(disc(cx * size.width, cy * size.height, r));
        shape->setFillColor(rgb(255, 255, 255, a));
        tree->addSublayer(shape);
    }
    Surface picture(static_cast<int>(std::lround(size.width * scale)), static_cast<int>(std::lround(size.height * scale)));
    if (!picture.isValid())
        return nullptr;
    cairo_t* cr = cairo_create(picture.cairoSurface());
    cairo_scale(cr, scale, scale);
    Compositor::shared().drawLayerTree(cr, *tree);
    cairo_destroy(cr);
    return picture.toScreenFrame();
}

}  // namespace render
