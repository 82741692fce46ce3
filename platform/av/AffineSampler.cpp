#include "platform/av/AffineSampler.h"

#include <algorithm>
#include <cstring>

namespace av {

namespace {

bool inside(double x, double y, int width, int height)
{
    // Written so NaN and huge values fail before any integer conversion.
    return x >= 0.0 && y >= 0.0 && x < static_cast<double>(width) && y < static_cast<double>(height);
}

// Pure integer translations (the common crop case) copy row segments.
bool isIntegerTranslation(const AffineTransform& t)
{
    if (t.a != 1.0 || t.b != 0.0 || t.c != 0.0 || t.d != 1.0)
        return false;
    if (!(t.tx > -1e9 && t.tx < 1e9 && t.ty > -1e9 && t.ty < 1e9))
        return false;
    return t.tx == static_cast<double>(static_cast<long>(t.tx)) && t.ty == static_cast<double>(static_cast<long>(t.ty));
}

void copyTranslated(const PlanarImage& src, const PlanarImage& dst, long dx, long dy)
{
    for (int v = 0; v < dst.height; ++v) {
        uint8_t* row = dst.data[0] + static_cast<ptrdiff_t>(v) * dst.linesize[0];
        const long sy = v + dy;
        if (sy < 0 || sy >= src.height) {
            std::memset(row, AffineSampler::kBlackLuma, static_cast<size_t>(dst.width));
            continue;
        }
        const uint8_t* srow = src.data[0] + static_cast<ptrdiff_t>(sy) * src.linesize[0];
        for (int u = 0; u < dst.width;) {
            const long sx = u + dx;
            if (sx < 0 || sx >= src.width) {
                row[u++] = AffineSampler::kBlackLuma;
                continue;
            }
            const int run = static_cast<int>(std::min<long>(dst.width - u, src.width - sx));
            std::memcpy(row + u, srow + sx, static_cast<size_t>(run));
            u += run;
        }
    }
}

}  // namespace

void AffineSampler::render(const PlanarImage& src, const PlanarImage& dst, const AffineTransform& inv)
{
    const bool lumaCopy = isIntegerTranslation(inv);
    if (lumaCopy) {
        copyTranslated(src, dst, static_cast<long>(inv.tx), static_cast<long>(inv.ty));
    } else {
        for (int v = 0; v < dst.height; ++v) {
            uint8_t* row = dst.data[0] + static_cast<ptrdiff_t>(v) * dst.linesize[0];
            const double cy = v + 0.5;
            for (int u = 0; u < dst.width; ++u) {
                const double cx = u + 0.5;
                const double x = inv.a * cx + inv.c * cy + inv.tx;
                const double y = inv.b * cx + inv.d * cy + inv.ty;
                if (!inside(x, y, src.width, src.height)) {
                    row[u] = kBlackLuma;
                } else {
                    row[u] = src.data[0][static_cast<ptrdiff_t>(y) * src.linesize[0] + static_cast<int>(x)];
                }
            }
        }
    }

    // Each output chroma sample stands for a 2x2 luma block; follow the
    // block's centre into the source and take the chroma sample there.
    const int srcChromaW = (src.width + 1) / 2;
    const int srcChromaH = (src.height + 1) / 2;
    const int dstChromaW = (dst.width + 1) / 2;
    const int dstChromaH = (dst.height + 1) / 2;
    for (int cv = 0; cv < dstChromaH; ++cv) {
        uint8_t* rowU = dst.data[1] + static_cast<ptrdiff_t>(cv) * dst.linesize[1];
        uint8_t* rowV = dst.data[2] + static_cast<ptrdiff_t>(cv) * dst.linesize[2];
        const double cy = 2.0 * cv + 1.0;
        for (int cu = 0; cu < dstChromaW; ++cu) {
            const double cx = 2.0 * cu + 1.0;
            const double x = inv.a * cx + inv.c * cy + inv.tx;
            const double y = inv.b * cx + inv.d * cy + inv.ty;
            if (!inside(x, y, src.width, src.height)) {
                rowU[cu] = kBlackChroma;
                rowV[cu] = kBlackChroma;
                continue;
            }
            const int sx = std::min(static_cast<int>(x) / 2, srcChromaW - 1);
            const int sy = std::min(static_cast<int>(y) / 2, srcChromaH - 1);
            rowU[cu] = src.data[1][static_cast<ptrdiff_t>(sy) * src.linesize[1] + sx];
            rowV[cu] = src.data[2][static_cast<ptrdiff_t>(sy) * src.linesize[2] + sx];
        }
    }
}

}  // namespace av
