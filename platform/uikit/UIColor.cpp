#include "platform/uikit/UIColor.h"

#include <cstdio>

MARQEL_DEFINE_CLASS(UIColor,
    method<&UIColor::colorWithAlphaComponent>("colorWithAlphaComponent:"),
    method<&UIColor::isEqual>("isEqual:"))

namespace {

using RGBA = UIColor::RGBA;

constexpr RGBA rgb255(int r, int g, int b, CGFloat alpha = 1) { return { r / 255.0, g / 255.0, b / 255.0, alpha }; }

CGColorRef makeCG(const RGBA& c) { return CGColorCreateSRGB(c.red, c.green, c.blue, c.alpha); }

// Colours are immutable, so the named ones are made once and shared.
std::shared_ptr<UIColor> fixed(RGBA c) { return alloc<UIColor>(c); }
std::shared_ptr<UIColor> dynamic(RGBA light, RGBA dark) { return alloc<UIColor>(light, dark); }

}  // namespace

UIColor::UIColor()
    : UIColor(RGBA {})
{
}

UIColor::UIColor(RGBA any)
    : UIColor(any, any)
{
}

UIColor::UIColor(RGBA light, RGBA dark)
    : m_light(light)
    , m_dark(dark)
    , m_lightCG(makeCG(light))
    , m_darkCG(light == dark ? m_lightCG : makeCG(dark))
{
}

std::shared_ptr<UIColor> UIColor::colorWithRed(CGFloat red, CGFloat green, CGFloat blue, CGFloat alpha)
{
    return alloc<UIColor>(RGBA { red, green, blue, alpha });
}

std::shared_ptr<UIColor> UIColor::colorWithWhite(CGFloat white, CGFloat alpha)
{
    return alloc<UIColor>(RGBA { white, white, white, alpha });
}

std::shared_ptr<UIColor> UIColor::colorWithLightColor(RGBA light, RGBA dark)
{
    return alloc<UIColor>(light, dark);
}

#define NAMED_COLOR(name, expr)                              \
    std::shared_ptr<UIColor> UIColor::name()                 \
    {                                                        \
        static const std::shared_ptr<UIColor> colour = expr; \
        return colour;                                       \
    }

NAMED_COLOR(whiteColor, fixed({ 1, 1, 1, 1 }))
NAMED_COLOR(blackColor, fixed({ 0, 0, 0, 1 }))
NAMED_COLOR(clearColor, fixed({ 0, 0, 0, 0 }))
NAMED_COLOR(grayColor, fixed({ 0.5, 0.5, 0.5, 1 }))
NAMED_COLOR(darkGrayColor, fixed({ 1.0 / 3, 1.0 / 3, 1.0 / 3, 1 }))
NAMED_COLOR(lightGrayColor, fixed({ 2.0 / 3, 2.0 / 3, 2.0 / 3, 1 }))
NAMED_COLOR(redColor, fixed({ 1, 0, 0, 1 }))
NAMED_COLOR(greenColor, fixed({ 0, 1, 0, 1 }))
NAMED_COLOR(blueColor, fixed({ 0, 0, 1, 1 }))

// The published light and dark values of the system palette.
NAMED_COLOR(systemRedColor, dynamic(rgb255(255, 59, 48), rgb255(255, 69, 58)))
NAMED_COLOR(systemOrangeColor, dynamic(rgb255(255, 149, 0), rgb255(255, 159, 10)))
NAMED_COLOR(systemYellowColor, dynamic(rgb255(255, 204, 0), rgb255(255, 214, 10)))
NAMED_COLOR(systemGreenColor, dynamic(rgb255(52, 199, 89), rgb255(48, 209, 88)))
NAMED_COLOR(systemBlueColor, dynamic(rgb255(0, 122, 255), rgb255(10, 132, 255)))
// The deeper teal iOS shows with Increase Contrast: white text on it reads
// (4.5:1 light, 4:1 dark), which the light sky tone does not (1.8:1).
NAMED_COLOR(systemTealColor, dynamic(rgb255(0, 130, 153), rgb255(0, 140, 163)))
NAMED_COLOR(systemGrayColor, dynamic(rgb255(142, 142, 147), rgb255(142, 142, 147)))

NAMED_COLOR(labelColor, dynamic(rgb255(0, 0, 0), rgb255(255, 255, 255)))
NAMED_COLOR(secondaryLabelColor, dynamic(rgb255(60, 60, 67, 0.6), rgb255(235, 235, 245, 0.6)))
// iOS draws these two at 30 % alpha, which reads at 1.6:1 on white; here
// they are as faint as a text may be and still be read (3:1 on the system
// backgrounds, light and dark), still below the secondary label.
NAMED_COLOR(tertiaryLabelColor, dynamic(rgb255(60, 60, 67, 0.58), rgb255(235, 235, 245, 0.4)))
NAMED_COLOR(placeholderTextColor, dynamic(rgb255(60, 60, 67, 0.58), rgb255(235, 235, 245, 0.4)))
NAMED_COLOR(systemBackgroundColor, dynamic(rgb255(255, 255, 255), rgb255(0, 0, 0)))
NAMED_COLOR(secondarySystemBackgroundColor, dynamic(rgb255(242, 242, 247), rgb255(28, 28, 30)))
NAMED_COLOR(systemGroupedBackgroundColor, dynamic(rgb255(242, 242, 247), rgb255(0, 0, 0)))
NAMED_COLOR(secondarySystemGroupedBackgroundColor, dynamic(rgb255(255, 255, 255), rgb255(28, 28, 30)))
NAMED_COLOR(separatorColor, dynamic(rgb255(60, 60, 67, 0.29), rgb255(84, 84, 88, 0.6)))

#undef NAMED_COLOR

std::shared_ptr<UIColor> UIColor::colorWithAlphaComponent(CGFloat alpha) const
{
    RGBA light = m_light;
    RGBA dark = m_dark;
    light.alpha = alpha;
    dark.alpha = alpha;
    return alloc<UIColor>(light, dark);
}

std::shared_ptr<UIColor> UIColor::resolvedColorWithTraitCollection(const std::shared_ptr<UITraitCollection>& traits) const
{
    UIUserInterfaceStyle style = traits ? traits->userInterfaceStyle() : UITraitCollection::systemUserInterfaceStyle();
    return alloc<UIColor>(componentsForStyle(style));
}

UIColor::RGBA UIColor::components() const
{
    return componentsForStyle(UITraitCollection::systemUserInterfaceStyle());
}

UIColor::RGBA UIColor::componentsForStyle(UIUserInterfaceStyle style) const
{
    return style == UIUserInterfaceStyleDark ? m_dark : m_light;
}

bool UIColor::getRed(CGFloat* red, CGFloat* green, CGFloat* blue, CGFloat* alpha) const
{
    RGBA c = components();
    if (red)
        *red = c.red;
    if (green)
        *green = c.green;
    if (blue)
        *blue = c.blue;
    if (alpha)
        *alpha = c.alpha;
    return true;
}

CGColorRef UIColor::CGColor() const
{
    return UITraitCollection::systemUserInterfaceStyle() == UIUserInterfaceStyleDark ? m_darkCG : m_lightCG;
}

bool UIColor::isEqual(const std::shared_ptr<UIColor>& other) const
{
    return other && *this == *other;
}

std::string UIColor::description() const
{
    RGBA c = components();
    char text[96];
    std::snprintf(text, sizeof text, "UIExtendedSRGBColorSpace %g %g %g %g", c.red, c.green, c.blue, c.alpha);
    return text;
}

bool UIColorEqual(const std::shared_ptr<UIColor>& a, const std::shared_ptr<UIColor>& b)
{
    if (!a || !b)
        return !a && !b;
    return *a == *b;
}
