// A window's shared memory: sealed so its sender cannot cut it short under
// the display, and mapped by the display only when it is as large as the
// frame says.

#include "DisplayTestSupport.h"

#include "platform/display/SharedSurface.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

using namespace display;

TEST(SharedSurface, IsASealedMemfdOfTwoBuffers)
{
    auto surface = SharedSurface::create(CGSizeMake(10, 5), 2);
    ASSERT_TRUE(surface) << surface.message();
    EXPECT_EQ(surface.value().pixelWidth(), 20);
    EXPECT_EQ(surface.value().pixelHeight(), 10);
    int fd = surface.value().fd();
    EXPECT_EQ(::lseek(fd, 0, SEEK_END), 2 * 20 * 10 * 4);
    int seals = ::fcntl(fd, F_GET_SEALS);
    EXPECT_TRUE(seals & F_SEAL_SHRINK);
    EXPECT_TRUE(seals & F_SEAL_SEAL);
    EXPECT_TRUE(::fcntl(fd, F_GETFD) & FD_CLOEXEC);
    // Neither shrinking it nor lifting the seal is possible any more.
    EXPECT_NE(::ftruncate(fd, 16), 0);
    EXPECT_EQ(errno, EPERM);
    EXPECT_NE(::fcntl(fd, F_ADD_SEALS, F_SEAL_WRITE), 0);
}

TEST(SharedSurface, WhatOneSideFillsTheOtherSees)
{
    auto drawn = SharedSurface::create(CGSizeMake(4, 3), 1).release();
    ASSERT_TRUE(drawn.fill(1, displaytest::filled(4, 3, { 0, 0, 1, 1 })));
    auto seen = SharedSurface::adopt(foundation::FileDescriptor(::dup(drawn.fd())), 4, 3);
    ASSERT_TRUE(seen) << seen.message();
    EXPECT_FALSE(seen.value().isWritable());
    EXPECT_EQ(seen.value().buffer(1).pixel(3, 2), (std::array<std::uint8_t, 4> { 0, 0, 255, 255 }));
    EXPECT_EQ(seen.value().buffer(0).pixel(3, 2), (std::array<std::uint8_t, 4> { 0, 0, 0, 0 }));
    // The display's copy cannot be drawn into, and a picture of another
    // size does not fit.
    EXPECT_FALSE(seen.value().fill(0, displaytest::filled(4, 3, { 1, 0, 0, 1 })));
    auto wrongSize = drawn.fill(0, displaytest::filled(5, 3, { 1, 0, 0, 1 }));
    ASSERT_FALSE(wrongSize);
    EXPECT_NE(wrongSize.message().find("5 × 3"), std::string::npos);
}

TEST(SharedSurface, TheDisplayRefusesMemoryItCouldReadPastOrLoseUnderIt)
{
    // Two 4 × 3 buffers need 96 bytes.
    auto small = SharedSurface::adopt(displaytest::memfd(95, true), 4, 3);
    ASSERT_FALSE(small);
    EXPECT_NE(small.message().find("less than the 96"), std::string::npos) << small.message();

    auto unsealed = SharedSurface::adopt(displaytest::memfd(96, false), 4, 3);
    ASSERT_FALSE(unsealed);
    EXPECT_NE(unsealed.message().find("not sealed"), std::string::npos) << unsealed.message();

    int pipeEnds[2];
    ASSERT_EQ(::pipe(pipeEnds), 0);
    ::close(pipeEnds[1]);
    auto pipe = SharedSurface::adopt(foundation::FileDescriptor(pipeEnds[0]), 4, 3);
    ASSERT_FALSE(pipe);
    EXPECT_NE(pipe.message().find("not shared memory"), std::string::npos) << pipe.message();

    EXPECT_TRUE(SharedSurface::adopt(displaytest::memfd(96, true), 4, 3));
    EXPECT_FALSE(SharedSurface::adopt(displaytest::memfd(96, true), 1 << 14, 1 << 14));
}
