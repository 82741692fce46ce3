#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "platform/av/DecodedFramePool.h"
#include "platform/av/FFmpegPtr.h"
#include "platform/av/InputMovie.h"
#include "tests/support/Media.h"
#include "tests/support/TempDir.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

namespace {

// Every picture of the movie's video track, decoded with the pool given
// (FFmpeg's own memory when null), kept alive to the end.
std::vector<av::FramePtr> decodeAll(const std::string& path, av::DecodedFramePool* pool, int threads)
{
    auto movie = av::InputMovie::open(path);
    EXPECT_TRUE(movie.ok());
    AVStream* stream = movie.value().videoStream();
    const AVCodec* codec = avcodec_find_decoder(stream->codecpar->codec_id);
    av::CodecContextPtr context(avcodec_alloc_context3(codec));
    avcodec_parameters_to_context(context.get(), stream->codecpar);
    context->thread_count = threads;
    if (pool)
        pool->attach(context.get());
    EXPECT_EQ(avcodec_open2(context.get(), codec, nullptr), 0);
    std::vector<av::FramePtr> pictures;
    av::PacketPtr packet = av::makePacket();
    auto receive = [&] {
        for (;;) {
            av::FramePtr frame = av::makeFrame();
            if (avcodec_receive_frame(context.get(), frame.get()) < 0)
                return;
            pictures.push_back(std::move(frame));
        }
    };
    while (av_read_frame(movie.value().format(), packet.get()) >= 0) {
        if (packet->stream_index == stream->index) {
            EXPECT_EQ(avcodec_send_packet(context.get(), packet.get()), 0);
            receive();
        }
        av_packet_unref(packet.get());
    }
    avcodec_send_packet(context.get(), nullptr);
    receive();
    return pictures;
}

bool samePixels(const AVFrame* a, const AVFrame* b)
{
    if (a->width != b->width || a->height != b->height || a->format != b->format)
        return false;
    for (int plane = 0; plane < 3; ++plane) {
        const int rows = plane ? (a->height + 1) / 2 : a->height;
        const int bytes = plane ? (a->width + 1) / 2 : a->width;
        for (int y = 0; y < rows; ++y)
            if (std::memcmp(a->data[plane] + y * a->linesize[plane], b->data[plane] + y * b->linesize[plane], bytes) != 0)
                return false;
    }
    return true;
}

}  // namespace

// Odd sizes, frame threads, and pictures kept after the decoder and its
// pool are gone: the pictures are FFmpeg's own, pixel for pixel.
TEST(DecodedFramePool, PicturesMatchFFmpegsOwnAndOutliveThePool)
{
    testsupport::TempDir dir("marqel-frame-pool");
    std::string path = dir.file("odd.mov");
    ASSERT_TRUE(testsupport::makeMovie(path, 330, 250, 1.0));
    auto reference = decodeAll(path, nullptr, 1);
    std::vector<av::FramePtr> pooled;
    int blocks = 0;
    {
        av::DecodedFramePool pool;
        pooled = decodeAll(path, &pool, 3);
        blocks = pool.blocksMade();
    }
    ASSERT_EQ(pooled.size(), reference.size());
    ASSERT_EQ(pooled.size(), 30u);
    for (std::size_t i = 0; i < pooled.size(); ++i) {
        EXPECT_TRUE(samePixels(pooled[i].get(), reference[i].get())) << "picture " << i;
        EXPECT_EQ(reinterpret_cast<std::uintptr_t>(pooled[i]->data[0]) % 64, 0u);
        EXPECT_EQ(pooled[i]->linesize[0] % 64, 0);
    }
    EXPECT_EQ(blocks, 30) << "every picture kept needs a block of its own";
}

TEST(DecodedFramePool, BlocksAreReusedOncePicturesAreLetGo)
{
    testsupport::TempDir dir("marqel-frame-pool");
    std::string path = dir.file("two-seconds.mov");
    ASSERT_TRUE(testsupport::makeMovie(path, 640, 360, 2.0));
    av::DecodedFramePool pool;
    auto movie = av::InputMovie::open(path);
    ASSERT_TRUE(movie.ok());
    AVStream* stream = movie.value().videoStream();
    const AVCodec* codec = avcodec_find_decoder(stream->codecpar->codec_id);
    av::CodecContextPtr context(avcodec_alloc_context3(codec));
    avcodec_parameters_to_context(context.get(), stream->codecpar);
    context->thread_count = 2;
    pool.attach(context.get());
    ASSERT_EQ(avcodec_open2(context.get(), codec, nullptr), 0);
    av::PacketPtr packet = av::makePacket();
    av::FramePtr frame = av::makeFrame();
    int pictures = 0;
    while (av_read_frame(movie.value().format(), packet.get()) >= 0) {
        if (packet->stream_index == stream->index && avcodec_send_packet(context.get(), packet.get()) == 0)
            while (avcodec_receive_frame(context.get(), frame.get()) == 0) {
                ++pictures;
                av_frame_unref(frame.get());
            }
        av_packet_unref(packet.get());
    }
    EXPECT_GE(pictures, 55);
    EXPECT_LE(pool.blocksMade(), 8) << "a picture let go gives its block back";
}
