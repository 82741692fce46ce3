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

TEST(ResultDeathTest, AskingASuccessWhyItFailedStops)
{
    EXPECT_DEATH((void)parsePositive(1).error(), "error\\(\\) of a success");
    EXPECT_DEATH((void)checkBoth(1, 2).message(), "error\\(\\) of a success");
    EXPECT_DEATH((void)Status().code(), "error\\(\\) of a success");
}

TEST(Result, AFailedSystemCallSaysWhatItDidToWhichFileAndWhy)
{
    auto missing = Error::fromErrno("open", "/var/mobile/x.plist", ENOENT);
    EXPECT_EQ(missing.code, ErrorCode::NotFound);
    EXPECT_EQ(missing.message, "cannot open /var/mobile/x.plist: No such file or directory");
    for (int refused : { EACCES, EPERM, EROFS })
        EXPECT_EQ(Error::fromErrno("write", "/x", refused).code, ErrorCode::PermissionDenied) << refused;
    EXPECT_EQ(Error::fromErrno("read", "/x", EIO).code, ErrorCode::FileSystem);
    EXPECT_EQ(Error::fromErrno("write", "/x", ENOSPC, ErrorCode::WriteFailed).code, ErrorCode::WriteFailed);
    EXPECT_EQ(Error::fromErrno("remove", "/x", std::make_error_code(std::errc::permission_denied)).code, ErrorCode::PermissionDenied);
    errno = ENOENT;
    EXPECT_EQ(Error::fromErrno("stat", "/x").code, ErrorCode::NotFound) << "errno is read when no error is given";
}

TEST(Result, ContextIsAddedInFrontOnTheWayUpAndASuccessPassesUnchanged)
{
    auto failed = parsePositive(-1).withContext("reading the frame rate");
    ASSERT_FALSE(failed);
    EXPECT_EQ(failed.code(), ErrorCode::InvalidArgument);
    EXPECT_EQ(failed.message(), "reading the frame rate: not positive: -1");
    EXPECT_EQ(parsePositive(2).withContext("reading the frame rate").value(), 2);
    EXPECT_EQ(checkBoth(1, -5).withContext("checking").message(), "checking: not positive: -5");
    EXPECT_TRUE(checkBoth(1, 2).withContext("checking"));
    Error base = Error::failed("disk gone");
    EXPECT_EQ(base.withContext("saving").message, "saving: disk gone");
    EXPECT_EQ(base.message, "disk gone") << "the original is left as it was";
}
