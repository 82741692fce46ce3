#pragma once

// Core Graphics paths made of straight-edged closed figures (the screens use
// rectangles only). A path is a list of subpaths, each a polygon; whether a
// point is filled follows the fill rule: nonzero winding, or even-odd.
// Paths are immutable once shared: CGPathRef points at a const path.

#include "platform/foundation/CGGeometry.h"
#include "platform/uikit/Forward.h"

#include <cstdint>
#include <vector>

struct CGPath {
    std::vector<CGPoint> points;
    // One past the last point of each subpath, in order.
    std::vector<std::uint32_t> subpathEnds;
    // Where the open subpath starts; equals points.size() when none is open.
    std::uint32_t openStart = 0;
};

CGMutablePathRef CGPathCreateMutable();
CGPathRef CGPathCreateWithRect(CGRect rect, const CGAffineTransform* transform);
CGMutablePathRef CGPathCreateMutableCopy(const CGPathRef& path);
// Ownership is carried by the shared pointer; kept so code reads as on the
// phone.
inline void CGPathRelease(const CGPathRef&) { }

// A closed rectangle going min-x/min-y, max-x, max-y, min-x, as Core
// Graphics adds it; `transform` (may be null) maps its corners.
void CGPathAddRect(const CGMutablePathRef& path, const CGAffineTransform* transform, CGRect rect);
void CGPathAddRects(const CGMutablePathRef& path, const CGAffineTransform* transform, const std::vector<CGRect>& rects);
void CGPathMoveToPoint(const CGMutablePathRef& path, const CGAffineTransform* transform, CGFloat x, CGFloat y);
void CGPathAddLineToPoint(const CGMutablePathRef& path, const CGAffineTransform* transform, CGFloat x, CGFloat y);
void CGPathCloseSubpath(const CGMutablePathRef& path);
void CGPathAddPath(const CGMutablePathRef& path, const CGAffineTransform* transform, const CGPathRef& other);

bool CGPathIsEmpty(const CGPathRef& path);
CGRect CGPathGetBoundingBox(const CGPathRef& path);
std::size_t CGPathGetSubpathCount(const CGPathRef& path);
bool CGPathEqualToPath(const CGPathRef& a, const CGPathRef& b);

// Whether `point` is filled; a null path fills nothing. Edges follow the
// half-open convention of CGRectContainsPoint, so two rectangles that share an
// edge never both claim it.
bool CGPathContainsPoint(const CGPathRef& path, const CGAffineTransform* transform, CGPoint point, bool evenOdd);
inline bool CGPathContainsPoint(const CGPathRef& path, CGPoint point, bool evenOdd)
{
    return CGPathContainsPoint(path, nullptr, point, evenOdd);
}
