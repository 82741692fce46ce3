#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "platform/av/BoundedQueue.h"
#include "platform/av/DecodeThread.h"
#include "platform/av/InputMovie.h"
#include "platform/av/VideoDecoder.h"
#include "tests/support/Media.h"

using av::BoundedQueue;
using av::DecodeThread;
using av::InputMovie;
using av::VideoDecoder;

TEST(BoundedQueue, HandsItemsOverInOrder)
{
    BoundedQueue<int> queue(2);
    std::thread producer([&queue] {
        for (int i = 0; i < 100; ++i)
            ASSERT_TRUE(queue.push(i));
        queue.close();
    });
    std::vector<int> got;
    while (auto item = queue.pop())
        got.push_back(*item);
    producer.join();
    ASSERT_EQ(got.size(), 100u);
    for (int i = 0; i < 100; ++i)
        EXPECT_EQ(got[static_cast<size_t>(i)], i);
}

TEST(BoundedQueue, ClosedQueueRefusesPushesAndDrainsWhatItHolds)
{
    BoundedQueue<int> queue(3);
    EXPECT_TRUE(queue.push(1));
    EXPECT_TRUE(queue.push(2));
    queue.close();
    EXPECT_FALSE(queue.push(3));
    EXPECT_EQ(queue.pop(), 1);
    EXPECT_EQ(queue.pop(), 2);
    EXPECT_EQ(queue.pop(), std::nullopt);
}

TEST(BoundedQueue, CloseReleasesAProducerWaitingForRoom)
{
    BoundedQueue<int> queue(1);
    ASSERT_TRUE(queue.push(1));
    bool refused = false;
    std::thread producer([&] { refused = !queue.push(2); });
    queue.close();
    producer.join();
    EXPECT_TRUE(refused);
}

TEST(BoundedQueue, SmallItemsHaveRoomBesideTheLargeOnesInOrder)
{
    using Size = BoundedQueue<int>::ItemSize;
    BoundedQueue<int> queue(1, 3);
    // None of these waits: one large and three small fit.
    ASSERT_TRUE(queue.push(1));
    ASSERT_TRUE(queue.push(2, Size::Small));
    ASSERT_TRUE(queue.push(3, Size::Small));
    ASSERT_TRUE(queue.push(4, Size::Small));
    // A second large one waits for the first to be taken, small room or not.
    std::thread producer([&queue] { EXPECT_TRUE(queue.push(5)); });
    std::vector<int> got;
    for (int i = 0; i < 5; ++i)
        got.push_back(queue.pop().value_or(-1));
    producer.join();
    EXPECT_EQ(got, (std::vector<int> { 1, 2, 3, 4, 5 }));
}

namespace {

struct Opened {
    InputMovie movie;
    VideoDecoder decoder;
};

Opened open(const std::string& path)
{
    auto movie = InputMovie::open(path);
    EXPECT_TRUE(movie) << movie.error().message;
    auto decoder = VideoDecoder::open(movie.value().videoStream());
    EXPECT_TRUE(decoder) << decoder.error().message;
    return Opened { std::move(movie).value(), std::move(decoder).value() };
}

}  // namespace

TEST(DecodeThread, DeliversEveryPictureInOrderAndTheAudio)
{
    auto in = open(testsupport::countingMovie());
    DecodeThread reader(in.movie.format(), in.decoder, in.movie.videoStream()->index, in.movie.audioStream()->index, 2);
    std::vector<double> times;
    int audioPackets = 0;
    for (;;) {
        auto item = reader.next();
        ASSERT_TRUE(item.failure) << item.failure.error().message;
        if (item.end)
            break;
        if (item.picture) {
            EXPECT_EQ(item.picture->format, AV_PIX_FMT_YUV420P);
            times.push_back(item.seconds);
        }
        if (item.audio)
            ++audioPackets;
    }
    ASSERT_EQ(times.size(), 30u);
    for (size_t i = 0; i < times.size(); ++i)
        EXPECT_NEAR(times[i], static_cast<double>(i) / 30.0, 1e-6);
    EXPECT_GT(audioPackets, 40);
    // Past the end it keeps saying so.
    EXPECT_TRUE(reader.next().end);
}

TEST(DecodeThread, StopsOnceBothTracksAreDone)
{
    auto in = open(testsupport::countingMovie());
    DecodeThread reader(in.movie.format(), in.decoder, in.movie.videoStream()->index, in.movie.audioStream()->index, 1);
    reader.videoDone();
    reader.audioDone();
    // At most what was read before the flags were seen, and then an end
    // rather than the rest of the file.
    int items = 0;
    while (!reader.next().end)
        ++items;
    EXPECT_LT(items, 10);
}

TEST(DecodeThread, GoingAwayWhileTheReaderWaitsForRoomDoesNotHang)
{
    auto in = open(testsupport::countingMovie());
    {
        DecodeThread reader(in.movie.format(), in.decoder, in.movie.videoStream()->index, -1, 1);
        auto first = reader.next();
        EXPECT_TRUE(first.picture);
    }
    SUCCEED();
}
