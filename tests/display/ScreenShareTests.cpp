// The display's pictures of the whole screen, as the recording process
// reads them: nothing before the first, then always the latest, and never
// a picture the display was overwriting while it was copied.

#include "DisplayTestSupport.h"

#include "platform/display/ScreenShare.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <unistd.h>

using namespace display;
using displaytest::filled;

namespace {

using Pixel = std::array<std::uint8_t, 4>;

Pixel at(const ScreenFrame& frame, int x, int y)
{
    const std::uint8_t* p = &frame.pixels[(static_cast<std::size_t>(y) * frame.width + x) * 4];
    return { p[0], p[1], p[2], p[3] };
}

ScreenShare readerOf(const ScreenShare& share)
{
    auto reader = ScreenShare::adopt(foundation::FileDescriptor(::dup(share.fd())), share.pixelWidth(), share.pixelHeight());
    EXPECT_TRUE(reader) << reader.message();
    return reader.release();
}

}  // namespace

TEST(ScreenShare, TheReaderSeesNothingBeforeTheFirstPictureThenAlwaysTheLatest)
{
    auto share = ScreenShare::create(CGSizeMake(8, 4), 2).release();
    ASSERT_EQ(share.pixelWidth(), 16);
    ScreenShare reader = readerOf(share);
    EXPECT_EQ(reader.latest(), nullptr);

    const std::vector<std::pair<render::RGBA, Pixel>> pictures {
        { { 1, 0, 0, 1 }, { 255, 0, 0, 255 } },
        { { 0, 0, 1, 1 }, { 0, 0, 255, 255 } },
        { { 0, 1, 0, 1 }, { 0, 255, 0, 255 } },
    };
    std::shared_ptr<ScreenFrame> frame;
    for (const auto& [colour, expected] : pictures) {
        ASSERT_TRUE(share.publish(filled(16, 8, colour)));
        frame = reader.latest(std::move(frame));
        ASSERT_NE(frame, nullptr);
        EXPECT_EQ(frame->width, 16);
        EXPECT_EQ(frame->height, 8);
        EXPECT_EQ(at(*frame, 15, 7), expected);
    }
    EXPECT_EQ(share.publishedCount(), 3u);

    // Only the display writes; a picture of another size does not fit.
    EXPECT_FALSE(reader.publish(filled(16, 8, { 1, 1, 1, 1 })));
    EXPECT_FALSE(share.publish(filled(15, 8, { 1, 1, 1, 1 })));
    // Memory without room for the counters after the buffers is refused.
    auto bare = ScreenShare::adopt(displaytest::memfd(2 * 16 * 8 * 4, true), 16, 8);
    ASSERT_FALSE(bare);
    EXPECT_NE(bare.message().find("less than"), std::string::npos) << bare.message();
}

TEST(ScreenShare, APictureOverwrittenWhileItWasCopiedIsNeverHandedOut)
{
    // Each picture is one colour: a copy that mixes two is a torn one.
    auto share = ScreenShare::create(CGSizeMake(256, 256), 1).release();
    ScreenShare reader = readerOf(share);
    std::vector<render::Surface> pictures;
    for (double shade : { 0.1, 0.5, 0.9 })
        pictures.push_back(filled(256, 256, { shade, 1 - shade, shade / 2, 1 }));
    ASSERT_TRUE(share.publish(pictures[0]));

    std::atomic<bool> done { false };
    std::thread display([&] {
        for (int i = 0; i < 3000; ++i)
            (void)share.publish(pictures[i % pictures.size()]);
        done = true;
    });
    int whole = 0, torn = 0;
    std::shared_ptr<ScreenFrame> frame;
    auto uniform = [](const ScreenFrame& picture) {
        const Pixel first = at(picture, 0, 0);
        for (int y = 0; y < picture.height; y += 17)
            for (int x = 0; x < picture.width; x += 13)
                if (at(picture, x, y) != first)
                    return false;
        return true;
    };
    // While the display writes, a read may come back empty (overwritten on
    // every try), never mixed.
    while (!done) {
        frame = reader.latest(std::move(frame));
        if (!frame)
            continue;
        ++whole;
        torn += uniform(*frame) ? 0 : 1;
    }
    display.join();
    EXPECT_EQ(torn, 0) << "of " << whole << " pictures read";
    // Once it stops, the reader has its last picture.
    frame = reader.latest(std::move(frame));
    ASSERT_NE(frame, nullptr);
    EXPECT_TRUE(uniform(*frame));
    EXPECT_EQ(at(*frame, 5, 5), at(*pictures[2999 % pictures.size()].toScreenFrame(), 5, 5));
}
