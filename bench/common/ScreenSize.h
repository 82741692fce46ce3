#pragma once

// The phone's screen in pixels, the size every recording here is made at.

namespace bench {
constexpr int kWidth = 1170;
constexpr int kHeight = 2532;
}  // namespace bench
