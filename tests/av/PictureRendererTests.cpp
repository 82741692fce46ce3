#include <gtest/gtest.h>

#include <cstring>

#include "platform/av/AffineSampler.h"
#include "platform/av/FFmpegPtr.h"
#include "platform/av/PictureRenderer.h"

using av::AffineTransform;
using av::FramePtr;
using av::PictureRenderer;
using av::PixelSize;

namespace {

// A decoded-looking picture: every sample differs from its neighbours, and
// it carries what a decoder leaves on a frame.
FramePtr decodedPicture(int width, int height)
{
    FramePtr f = av::makeFrame();
    f->format = AV_PIX_FMT_YUV420P;
    f->width = width;
    f->height = height;
    EXPECT_EQ(av_frame_get_buffer(f.get(), 0), 0);
    uint32_t state = 2463534242u;
    for (int plane = 0; plane < 3; ++plane) {
        const int rows = plane ? (height + 1) / 2 : height;
        for (int r = 0; r < rows; ++r)
            for (int c = 0; c < f->linesize[plane]; ++c) {
                state ^= state << 13;
                state ^= state >> 17;
                state ^= state << 5;
                f->data[plane][r * f->linesize[plane] + c] = static_cast<uint8_t>(state);
            }
    }
    f->pict_type = AV_PICTURE_TYPE_I;
    f->key_frame = 1;
    f->pts = 1234;
    f->color_range = AVCOL_RANGE_MPEG;
    av_frame_new_side_data(f.get(), AV_FRAME_DATA_A53_CC, 16);
    return f;
}

av::PlanarImage viewOf(const AVFrame* f)
{
    av::PlanarImage img;
    for (int i = 0; i < 3; ++i) {
        img.data[i] = f->data[i];
        img.linesize[i] = f->linesize[i];
    }
    img.width = f->width;
    img.height = f->height;
    return img;
}

// What the sampler draws for `layer`, plane by plane, next to what the
// renderer handed out.
void expectSamePicture(const AVFrame* handedOut, const AVFrame* source, const AffineTransform& layer)
{
    FramePtr drawn = av::makeFrame();
    drawn->format = AV_PIX_FMT_YUV420P;
    drawn->width = handedOut->width;
    drawn->height = handedOut->height;
    ASSERT_EQ(av_frame_get_buffer(drawn.get(), 0), 0);
    av::AffineSampler::render(viewOf(source), viewOf(drawn.get()), *layer.inverted());
    for (int plane = 0; plane < 3; ++plane) {
        const int rows = plane ? (drawn->height + 1) / 2 : drawn->height;
        const int columns = plane ? (drawn->width + 1) / 2 : drawn->width;
        for (int r = 0; r < rows; ++r)
            ASSERT_EQ(std::memcmp(handedOut->data[plane] + r * handedOut->linesize[plane],
                          drawn->data[plane] + r * drawn->linesize[plane], static_cast<size_t>(columns)),
                0)
                << "plane " << plane << " row " << r;
    }
}

bool pointsInto(const AVFrame* frame, const AVFrame* source)
{
    const AVBufferRef* buffer = source->buf[0];
    return frame->data[0] >= buffer->data && frame->data[0] < buffer->data + buffer->size;
}

}  // namespace

TEST(PictureRenderer, WholePixelCropsShowTheSourceInPlaceAsDrawn)
{
    const FramePtr source = decodedPicture(118, 96);
    for (auto [tx, ty] : { std::pair { -20.0, -30.0 }, { -21.0, -31.0 }, { -54.0, -34.0 }, { 0.0, 0.0 } }) {
        SCOPED_TRACE(std::to_string(tx) + "," + std::to_string(ty));
        const auto layer = AffineTransform::translation(tx, ty);
        auto renderer = PictureRenderer::create(PixelSize { 64, 62 }, PixelSize { 64, 62 }, *layer.inverted());
        ASSERT_TRUE(renderer);
        auto handedOut = renderer.value().render(source.get());
        ASSERT_TRUE(handedOut) << handedOut.error().message;
        const AVFrame* frame = handedOut.value();
        EXPECT_TRUE(pointsInto(frame, source.get()));
        EXPECT_EQ(frame->width, 64);
        EXPECT_EQ(frame->height, 62);
        expectSamePicture(frame, source.get(), layer);
        // Nothing the decoder left on its frame reaches the encoder: an I
        // picture would force a keyframe there.
        EXPECT_EQ(frame->pict_type, AV_PICTURE_TYPE_NONE);
        EXPECT_EQ(frame->nb_side_data, 0);
        EXPECT_EQ(frame->color_range, AVCOL_RANGE_MPEG);
    }
}

TEST(PictureRenderer, SourceInPlaceStaysAliveUntilReleased)
{
    FramePtr source = decodedPicture(118, 96);
    AVBufferRef* picture = av_buffer_ref(source->buf[0]);
    const auto layer = AffineTransform::translation(-20, -30);
    auto renderer = PictureRenderer::create(PixelSize { 64, 62 }, PixelSize { 64, 62 }, *layer.inverted());
    ASSERT_TRUE(renderer);
    ASSERT_TRUE(renderer.value().render(source.get()));
    source.reset();
    // Ours and the renderer's.
    EXPECT_EQ(av_buffer_get_ref_count(picture), 2);
    renderer.value().release();
    EXPECT_EQ(av_buffer_get_ref_count(picture), 1);
    av_buffer_unref(&picture);
}

TEST(PictureRenderer, CropsThatCannotBeShownInPlaceAreDrawn)
{
    const FramePtr source = decodedPicture(118, 96);
    struct Case {
        AffineTransform layer;
        PixelSize output;
    };
    const Case cases[] = {
        { AffineTransform::translation(-60, -30), { 64, 62 } },  // runs past the right edge: black there
        { AffineTransform { 0, 1, -1, 0, 96, 0 }.then(AffineTransform::translation(-10, -20)), { 64, 62 } },
        { AffineTransform::translation(-20, -30), { 32, 30 } },  // scaled afterwards
    };
    for (const auto& c : cases) {
        auto renderer = PictureRenderer::create(PixelSize { 64, 62 }, c.output, *c.layer.inverted());
        ASSERT_TRUE(renderer);
        auto handedOut = renderer.value().render(source.get());
        ASSERT_TRUE(handedOut) << handedOut.error().message;
        EXPECT_FALSE(pointsInto(handedOut.value(), source.get()));
        EXPECT_EQ(handedOut.value()->width, c.output.width);
        if (c.output == PixelSize { 64, 62 })
            expectSamePicture(handedOut.value(), source.get(), c.layer);
    }
}
