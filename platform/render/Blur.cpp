#include "platform/render/Blur.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace render {

namespace {

// One box pass along a line of `count` samples `step` apart; samples
// outside the line count as zero, so shadows fade at the picture's edges.
void boxLine(const std::uint8_t* in, std::uint8_t* out, int count, std::ptrdiff_t step, int radius)
{
    const int width = 2 * radius + 1;
    int sum = 0;
    for (int i = 0; i <= std::min(radius, count - 1); ++i)
        sum += in[i * step];
    for (int i = 0; i < count; ++i) {
        out[i * step] = static_cast<std::uint8_t>((sum + width / 2) / width);
        int add = i + radius + 1, remove = i - radius;
        if (add < count)
            sum += in[add * step];
        if (remove >= 0)
            sum -= in[remove * step];
    }
}

// Three boxes of this half-width have about the variance of the Gaussian
// (each box of width 2r+1 adds ((2r+1)^2 - 1) / 12); 0 for no blur.
int boxRadius(double sigma, int w, int h)
{
    if (!std::isfinite(sigma) || sigma <= 0.2)
        return 0;
    int radius = std::max(1, static_cast<int>(std::lround((std::sqrt(4 * sigma * sigma + 1) - 1) / 2)));
    return std::min(radius, std::max(w, h));
}

}  // namespace

Surface blurred(const Surface& source, double sigma)
{
    const int w = source.width(), h = source.height();
    Surface result(w, h);
    if (!result.isValid())
        return result;
    const std::ptrdiff_t rowBytes = static_cast<std::ptrdiff_t>(w) * 4;
    std::vector<std::uint8_t> a(static_cast<std::size_t>(rowBytes) * h), b(a.size());
    for (int y = 0; y < h; ++y)
        std::memcpy(&a[static_cast<std::size_t>(y * rowBytes)], source.data() + static_cast<std::ptrdiff_t>(y) * source.stride(), static_cast<std::size_t>(rowBytes));
    // Premultiplied channels blur independently and stay premultiplied.
    if (int radius = boxRadius(sigma, w, h)) {
        for (int pass = 0; pass < 3; ++pass) {
            for (int y = 0; y < h; ++y)
                for (int c = 0; c < 4; ++c)
                    boxLine(&a[static_cast<std::size_t>(y * rowBytes + c)], &b[static_cast<std::size_t>(y * rowBytes + c)], w, 4, radius);
            for (int x = 0; x < w; ++x)
                for (int c = 0; c < 4; ++c)
                    boxLine(&b[static_cast<std::size_t>(x * 4 + c)], &a[static_cast<std::size_t>(x * 4 + c)], h, rowBytes, radius);
        }
    }
    std::uint8_t* out = result.mutableData();
    for (int y = 0; y < h; ++y)
        std::memcpy(out + static_cast<std::ptrdiff_t>(y) * result.stride(), &a[static_cast<std::size_t>(y * rowBytes)], static_cast<std::size_t>(rowBytes));
    result.markDirty();
    return result;
}

Surface blurredAlpha(const Surface& source, double sigma)
{
    const int w = source.width(), h = source.height();
    Surface result(w, h);
    if (!result.isValid())
        return result;
    std::vector<std::uint8_t> a(static_cast<std::size_t>(w) * h), b(a.size());
    const std::uint8_t* in = source.data();
    for (int y = 0; y < h; ++y) {
        const auto* row = reinterpret_cast<const std::uint32_t*>(in + static_cast<std::ptrdiff_t>(y) * source.stride());
        for (int x = 0; x < w; ++x)
            a[static_cast<std::size_t>(y) * w + x] = static_cast<std::uint8_t>(row[x] >> 24);
    }
    if (int radius = boxRadius(sigma, w, h)) {
        for (int pass = 0; pass < 3; ++pass) {
            for (int y = 0; y < h; ++y)
                boxLine(&a[static_cast<std::size_t>(y) * w], &b[static_cast<std::size_t>(y) * w], w, 1, radius);
            for (int x = 0; x < w; ++x)
                boxLine(&b[x], &a[x], h, w, radius);
        }
    }
    std::uint8_t* out = result.mutableData();
    for (int y = 0; y < h; ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(out + static_cast<std::ptrdiff_t>(y) * result.stride());
        for (int x = 0; x < w; ++x) {
            std::uint32_t v = a[static_cast<std::size_t>(y) * w + x];
            row[x] = (v << 24) | (v << 16) | (v << 8) | v;
        }
    }
    result.markDirty();
    return result;
}

}  // namespace render
