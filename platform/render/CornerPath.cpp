#include "platform/render/CornerPath.h"

#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <string>

namespace render {

namespace {

// Bézier handle length for a quarter circle.
constexpr double circleHandle = 0.5522847498;
// How far the continuous curve spreads the turn along the edges: with 0.6
// the corner starts 1.6 radii from its point and only the middle 36° are a
// circular arc, entered and left through cubic easings.
constexpr double smoothing = 0.6;
constexpr double degrees = 3.14159265358979323846 / 180;

// A point of a corner in corner terms: `u` back along the incoming edge,
// `v` along the outgoing one, from the corner's point.
struct Corner {
    double cx, cy, dx1, dy1, dx2, dy2;
    double x(double u, double v) const { return cx + dx1 * u + dx2 * v; }
    double y(double u, double v) const { return cy + dy1 * u + dy2 * v; }
};

void circularCorner(cairo_t* cr, const Corner& k, double r)
{
    double h = r * (1 - circleHandle);
    cairo_curve_to(cr, k.x(h, 0), k.y(h, 0), k.x(0, h), k.y(0, h), k.x(0, r), k.y(0, r));
}

struct Continuous {
    double r, p, a, b, c, d, arc;
};

// The measures of a smoothed corner of radius r where at most `room` of
// each edge is free: the smoothing gives way first, then the radius.
Continuous continuousMeasures(double r, double room)
{
    double s = smoothing;
    if ((1 + s) * r > room)
        s = std::max(0.0, room / r - 1);
    r = std::min(r, room);
    Continuous m;
    m.r = r;
    m.p = (1 + s) * r;
    m.arc = 90 * (1 - s) * degrees;
    double chord = std::sin(m.arc / 2) * r * std::sqrt(2.0);
    double alpha = (90 * degrees - m.arc) / 2;
    double tangentRun = r * std::tan(alpha / 2);
    double beta = 45 * s * degrees;
    m.c = tangentRun * std::cos(beta);
    m.d = m.c * std::tan(beta);
    m.b = (m.p - chord - m.c - m.d) / 3;
    m.a = 2 * m.b;
    return m;
}

void continuousCorner(cairo_t* cr, const Corner& k, const Continuous& m)
{
    // Easing in along the incoming edge.
    double u1 = m.p - m.a - m.b - m.c;
    cairo_curve_to(cr, k.x(m.p - m.a, 0), k.y(m.p - m.a, 0), k.x(m.p - m.a - m.b, 0), k.y(m.p - m.a - m.b, 0),
        k.x(u1, m.d), k.y(u1, m.d));
    // The circular middle, turning the way the outline runs (clockwise on
    // a screen whose y grows downwards).
    double ox = k.x(m.r, m.r), oy = k.y(m.r, m.r);
    double from = std::atan2(k.y(u1, m.d) - oy, k.x(u1, m.d) - ox);
    double to = std::atan2(k.y(m.d, u1) - oy, k.x(m.d, u1) - ox);
    while (to < from)
        to += 2 * 3.14159265358979323846;
    if (m.arc > 1e-9)
        cairo_arc(cr, ox, oy, m.r, from, to);
    // Easing out along the outgoing edge.
    cairo_curve_to(cr, k.x(0, m.p - m.a - m.b), k.y(0, m.p - m.a - m.b), k.x(0, m.p - m.a), k.y(0, m.p - m.a),
        k.x(0, m.p), k.y(0, m.p));
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
    const Corner corners[4] = {
        { x + w, y, -1, 0, 0, 1 },  // top right: in along the top, out down the right
        { x + w, y + h, 0, -1, -1, 0 },  // bottom right
        { x, y + h, 1, 0, 0, -1 },  // bottom left
        { x, y, 0, 1, 1, 0 },  // top left
    };
    cairo_new_sub_path(cr);
    if (curve == CornerCurve::Circular) {
        cairo_move_to(cr, x + r, y);
        for (const Corner& k : corners) {
            cairo_line_to(cr, k.x(r, 0), k.y(r, 0));
            circularCorner(cr, k, r);
        }
        cairo_close_path(cr);
        return;
    }
    Continuous m = continuousMeasures(r, half);
    cairo_move_to(cr, x + m.p, y);
    for (const Corner& k : corners) {
        cairo_line_to(cr, k.x(m.p, 0), k.y(m.p, 0));
        continuousCorner(cr, k, m);
    }
    cairo_close_path(cr);
}

}  // namespace render
