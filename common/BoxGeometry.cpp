#include "common/BoxGeometry.h"

#include <algorithm>
#include <cstdio>

namespace BoxGeometry {

std::int32_t regionAt(CGPoint p, CGSize size)
{
    const double x = p.x, y = p.y, T = bandWidth;
    const float wLimit = static_cast<float>(size.width) - 60.0f;
    const float hLimit = static_cast<float>(size.height) - 60.0f;
    if (T < x && x < wLimit && y < T)
        return Top;
    if (x < T && y < T)
        return TopLeft;
    if (x < T && T < y && y < hLimit)
        return Left;
    if (x < T && y > hLimit)
        return BottomLeft;
    if (T < x && x < wLimit && y > hLimit)
        return Bottom;
    if (x > wLimit && y > hLimit)
        return BottomRight;
    if (x > wLimit && T < y && y < hLimit)
        return Right;
    if (x > wLimit && y < T)
        return TopRight;
    return Move;
}

CGRect frameAfterMove(std::int32_t region, const TouchStart& start, const TouchNow& now, CGRect current, CGSize parent)
{
    const float PW = static_cast<float>(parent.width);
    const float PH = static_cast<float>(parent.height);
    const double cw = current.size.width, ch = current.size.height;

    if (region == Move) {
        float nx = static_cast<float>(now.inParent.x) - static_cast<float>(start.inBox.x);
        float ny = static_cast<float>(now.inParent.y) - static_cast<float>(start.inBox.y);
        nx = std::max(nx, 0.0f);
        if (nx > PW - static_cast<float>(cw))
            nx = PW - static_cast<float>(cw);
        ny = std::max(ny, 0.0f);
        if (ny > PH - static_cast<float>(ch))
            ny = PH - static_cast<float>(ch);
        // The size passes through untouched, as doubles.
        return CGRectMake(nx, ny, cw, ch);
    }

    const float mx = static_cast<float>(now.inParent.x) - static_cast<float>(start.inParent.x);
    const float my = static_cast<float>(now.inParent.y) - static_cast<float>(start.inParent.y);
    const float Sx = static_cast<float>(start.frame.origin.x), Sy = static_cast<float>(start.frame.origin.y);
    const float Sw = static_cast<float>(start.frame.size.width), Sh = static_cast<float>(start.frame.size.height);
    float nx = static_cast<float>(current.origin.x), ny = static_cast<float>(current.origin.y);
    float nw = static_cast<float>(cw), nh = static_cast<float>(ch);

    switch (region) {
    case TopLeft:
        nx = Sx + mx;
        ny = Sy + my;
        nw = Sw - mx;
        nh = Sh - my;
        break;
    case Left:
        nx = Sx + mx;
        nw = Sw - mx;
        break;
    case BottomLeft:
        nx = Sx + mx;
        nw = Sw - mx;
        nh = Sh + my;
        break;
    case Bottom: nh = Sh + my; break;
    case BottomRight:
        nw = Sw + mx;
        nh = Sh + my;
        break;
    case Right: nw = Sw + mx; break;
    case TopRight:
        ny = Sy + my;
        nw = Sw + mx;
        nh = Sh - my;
        break;
    case Top:
        ny = Sy + my;
        nh = Sh - my;
        break;
    default: break;
    }

    // Minimum size: the edge opposite the dragged one stays where it was
    // at touch begin.
    if (nw < minimumSide) {
        nw = minimumSide;
        nx = now.inBox.x < start.inBox.x ? Sx : Sx + Sw - minimumSide;
    }
    if (nh < minimumSide) {
        nh = minimumSide;
        ny = now.inBox.y < start.inBox.y ? Sy : Sy + Sh - minimumSide;
    }
    if (nx < 0) {
        nw = Sx + Sw;
        nx = 0;
    }
    if (ny < 0) {
        nh = Sy + Sh;
        ny = 0;
    }
    if (nx + nw > PW)
        nw = PW - nx;
    if (ny + nh > PH)
        nh = PH - ny;
    if (nw >= PW) {
        nw = PW;
        nx = 0;
    }
    if (nh >= PH) {
        nh = PH;
        ny = 0;
    }
    return CGRectMake(nx, ny, nw, nh);
}

std::string readout(CGSize size)
{
    char text[64];
    std::snprintf(text, sizeof text, "W:%.f H:%.f", size.width, size.height);
    return text;
}

}  // namespace BoxGeometry
