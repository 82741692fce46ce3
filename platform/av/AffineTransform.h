#pragma once

#include <optional>

namespace av {

// Same layout and meaning as CGAffineTransform:
//   x' = a*x + c*y + tx
//   y' = b*x + d*y + ty
struct AffineTransform {
    double a = 1, b = 0, c = 0, d = 1, tx = 0, ty = 0;

    struct Point {
        double x = 0, y = 0;
    };

    static AffineTransform identity() { return {}; }
    static AffineTransform translation(double tx, double ty);
    static AffineTransform scale(double sx, double sy);
    static AffineTransform rotation(double radians);

    // `this` applied first, then `next` (CGAffineTransformConcat order).
    [[nodiscard]] AffineTransform then(const AffineTransform& next) const;
    [[nodiscard]] std::optional<AffineTransform> inverted() const;
    [[nodiscard]] Point apply(double x, double y) const;
    double determinant() const { return a * d - b * c; }

    bool operator==(const AffineTransform&) const = default;
};

}  // namespace av
