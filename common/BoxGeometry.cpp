#include "common/BoxGeometry.h"

#include <algorithm>
#include <cstdio>

namespace BoxGeometry {

namespace {

// A frame in the single precision every move and resize computes in.
struct Edges {
    float x, y, width, height;
};

// The parent's size, narrowed once.
struct Bounds {
    float width, height;
};

// The finger keeps its grip point on the box; the box stops flush with
// any side it would cross and keeps its size, which passes through as
// doubles.
CGRect moved(const TouchStart& start, const TouchNow& now, CGRect current, Bounds parent)
{
    const double cw = current.size.width, ch = current.size.height;
    float nx = static_cast<float>(now.inParent.x) - static_cast<float>(start.inBox.x);
    float ny = static_cast<float>(now.inParent.y) - static_cast<float>(start.inBox.y);
    nx = std::max(nx, 0.0f);
    if (nx > parent.width - static_cast<float>(cw))
        nx = parent.width - static_cast<float>(cw);
    ny = std::max(ny, 0.0f);
    if (ny > parent.height - static_cast<float>(ch))
        ny = parent.height - static_cast<float>(ch);
    return CGRectMake(nx, ny, cw, ch);
}

// The edges the region's finger drags, from the start frame and the
// finger's whole travel; the other edges keep the values of `current`.
Edges followFinger(Region region, const TouchStart& start, const TouchNow& now, CGRect current)
{
    const float mx = static_cast<float>(now.inParent.x) - static_cast<float>(start.inParent.x);
    const float my = static_cast<float>(now.inParent.y) - static_cast<float>(start.inParent.y);
    const float Sx = static_cast<float>(start.frame.origin.x), Sy = static_cast<float>(start.frame.origin.y);
    const float Sw = static_cast<float>(start.frame.size.width), Sh = static_cast<float>(start.frame.size.height);
    Edges e { static_cast<float>(current.origin.x), static_cast<float>(current.origin.y), static_cast<float>(current.size.width),
        static_cast<float>(current.size.height) };
    const bool left = region == Region::TopLeft || region == Region::Left || region == Region::BottomLeft;
    const bool right = region == Region::TopRight || region == Region::Right || region == Region::BottomRight;
    const bool top = region == Region::TopLeft || region == Region::Top || region == Region::TopRight;
    const bool bottom = region == Region::BottomLeft || region == Region::Bottom || region == Region::BottomRight;
    if (left) {
        e.x = Sx + mx;
        e.width = Sw - mx;
    }
    if (right)
        e.width = Sw + mx;
    if (top) {
        e.y = Sy + my;
        e.height = Sh - my;
    }
    if (bottom)
        e.height = Sh + my;
    return e;
}

// Minimum size: the edge opposite the dragged one stays where it was at
// touch begin. Applies to both directions whichever edge is dragged.
void keepMinimumSize(Edges& e, const TouchStart& start, const TouchNow& now)
{
    const float Sx = static_cast<float>(start.frame.origin.x), Sy = static_cast<float>(start.frame.origin.y);
    const float Sw = static_cast<float>(start.frame.size.width), Sh = static_cast<float>(start.frame.size.height);
    if (e.width < minimumSide) {
        e.width = minimumSide;
        e.x = now.inBox.x < start.inBox.x ? Sx : Sx + Sw - minimumSide;
    }
    if (e.height < minimumSide) {
        e.height = minimumSide;
        e.y = now.inBox.y < start.inBox.y ? Sy : Sy + Sh - minimumSide;
    }
}

// Inside the parent: a crossed left or top side keeps the far edge of the
// start frame; a box as wide or tall as the parent fills it.
void keepInside(Edges& e, const TouchStart& start, Bounds parent)
{
    const float Sx = static_cast<float>(start.frame.origin.x), Sy = static_cast<float>(start.frame.origin.y);
    const float Sw = static_cast<float>(start.frame.size.width), Sh = static_cast<float>(start.frame.size.height);
    if (e.x < 0) {
        e.width = Sx + Sw;
        e.x = 0;
    }
    if (e.y < 0) {
        e.height = Sy + Sh;
        e.y = 0;
    }
    if (e.x + e.width > parent.width)
        e.width = parent.width - e.x;
    if (e.y + e.height > parent.height)
        e.height = parent.height - e.y;
    if (e.width >= parent.width) {
        e.width = parent.width;
        e.x = 0;
    }
    if (e.height >= parent.height) {
        e.height = parent.height;
        e.y = 0;
    }
}

}  // namespace

Region regionAt(CGPoint p, CGSize size)
{
    const double x = p.x, y = p.y, T = bandWidth;
    const float wLimit = static_cast<float>(size.width) - 60.0f;
    const float hLimit = static_cast<float>(size.height) - 60.0f;
    if (T < x && x < wLimit && y < T)
        return Region::Top;
    if (x < T && y < T)
        return Region::TopLeft;
    if (x < T && T < y && y < hLimit)
        return Region::Left;
    if (x < T && y > hLimit)
        return Region::BottomLeft;
    if (T < x && x < wLimit && y > hLimit)
        return Region::Bottom;
    if (x > wLimit && y > hLimit)
        return Region::BottomRight;
    if (x > wLimit && T < y && y < hLimit)
        return Region::Right;
    if (x > wLimit && y < T)
        return Region::TopRight;
    return Region::Move;
}

CGRect frameAfterMove(Region region, const TouchStart& start, const TouchNow& now, CGRect current, CGSize parent)
{
    const Bounds bounds { static_cast<float>(parent.width), static_cast<float>(parent.height) };
    if (region == Region::Move)
        return moved(start, now, current, bounds);
    Edges e = followFinger(region, start, now, current);
    keepMinimumSize(e, start, now);
    keepInside(e, start, bounds);
    return CGRectMake(e.x, e.y, e.width, e.height);
}

std::string readout(CGSize size)
{
    char text[64];
    std::snprintf(text, sizeof text, "W:%.f H:%.f", size.width, size.height);
    return text;
}

}  // namespace BoxGeometry
