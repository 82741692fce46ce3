#include "platform/uikit/CGColor.h"

CGColorRef CGColorCreateSRGB(CGFloat red, CGFloat green, CGFloat blue, CGFloat alpha)
{
    return std::make_shared<const CGColor>(CGColor { red, green, blue, alpha });
}

bool CGColorEqualToColor(const CGColorRef& a, const CGColorRef& b)
{
    if (!a || !b)
        return !a && !b;
    return *a == *b;
}

CGFloat CGColorGetAlpha(const CGColorRef& color)
{
    return color ? color->alpha : 0;
}
