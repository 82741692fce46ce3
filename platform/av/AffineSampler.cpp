#include "platform/av/AffineSampler.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace av {

namespace {

bool inside(double x, double y, int width, int height)
{
    // Written so NaN and huge values fail before any integer conversion.
    return x >= 0.0 && y >= 0.0 && x < static_cast<double>(width) && y < static_cast<double>(height);
}

bool insideSpan(double p, int length)
{
    return p >= 0.0 && p < static_cast<double>(length);
}

// One plane's geometry: output sample (i, j) stands for the point
// (i * scale + offset, j * scale + offset) in luma output coordinates, and a
// source luma coordinate p lands on plane sample min(p / divisor, last).
struct PlaneGeometry {
    double scale;
    double offset;
    int divisor;
};

// Source index along one source axis for each output index, or -1 outside.
// `along` is the output coordinate's factor for that source axis, `across`
// the other output coordinate's (zero or a signed zero for a separable
// transform, so it cannot change the sum); the arithmetic is the per-pixel
// path's, term for term, so both pick the same sample.
void buildMap(std::vector<int>& map, int count, double along, double across, double translate, const PlaneGeometry& g,
    int lumaLength, int planeLength)
{
    map.resize(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        const double centre = i * g.scale + g.offset;
        const double p = along * centre + across * g.offset + translate;
        if (!insideSpan(p, lumaLength)) {
            map[static_cast<size_t>(i)] = -1;
            continue;
        }
        map[static_cast<size_t>(i)] = std::min(static_cast<int>(p) / g.divisor, planeLength - 1);
    }
}

// Output columns [first, first + length) read consecutive source samples
// starting at map[first]; every other column is outside.
struct Run {
    int first = 0;
    int length = 0;
    bool contiguous = false;
};

Run findRun(const std::vector<int>& map)
{
    Run r;
    const int n = static_cast<int>(map.size());
    while (r.first < n && map[static_cast<size_t>(r.first)] < 0)
        ++r.first;
    int end = r.first;
    while (end < n && map[static_cast<size_t>(end)] >= 0)
        ++end;
    r.length = end - r.first;
    r.contiguous = true;
    for (int i = end; i < n; ++i) {
        if (map[static_cast<size_t>(i)] >= 0)
            r.contiguous = false;
    }
    for (int i = r.first + 1; i < end && r.contiguous; ++i) {
        if (map[static_cast<size_t>(i)] != map[static_cast<size_t>(i - 1)] + 1)
            r.contiguous = false;
    }
    return r;
}

// Each source row feeds one output row (no rotation): copy runs when the
// columns are consecutive, gather through the column map otherwise.
void renderStraight(const uint8_t* src, int srcStride, uint8_t* dst, int dstStride, int width, int height,
    const std::vector<int>& columns, const std::vector<int>& rows, uint8_t black)
{
    const Run run = findRun(columns);
    for (int v = 0; v < height; ++v) {
        uint8_t* out = dst + static_cast<ptrdiff_t>(v) * dstStride;
        const int sy = rows[static_cast<size_t>(v)];
        if (sy < 0) {
            std::memset(out, black, static_cast<size_t>(width));
            continue;
        }
        const uint8_t* in = src + static_cast<ptrdiff_t>(sy) * srcStride;
        if (run.contiguous) {
            std::memset(out, black, static_cast<size_t>(run.first));
            if (run.length > 0)
                std::memcpy(out + run.first, in + columns[static_cast<size_t>(run.first)], static_cast<size_t>(run.length));
            std::memset(out + run.first + run.length, black, static_cast<size_t>(width - run.first - run.length));
            continue;
        }
        for (int u = 0; u < width; ++u) {
            const int sx = columns[static_cast<size_t>(u)];
            out[u] = sx < 0 ? black : in[sx];
        }
    }
}

// Quarter turns: an output row is a source column. Output rows go in bands
// so the source rows read for one band stay in cache across it; within a
// band only the rows that land inside the source are visited.
void renderTurned(const uint8_t* src, int srcStride, uint8_t* dst, int dstStride, int width, int height,
    const std::vector<int>& sourceRowOfColumn, const std::vector<int>& sourceColumnOfRow, uint8_t black)
{
    constexpr int kBand = 16;
    struct Row {
        uint8_t* out;
        int sx;
    };
    Row rows[kBand];
    for (int v0 = 0; v0 < height; v0 += kBand) {
        const int v1 = std::min(height, v0 + kBand);
        int count = 0;
        for (int v = v0; v < v1; ++v) {
            uint8_t* out = dst + static_cast<ptrdiff_t>(v) * dstStride;
            const int sx = sourceColumnOfRow[static_cast<size_t>(v)];
            if (sx < 0)
                std::memset(out, black, static_cast<size_t>(width));
            else
                rows[count++] = { out, sx };
        }
        if (!count)
            continue;
        for (int u = 0; u < width; ++u) {
            const int sy = sourceRowOfColumn[static_cast<size_t>(u)];
            if (sy < 0) {
                for (int k = 0; k < count; ++k)
                    rows[k].out[u] = black;
                continue;
            }
            const uint8_t* in = src + static_cast<ptrdiff_t>(sy) * srcStride;
            for (int k = 0; k < count; ++k)
                rows[k].out[u] = in[rows[k].sx];
        }
    }
}

enum class Layout { Straight,
    Turned,
    Other };

Layout layoutOf(const AffineTransform& t)
{
    if (t.b == 0.0 && t.c == 0.0)
        return Layout::Straight;
    if (t.a == 0.0 && t.d == 0.0)
        return Layout::Turned;
    return Layout::Other;
}

void renderPlane(const PlanarImage& src, const PlanarImage& dst, int plane, const AffineTransform& inv,
    const PlaneGeometry& g, int width, int height, uint8_t black, std::vector<int>& mapA, std::vector<int>& mapB)
{
    const int planeW = plane ? (src.width + 1) / 2 : src.width;
    const int planeH = plane ? (src.height + 1) / 2 : src.height;
    if (layoutOf(inv) == Layout::Straight) {
        // x = a*cx + c*cy + tx with c == 0; y = b*cx + d*cy + ty with b == 0.
        buildMap(mapA, width, inv.a, inv.c, inv.tx, g, src.width, planeW);
        buildMap(mapB, height, inv.d, inv.b, inv.ty, g, src.height, planeH);
        renderStraight(src.data[plane], src.linesize[plane], dst.data[plane], dst.linesize[plane], width, height, mapA,
            mapB, black);
    } else {
        // y = b*cx + d*cy + ty follows the output column, x = a*cx + c*cy + tx the row.
        buildMap(mapA, width, inv.b, inv.d, inv.ty, g, src.height, planeH);
        buildMap(mapB, height, inv.c, inv.a, inv.tx, g, src.width, planeW);
        renderTurned(src.data[plane], src.linesize[plane], dst.data[plane], dst.linesize[plane], width, height, mapA,
            mapB, black);
    }
}

}  // namespace

void AffineSampler::render(const PlanarImage& src, const PlanarImage& dst, const AffineTransform& inv)
{
    if (layoutOf(inv) == Layout::Other) {
        renderPerPixel(src, dst, inv);
        return;
    }
    // Both coordinates of a pixel are inside or the sample is black, and the
    // maps mark each coordinate on its own, which comes to the same thing.
    std::vector<int> mapA, mapB;
    const PlaneGeometry luma { 1.0, 0.5, 1 };
    renderPlane(src, dst, 0, inv, luma, dst.width, dst.height, kBlackLuma, mapA, mapB);
    const PlaneGeometry chroma { 2.0, 1.0, 2 };
    const int chromaW = (dst.width + 1) / 2;
    const int chromaH = (dst.height + 1) / 2;
    renderPlane(src, dst, 1, inv, chroma, chromaW, chromaH, kBlackChroma, mapA, mapB);
    renderPlane(src, dst, 2, inv, chroma, chromaW, chromaH, kBlackChroma, mapA, mapB);
}

std::optional<AffineSampler::Window> AffineSampler::windowOf(int sourceWidth, int sourceHeight, int outputWidth,
    int outputHeight, const AffineTransform& inv)
{
    // Only a map that render() itself would use straight, and only when it
    // is every source index from its first on, in order.
    if (layoutOf(inv) != Layout::Straight || sourceWidth <= 0 || sourceHeight <= 0 || outputWidth <= 0 || outputHeight <= 0)
        return std::nullopt;
    auto firstOfRun = [](const std::vector<int>& map) -> std::optional<int> {
        if (map.empty() || map.front() < 0)
            return std::nullopt;
        for (size_t i = 1; i < map.size(); ++i) {
            if (map[i] != map[0] + static_cast<int>(i))
                return std::nullopt;
        }
        return map.front();
    };
    Window window;
    std::vector<int> columns, rows;
    for (int plane = 0; plane < 3; ++plane) {
        const bool chroma = plane > 0;
        const PlaneGeometry g = chroma ? PlaneGeometry { 2.0, 1.0, 2 } : PlaneGeometry { 1.0, 0.5, 1 };
        const int planeW = chroma ? (sourceWidth + 1) / 2 : sourceWidth;
        const int planeH = chroma ? (sourceHeight + 1) / 2 : sourceHeight;
        const int width = chroma ? (outputWidth + 1) / 2 : outputWidth;
        const int height = chroma ? (outputHeight + 1) / 2 : outputHeight;
        buildMap(columns, width, inv.a, inv.c, inv.tx, g, sourceWidth, planeW);
        buildMap(rows, height, inv.d, inv.b, inv.ty, g, sourceHeight, planeH);
        const auto x = firstOfRun(columns), y = firstOfRun(rows);
        if (!x || !y)
            return std::nullopt;
        window.x[plane] = *x;
        window.y[plane] = *y;
    }
    return window;
}

void AffineSampler::renderPerPixel(const PlanarImage& src, const PlanarImage& dst, const AffineTransform& inv)
{
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
