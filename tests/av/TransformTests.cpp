#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>
#include <vector>

#include "platform/av/AffineSampler.h"
#include "platform/av/AffineTransform.h"

using av::AffineSampler;
using av::AffineTransform;

namespace {

// Small 4:2:0 picture whose luma encodes its own coordinates and whose
// chroma encodes the chroma coordinates, so every sample says where it
// came from.
struct TestPicture {
    int width, height;
    std::vector<uint8_t> y, u, v;

    TestPicture(int w, int h)
        : width(w)
        , height(h)
    {
        const int cw = (w + 1) / 2, ch = (h + 1) / 2;
        y.resize(static_cast<size_t>(w) * h);
        u.resize(static_cast<size_t>(cw) * ch);
        v.resize(u.size());
    }
    static TestPicture coded(int w, int h)
    {
        TestPicture p(w, h);
        for (int r = 0; r < h; ++r)
            for (int c = 0; c < w; ++c)
                p.y[r * w + c] = static_cast<uint8_t>(20 + r * 16 + c);
        const int cw = (w + 1) / 2;
        for (int r = 0; r < (h + 1) / 2; ++r)
            for (int c = 0; c < cw; ++c) {
                p.u[r * cw + c] = static_cast<uint8_t>(c);
                p.v[r * cw + c] = static_cast<uint8_t>(r);
            }
        return p;
    }
    av::PlanarImage view()
    {
        av::PlanarImage img;
        img.data[0] = y.data();
        img.data[1] = u.data();
        img.data[2] = v.data();
        img.linesize[0] = width;
        img.linesize[1] = img.linesize[2] = (width + 1) / 2;
        img.width = width;
        img.height = height;
        return img;
    }
    uint8_t luma(int x, int yy) const { return y[yy * width + x]; }
    uint8_t cb(int x, int yy) const { return u[yy * ((width + 1) / 2) + x]; }
    uint8_t cr(int x, int yy) const { return v[yy * ((width + 1) / 2) + x]; }
};

void render(TestPicture& src, TestPicture& dst, const AffineTransform& layer)
{
    AffineSampler::render(src.view(), dst.view(), *layer.inverted());
}

}  // namespace

TEST(AffineTransform, AppliesLikeCoreGraphics)
{
    const AffineTransform t { 2, 3, 5, 7, 11, 13 };
    const auto p = t.apply(1, 10);
    EXPECT_DOUBLE_EQ(p.x, 2 * 1 + 5 * 10 + 11);
    EXPECT_DOUBLE_EQ(p.y, 3 * 1 + 7 * 10 + 13);
}

TEST(AffineTransform, InverseUndoesTransform)
{
    const AffineTransform t = AffineTransform::rotation(0.7).then(AffineTransform::scale(1.5, 0.5)).then(AffineTransform::translation(-60, 300));
    const auto inv = t.inverted();
    ASSERT_TRUE(inv.has_value());
    const auto p = t.apply(123.25, -7.5);
    const auto back = inv->apply(p.x, p.y);
    EXPECT_NEAR(back.x, 123.25, 1e-9);
    EXPECT_NEAR(back.y, -7.5, 1e-9);
}

TEST(AffineTransform, ThenAppliesLeftFirst)
{
    const auto t = AffineTransform::scale(2, 2).then(AffineTransform::translation(10, 0));
    const auto p = t.apply(1, 1);
    EXPECT_DOUBLE_EQ(p.x, 12);  // scaled to 2, then moved
    EXPECT_DOUBLE_EQ(p.y, 2);
}

TEST(AffineTransform, SingularHasNoInverse)
{
    EXPECT_FALSE((AffineTransform { 1, 2, 2, 4, 0, 0 }.inverted().has_value()));
    EXPECT_FALSE((AffineTransform { 0, 0, 0, 0, 5, 5 }.inverted().has_value()));
    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_FALSE((AffineTransform { nan, 0, 0, 1, 0, 0 }.inverted().has_value()));
}

TEST(AffineSampler, TranslationPicksSourceAtOffset)
{
    auto src = TestPicture::coded(12, 10);
    TestPicture dst(4, 4);
    render(src, dst, AffineTransform::translation(-6, -2));
    for (int v = 0; v < 4; ++v)
        for (int u = 0; u < 4; ++u)
            EXPECT_EQ(dst.luma(u, v), src.luma(u + 6, v + 2)) << u << "," << v;
    // Chroma sample (0,0) covers output luma 0..1 = source luma 6..7.
    EXPECT_EQ(dst.cb(0, 0), src.cb(3, 1));
    EXPECT_EQ(dst.cr(1, 1), src.cr(4, 2));
}

TEST(AffineSampler, OutsideSourceIsBlack)
{
    auto src = TestPicture::coded(4, 4);
    TestPicture dst(8, 8);
    render(src, dst, AffineTransform::translation(2, 2));
    EXPECT_EQ(dst.luma(0, 0), AffineSampler::kBlackLuma);
    EXPECT_EQ(dst.luma(1, 5), AffineSampler::kBlackLuma);
    EXPECT_EQ(dst.luma(6, 6), AffineSampler::kBlackLuma);
    EXPECT_EQ(dst.luma(2, 2), src.luma(0, 0));
    EXPECT_EQ(dst.luma(5, 5), src.luma(3, 3));
    EXPECT_EQ(dst.cb(0, 0), AffineSampler::kBlackChroma);
    EXPECT_EQ(dst.cr(3, 3), AffineSampler::kBlackChroma);
    EXPECT_EQ(dst.cb(1, 1), src.cb(0, 0));
}

TEST(AffineSampler, QuarterTurnMatchesPortraitRecordingTransform)
{
    // {0, 1, -1, 0, h, 0}: source (x, y) lands at (h - 1 - y, x).
    const int w = 6, h = 4;
    auto src = TestPicture::coded(w, h);
    TestPicture dst(h, w);
    render(src, dst, AffineTransform { 0, 1, -1, 0, static_cast<double>(h), 0 });
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            EXPECT_EQ(dst.luma(h - 1 - y, x), src.luma(x, y)) << x << "," << y;
}

TEST(AffineSampler, RotationBuiltFromAngleIsPixelExact)
{
    // cos(pi/2) is 6e-17, not 0; pixel centres must still land inside the
    // right source pixel.
    const int w = 8, h = 6;
    auto src = TestPicture::coded(w, h);
    TestPicture dst(w, h);
    const auto halfTurn = AffineTransform::rotation(std::numbers::pi).then(AffineTransform::translation(w, h));
    render(src, dst, halfTurn);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            EXPECT_EQ(dst.luma(w - 1 - x, h - 1 - y), src.luma(x, y));
}

TEST(AffineSampler, ScaleUpRepeatsNearestPixel)
{
    auto src = TestPicture::coded(4, 4);
    TestPicture dst(8, 8);
    render(src, dst, AffineTransform::scale(2, 2));
    for (int v = 0; v < 8; ++v)
        for (int u = 0; u < 8; ++u)
            EXPECT_EQ(dst.luma(u, v), src.luma(u / 2, v / 2));
}

TEST(AffineSampler, OddSizesStayInsideBuffers)
{
    auto src = TestPicture::coded(5, 3);
    TestPicture dst(7, 5);
    render(src, dst, AffineTransform::translation(1, 1));
    EXPECT_EQ(dst.luma(1, 1), src.luma(0, 0));
    EXPECT_EQ(dst.luma(5, 3), src.luma(4, 2));
    EXPECT_EQ(dst.luma(6, 4), AffineSampler::kBlackLuma);
}

TEST(AffineSampler, HugeOrNanTransformGivesBlackNotCrash)
{
    auto src = TestPicture::coded(4, 4);
    TestPicture dst(4, 4);
    AffineSampler::render(src.view(), dst.view(), AffineTransform::translation(1e300, -1e300));
    EXPECT_EQ(dst.luma(0, 0), AffineSampler::kBlackLuma);
    const double nan = std::numeric_limits<double>::quiet_NaN();
    AffineSampler::render(src.view(), dst.view(), AffineTransform { nan, 0, 0, 1, 0, 0 });
    EXPECT_EQ(dst.luma(3, 3), AffineSampler::kBlackLuma);
    EXPECT_EQ(dst.cb(1, 1), AffineSampler::kBlackChroma);
}

namespace {

// Every sample differs from its neighbours, so a map that is off by one
// shows up.
TestPicture scrambled(int w, int h)
{
    TestPicture p(w, h);
    uint32_t state = 2463534242u;
    auto next = [&state] {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return static_cast<uint8_t>(state);
    };
    for (auto* plane : { &p.y, &p.u, &p.v })
        for (auto& s : *plane)
            s = next();
    return p;
}

void expectMappedMatchesPerPixel(const AffineTransform& layer, int srcW, int srcH, int dstW, int dstH)
{
    auto src = scrambled(srcW, srcH);
    TestPicture mapped(dstW, dstH), perPixel(dstW, dstH);
    const auto inverse = *layer.inverted();
    AffineSampler::render(src.view(), mapped.view(), inverse);
    AffineSampler::renderPerPixel(src.view(), perPixel.view(), inverse);
    EXPECT_EQ(mapped.y, perPixel.y) << "luma, " << srcW << "x" << srcH << " -> " << dstW << "x" << dstH;
    EXPECT_EQ(mapped.u, perPixel.u) << "cb, " << srcW << "x" << srcH << " -> " << dstW << "x" << dstH;
    EXPECT_EQ(mapped.v, perPixel.v) << "cr, " << srcW << "x" << srcH << " -> " << dstW << "x" << dstH;
}

}  // namespace

TEST(AffineSampler, MappedCropsMatchPerPixelSampling)
{
    for (double tx : { 0.0, -3.0, -4.0, 5.0, -2.5, 0.25 })
        for (double ty : { 0.0, -7.0, -6.0, 3.0, -1.5 })
            expectMappedMatchesPerPixel(AffineTransform::translation(tx, ty), 33, 21, 16, 12);
}

TEST(AffineSampler, MappedQuarterTurnsAndFlipsMatchPerPixelSampling)
{
    const int w = 37, h = 23;
    const AffineTransform layers[] = {
        { 0, 1, -1, 0, static_cast<double>(h), 0 },  // portrait recording held in landscape
        { 0, -1, 1, 0, 0, static_cast<double>(w) },  // the other landscape
        { -1, 0, 0, -1, static_cast<double>(w), static_cast<double>(h) },  // upside down
        { -1, 0, 0, 1, static_cast<double>(w), 0 },  // mirrored
        { 1, 0, 0, -1, 0, static_cast<double>(h) },  // flipped
        { 0, 1, 1, 0, 0, 0 },  // transposed
    };
    for (const auto& layer : layers) {
        for (auto [tx, ty] : { std::pair { 0.0, 0.0 }, { -5.0, -3.0 }, { -6.0, -8.0 }, { 4.0, -11.0 } }) {
            const auto cropped = layer.then(AffineTransform::translation(tx, ty));
            expectMappedMatchesPerPixel(cropped, w, h, 20, 14);
            expectMappedMatchesPerPixel(cropped, w, h, 15, 27);
        }
    }
}

TEST(AffineSampler, MappedScalesMatchPerPixelSampling)
{
    for (double s : { 2.0, 0.5, 1.5, 0.75, 3.0 }) {
        expectMappedMatchesPerPixel(AffineTransform::scale(s, s), 19, 13, 24, 18);
        expectMappedMatchesPerPixel(AffineTransform::scale(s, 1.0 / s).then(AffineTransform::translation(-3, 2)), 19,
            13, 24, 18);
        expectMappedMatchesPerPixel(AffineTransform { 0, s, -s, 0, 13.0 * s, 0 }, 19, 13, 24, 18);
    }
}

TEST(AffineSampler, WindowIsExactlyWhatRenderDraws)
{
    const int w = 33, h = 21, outW = 16, outH = 12;
    const auto src = scrambled(w, h);
    struct Layer {
        AffineTransform t;
        bool window;
    };
    const Layer layers[] = {
        { AffineTransform::translation(-4, -6), true },
        { AffineTransform::translation(-3, -7), true },  // odd: chroma starts half a sample on
        { AffineTransform::translation(-3.25, -6.75), true },  // lands on the same samples
        { AffineTransform::translation(0, 0), true },
        { AffineTransform::translation(-17, -9), true },  // against the right and bottom edges
        { AffineTransform::translation(-18, -9), false },  // one column past the edge is black
        { AffineTransform::translation(1, 0), false },
        { AffineTransform::scale(2, 2), false },
        { AffineTransform::scale(0.5, 0.5), false },
        { AffineTransform { -1, 0, 0, 1, 16, 0 }, false },  // mirrored
        { AffineTransform { 0, 1, -1, 0, 21, 0 }, false },  // quarter turn
    };
    for (const auto& layer : layers) {
        const auto inverse = *layer.t.inverted();
        const auto window = AffineSampler::windowOf(w, h, outW, outH, inverse);
        ASSERT_EQ(window.has_value(), layer.window) << layer.t.tx << "," << layer.t.ty;
        if (!window)
            continue;
        auto source = src;
        TestPicture drawn(outW, outH);
        AffineSampler::render(source.view(), drawn.view(), inverse);
        for (int v = 0; v < outH; ++v)
            for (int u = 0; u < outW; ++u)
                ASSERT_EQ(drawn.luma(u, v), src.luma(u + window->x[0], v + window->y[0])) << u << "," << v;
        for (int v = 0; v < outH / 2; ++v)
            for (int u = 0; u < outW / 2; ++u) {
                ASSERT_EQ(drawn.cb(u, v), src.cb(u + window->x[1], v + window->y[1])) << u << "," << v;
                ASSERT_EQ(drawn.cr(u, v), src.cr(u + window->x[2], v + window->y[2])) << u << "," << v;
            }
    }
}
