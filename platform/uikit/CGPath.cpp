#include "platform/uikit/CGPath.h"

#include <algorithm>
#include <limits>

namespace {

CGPoint mapped(CGPoint p, const CGAffineTransform* transform)
{
    return transform ? CGPointApplyAffineTransform(p, *transform) : p;
}

void closeOpen(CGPath& path)
{
    auto size = static_cast<std::uint32_t>(path.points.size());
    if (path.openStart < size)
        path.subpathEnds.push_back(size);
    path.openStart = size;
}

template <class Visit>
void forEachEdge(const CGPath& path, Visit&& visit)
{
    std::uint32_t start = 0;
    auto handle = [&](std::uint32_t end) {
        for (std::uint32_t i = start; i < end; ++i) {
            const CGPoint& a = path.points[i];
            const CGPoint& b = path.points[i + 1 < end ? i + 1 : start];  // every figure fills as closed
            visit(a, b);
        }
        start = end;
    };
    for (std::uint32_t end : path.subpathEnds)
        handle(end);
    if (path.openStart < path.points.size())
        handle(static_cast<std::uint32_t>(path.points.size()));
}

}  // namespace

CGMutablePathRef CGPathCreateMutable()
{
    return std::make_shared<CGPath>();
}

CGPathRef CGPathCreateWithRect(CGRect rect, const CGAffineTransform* transform)
{
    auto path = CGPathCreateMutable();
    CGPathAddRect(path, transform, rect);
    return path;
}

CGMutablePathRef CGPathCreateMutableCopy(const CGPathRef& path)
{
    return path ? std::make_shared<CGPath>(*path) : CGPathCreateMutable();
}

void CGPathAddRect(const CGMutablePathRef& path, const CGAffineTransform* transform, CGRect rect)
{
    if (!path)
        return;
    closeOpen(*path);
    CGFloat x0 = CGRectGetMinX(rect), y0 = CGRectGetMinY(rect), x1 = CGRectGetMaxX(rect), y1 = CGRectGetMaxY(rect);
    // A rectangle with a negative size is the same area; normalise so the
    // half-open edge rule stays on the min side.
    if (x1 < x0)
        std::swap(x0, x1);
    if (y1 < y0)
        std::swap(y0, y1);
    path->points.push_back(mapped({ x0, y0 }, transform));
    path->points.push_back(mapped({ x1, y0 }, transform));
    path->points.push_back(mapped({ x1, y1 }, transform));
    path->points.push_back(mapped({ x0, y1 }, transform));
    closeOpen(*path);
}

void CGPathAddRects(const CGMutablePathRef& path, const CGAffineTransform* transform, const std::vector<CGRect>& rects)
{
    for (const CGRect& rect : rects)
        CGPathAddRect(path, transform, rect);
}

void CGPathMoveToPoint(const CGMutablePathRef& path, const CGAffineTransform* transform, CGFloat x, CGFloat y)
{
    if (!path)
        return;
    closeOpen(*path);
    path->points.push_back(mapped({ x, y }, transform));
}

void CGPathAddLineToPoint(const CGMutablePathRef& path, const CGAffineTransform* transform, CGFloat x, CGFloat y)
{
    if (!path)
        return;
    path->points.push_back(mapped({ x, y }, transform));
}

void CGPathCloseSubpath(const CGMutablePathRef& path)
{
    if (path)
        closeOpen(*path);
}

void CGPathAddPath(const CGMutablePathRef& path, const CGAffineTransform* transform, const CGPathRef& other)
{
    if (!path || !other || path.get() == other.get())
        return;
    closeOpen(*path);
    std::uint32_t start = 0;
    auto copy = [&](std::uint32_t end) {
        for (std::uint32_t i = start; i < end; ++i)
            path->points.push_back(mapped(other->points[i], transform));
        closeOpen(*path);
        start = end;
    };
    for (std::uint32_t end : other->subpathEnds)
        copy(end);
    if (other->openStart < other->points.size())
        copy(static_cast<std::uint32_t>(other->points.size()));
}

bool CGPathIsEmpty(const CGPathRef& path)
{
    return !path || path->points.empty();
}

CGRect CGPathGetBoundingBox(const CGPathRef& path)
{
    if (CGPathIsEmpty(path))
        return CGRectMake(std::numeric_limits<CGFloat>::infinity(), std::numeric_limits<CGFloat>::infinity(), 0, 0);
    CGFloat minX = path->points[0].x, maxX = minX, minY = path->points[0].y, maxY = minY;
    for (const CGPoint& p : path->points) {
        minX = std::min(minX, p.x);
        maxX = std::max(maxX, p.x);
        minY = std::min(minY, p.y);
        maxY = std::max(maxY, p.y);
    }
    return CGRectMake(minX, minY, maxX - minX, maxY - minY);
}

std::size_t CGPathGetSubpathCount(const CGPathRef& path)
{
    if (!path)
        return 0;
    return path->subpathEnds.size() + (path->openStart < path->points.size() ? 1 : 0);
}

bool CGPathEqualToPath(const CGPathRef& a, const CGPathRef& b)
{
    if (!a || !b)
        return !a && !b;
    return a->points == b->points && a->subpathEnds == b->subpathEnds && a->openStart == b->openStart;
}

bool CGPathContainsPoint(const CGPathRef& path, const CGAffineTransform* transform, CGPoint point, bool evenOdd)
{
    if (CGPathIsEmpty(path))
        return false;
    if (transform)
        point = CGPointApplyAffineTransform(point, CGAffineTransformInvert(*transform));
    // Crossings of a ray towards +x, counted with direction. An edge counts
    // when it spans the point's y half-open (its lower end inclusive) and
    // crosses strictly right of the point; for a rectangle that makes the
    // min edges inside and the max edges outside, as CGRectContainsPoint.
    int winding = 0;
    int crossings = 0;
    forEachEdge(*path, [&](const CGPoint& a, const CGPoint& b) {
        bool upward = a.y <= point.y && b.y > point.y;
        bool downward = b.y <= point.y && a.y > point.y;
        if (!upward && !downward)
            return;
        CGFloat t = (point.y - a.y) / (b.y - a.y);
        CGFloat x = a.x + t * (b.x - a.x);
        if (x <= point.x)
            return;
        ++crossings;
        winding += upward ? 1 : -1;
    });
    return evenOdd ? (crossings % 2 == 1) : (winding != 0);
}
