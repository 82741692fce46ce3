#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "platform/av/FrameRateConverter.h"

using av::FrameRateConverter;
using av::Rational;

namespace {

// Feeds frames at the given times and returns, for each output frame, the
// index of the source frame it shows.
std::vector<int> pick(FrameRateConverter& frc, const std::vector<double>& times)
{
    std::vector<int> shown;
    for (size_t i = 0; i < times.size(); ++i) {
        const int64_t n = frc.arrive(times[i]);
        for (int64_t k = 0; k < n; ++k)
            shown.push_back(static_cast<int>(i) - 1);
    }
    const int64_t rest = frc.finish();
    for (int64_t k = 0; k < rest; ++k)
        shown.push_back(static_cast<int>(times.size()) - 1);
    return shown;
}

std::vector<double> evenly(int count, double interval, double first = 0)
{
    std::vector<double> t;
    for (int i = 0; i < count; ++i)
        t.push_back(first + i * interval);
    return t;
}

}  // namespace

TEST(FrameRateConverter, SameRateIsOneToOne)
{
    FrameRateConverter frc(0, Rational { 1, 30 }, 30);
    const auto shown = pick(frc, evenly(30, 1.0 / 30));
    ASSERT_EQ(shown.size(), 30u);
    for (int i = 0; i < 30; ++i)
        EXPECT_EQ(shown[i], i);
}

TEST(FrameRateConverter, TimestampRoundingDoesNotShiftFrames)
{
    // 29.97 fps in a 1/90000 time base, re-timed at 30000/1001.
    std::vector<double> t;
    for (int i = 0; i < 60; ++i)
        t.push_back(std::round(i * 3003.0) / 90000.0 + 1e-7);
    FrameRateConverter frc(0, Rational { 1001, 30000 }, 60);
    const auto shown = pick(frc, t);
    for (int i = 0; i < 60; ++i)
        EXPECT_EQ(shown[i], i);
}

TEST(FrameRateConverter, DoubleRateRepeatsEachFrame)
{
    FrameRateConverter frc(0, Rational { 1, 60 }, 60);
    const auto shown = pick(frc, evenly(30, 1.0 / 30));
    ASSERT_EQ(shown.size(), 60u);
    for (int i = 0; i < 60; ++i)
        EXPECT_EQ(shown[i], i / 2) << i;
}

TEST(FrameRateConverter, HalfRateDropsEveryOtherFrame)
{
    FrameRateConverter frc(0, Rational { 1, 15 }, 15);
    const auto shown = pick(frc, evenly(30, 1.0 / 30));
    ASSERT_EQ(shown.size(), 15u);
    for (int i = 0; i < 15; ++i)
        EXPECT_EQ(shown[i], 2 * i);
}

TEST(FrameRateConverter, RangeStartSkipsEarlierFrames)
{
    FrameRateConverter frc(0.5, Rational { 1, 30 }, 5);
    const auto shown = pick(frc, evenly(30, 1.0 / 30));
    ASSERT_EQ(shown.size(), 5u);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(shown[i], 15 + i);
}

TEST(FrameRateConverter, LateFirstFrameCoversTheGap)
{
    FrameRateConverter frc(0, Rational { 1, 10 }, 5);
    const auto shown = pick(frc, { 0.25, 0.35 });
    EXPECT_EQ(shown, (std::vector<int> { 0, 0, 0, 0, 1 }));
}

TEST(FrameRateConverter, ShortSourceHoldsLastFrame)
{
    FrameRateConverter frc(0, Rational { 1, 10 }, 10);
    const auto shown = pick(frc, { 0.0, 0.1 });
    ASSERT_EQ(shown.size(), 10u);
    EXPECT_EQ(shown[0], 0);
    for (int i = 1; i < 10; ++i)
        EXPECT_EQ(shown[i], 1);
    EXPECT_TRUE(frc.done());
}

TEST(FrameRateConverter, NeverEmitsMoreThanFrameCount)
{
    FrameRateConverter frc(0, Rational { 1, 30 }, 3);
    const auto shown = pick(frc, evenly(100, 1.0 / 30));
    EXPECT_EQ(shown.size(), 3u);
}

TEST(FrameRateConverter, NoSourceFramesMeansNothingToShow)
{
    FrameRateConverter frc(0, Rational { 1, 30 }, 3);
    EXPECT_EQ(frc.finish(), 0);
    EXPECT_FALSE(frc.done());
}

TEST(FrameRateConverter, NanTimeDoesNotAdvance)
{
    FrameRateConverter frc(0, Rational { 1, 30 }, 3);
    EXPECT_EQ(frc.arrive(0.0), 0);
    EXPECT_EQ(frc.arrive(std::nan("")), 0);
    EXPECT_EQ(frc.emitted(), 0);
}
