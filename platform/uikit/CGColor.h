#pragma once

// Core Graphics colours: resolved RGBA values as layers hold them. A layer's
// colour may be absent (no fill, no stroke), so layers keep a CGColorRef,
// which may be null.

#include "platform/foundation/CGGeometry.h"
#include "platform/uikit/Forward.h"

struct CGColor {
    static constexpr const char* encoding = "{CGColor=dddd}";
    CGFloat red = 0, green = 0, blue = 0, alpha = 0;
    bool operator==(const CGColor&) const = default;
};

CGColorRef CGColorCreateSRGB(CGFloat red, CGFloat green, CGFloat blue, CGFloat alpha);
// Both null, or both holding the same components.
bool CGColorEqualToColor(const CGColorRef& a, const CGColorRef& b);
CGFloat CGColorGetAlpha(const CGColorRef& color);
