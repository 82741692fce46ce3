#pragma once

#include <cstdint>

namespace av {

// Exact fraction of a second, e.g. {1, 30} for one frame at 30 fps.
struct Rational {
    int64_t num = 0;
    int64_t den = 1;

    bool isPositive() const { return num > 0 && den > 0; }
    double toDouble() const { return den == 0 ? 0.0 : static_cast<double>(num) / static_cast<double>(den); }
    bool operator==(const Rational&) const = default;
};

}  // namespace av
