#include "platform/av/AffineTransform.h"

#include <cmath>

namespace av {

AffineTransform AffineTransform::translation(double tx, double ty)
{
    return { 1, 0, 0, 1, tx, ty };
}

AffineTransform AffineTransform::scale(double sx, double sy)
{
    return { sx, 0, 0, sy, 0, 0 };
}

AffineTransform AffineTransform::rotation(double radians)
{
    const double cs = std::cos(radians);
    const double sn = std::sin(radians);
    return { cs, sn, -sn, cs, 0, 0 };
}

AffineTransform AffineTransform::then(const AffineTransform& n) const
{
    return { a * n.a + b * n.c, a * n.b + b * n.d, c * n.a + d * n.c,
        c * n.b + d * n.d, tx * n.a + ty * n.c + n.tx, tx * n.b + ty * n.d + n.ty };
}

std::optional<AffineTransform> AffineTransform::inverted() const
{
    const double det = determinant();
    // A (nearly) singular transform squashes the picture onto a line; there
    // is no meaningful source pixel for most output pixels.
    if (!std::isfinite(det) || std::fabs(det) < 1e-12)
        return std::nullopt;
    AffineTransform inv { d / det, -b / det, -c / det, a / det, 0, 0 };
    inv.tx = -(tx * inv.a + ty * inv.c);
    inv.ty = -(tx * inv.b + ty * inv.d);
    return inv;
}

AffineTransform::Point AffineTransform::apply(double x, double y) const
{
    return { a * x + c * y + tx, b * x + d * y + ty };
}

}  // namespace av
