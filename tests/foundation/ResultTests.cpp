#include "platform/foundation/Result.h"

#include <gtest/gtest.h>

#include <memory>

using foundation::Error;
using foundation::ErrorCode;
using foundation::Result;
using foundation::Status;

namespace {

Result<int> parsePositive(int n)
{
    if (n <= 0)
        return Error { ErrorCode::InvalidArgument, "not positive: " + std::to_string(n) };
    return n;
}

Result<int> doubled(int n)
{
    int value = TRY(parsePositive(n));
    return value * 2;
}

Status checkBoth(int a, int b)
{
    TRY(parsePositive(a));
    TRY(parsePositive(b));
    return {};
}

Result<std::unique_ptr<int>> boxed(int n)
{
    if (n < 0)
        return Error::failed("negative");
    return std::make_unique<int>(n);
}

Result<int> unboxed(int n)
{
    // A move-only value survives TRY: it is moved out before its result dies.
    auto box = TRY(boxed(n));
    return *box + 1;
}

}  // namespace

TEST(Result, TryPassesTheValueOnAndTheFirstFailureUp)
{
    auto good = doubled(21);
    ASSERT_TRUE(good);
    EXPECT_EQ(good.value(), 42);

    auto bad = doubled(-3);
    ASSERT_FALSE(bad);
    EXPECT_EQ(bad.code(), ErrorCode::InvalidArgument);
    EXPECT_EQ(bad.message(), "not positive: -3");

    EXPECT_TRUE(checkBoth(1, 2).ok());
    auto second = checkBoth(1, -2);
    ASSERT_FALSE(second.ok());
    EXPECT_EQ(second.message(), "not positive: -2");
}

TEST(Result, MoveOnlyValuesAndFallbacks)
{
    EXPECT_EQ(unboxed(4).value(), 5);
    EXPECT_EQ(unboxed(-1).message(), "negative");
    EXPECT_EQ(parsePositive(0).valueOr(7), 7);
    EXPECT_EQ(parsePositive(3).valueOr(7), 3);
}

TEST(ResultDeathTest, ReadingTheValueOfAFailureStopsWithItsMessage)
{
    EXPECT_DEATH((void)parsePositive(-1).value(), "not positive: -1");
}
