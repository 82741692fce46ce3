#include "platform/render/CornerPath.h"

#include <cairo.h>

#include <algorithm>
#include <string>

namespace render {

namespace {

// Bézier handle length for a quarter circle.
constexpr double circleHandle = 0.5522847498;
// The continuous corner starts this many radii from the corner and bends
// through two cubic segments; the middle point sits on the corner's
// diagonal at about the circle's distance, so the corner reads as the same
// size as a circular one.
constexpr double continuousExtent = 1.528665;

void circularCorner(cairo_t* cr, double cx, double cy, double dx1, double dy1, double dx2, double dy2, double r)
{
    // From the point r along the incoming edge to the point r along the
    // outgoing edge; (dx1, dy1) points from the corner back along the
    // incoming edge, (dx2, dy2) along the outgoing one.
    double k = r * (1 - circleHandle);
    cairo_curve_to(cr, cx + dx1 * k, cy + dy1 * k, cx + dx2 * k, cy + dy2 * k, cx + dx2 * r, cy + dy2 * r);
}

void continuousCorner(cairo_t* cr, double cx, double cy, double dx1, double dy1, double dx2, double dy2, double r,
    double extent)
{
    // Two cubics meeting on the diagonal. Each starts tangent to its edge
    // with a long, gentle handle (low curvature where it leaves the straight
    // edge) and arrives at the diagonal point perpendicular to the diagonal.
    double e = extent;
    // The diagonal point, measured from the corner along each edge.
    double m = r * 0.2929 * 1.0;
    double h1 = e * 0.64;        // first handle, along the edge
    double h2 = r * 0.35;        // handle across the diagonal point
    auto px = [&](double along1, double along2) { return cx + dx1 * along1 + dx2 * along2; };
    auto py = [&](double along1, double along2) { return cy + dy1 * along1 + dy2 * along2; };
    // Diagonal point: `m` along both edges (from the corner).
    // Tangent at the diagonal point runs from edge 1 towards edge 2.
    double t = h2 / 1.41421356;
    cairo_curve_to(cr, px(e - h1, 0), py(e - h1, 0), px(m + t, m - t), py(m + t, m - t), px(m, m), py(m, m));
    cairo_curve_to(cr, px(m - t, m + t), py(m - t, m + t), px(0, e - h1), py(0, e - h1), px(0, e), py(0, e));
}

}  // namespace

CornerCurve cornerCurveNamed(const std::string& name)
{
    return name == "continuous" ? CornerCurve::Continuous : CornerCurve::Circular;
}

void addRoundedRect(cairo_t* cr, CGRect rect, CGFloat radius, CornerCurve curve)
{
    double x = rect.origin.x, y = rect.origin.y, w = rect.size.width, h = rect.size.height;
    if (!(w > 0) || !(h > 0))
        return;
    double half = std::min(w, h) / 2;
    double r = std::clamp<double>(std::isfinite(radius) ? radius : 0, 0, half);
    if (r <= 0) {
        cairo_rectangle(cr, x, y, w, h);
        return;
    }
    if (curve == CornerCurve::Circular) {
        cairo_new_sub_path(cr);
        cairo_move_to(cr, x + r, y);
        cairo_line_to(cr, x + w - r, y);
        circularCorner(cr, x + w, y, -1, 0, 0, 1, r);
        cairo_line_to(cr, x + w, y + h - r);
        circularCorner(cr, x + w, y + h, 0, -1, -1, 0, r);
        cairo_line_to(cr, x + r, y + h);
        circularCorner(cr, x, y + h, 1, 0, 0, -1, r);
        cairo_line_to(cr, x, y + r);
        circularCorner(cr, x, y, 0, 1, 1, 0, r);
        cairo_close_path(cr);
        return;
    }
    // The continuous corner needs room for its longer run along the edges;
    // where the side is too short the corner shrinks, keeping its shape.
    double extent = std::min(r * continuousExtent, half);
    double effective = extent / continuousExtent;
    cairo_new_sub_path(cr);
    cairo_move_to(cr, x + extent, y);
    cairo_line_to(cr, x + w - extent, y);
    continuousCorner(cr, x + w, y, -1, 0, 0, 1, effective, extent);
    cairo_line_to(cr, x + w, y + h - extent);
    continuousCorner(cr, x + w, y + h, 0, -1, -1, 0, effective, extent);
    cairo_line_to(cr, x + extent, y + h);
    continuousCorner(cr, x, y + h, 1, 0, 0, -1, effective, extent);
    cairo_line_to(cr, x, y + extent);
    continuousCorner(cr, x, y, 0, 1, 1, 0, effective, extent);
    cairo_close_path(cr);
}

}  // namespace render
