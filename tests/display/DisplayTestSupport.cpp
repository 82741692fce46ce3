#include "DisplayTestSupport.h"

#include "platform/display/Connection.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/socket.h>
#include <unistd.h>

namespace displaytest {

std::pair<foundation::FileDescriptor, foundation::FileDescriptor> socketPair()
{
    auto made = display::Connection::pair();
    if (!made) {
        ADD_FAILURE() << made.message();
        return {};
    }
    return made.release();
}

render::Surface filled(int width, int height, render::RGBA colour)
{
    render::Surface surface(width, height);
    surface.clear(colour);
    return surface;
}

std::vector<std::uint8_t> bytesOf(display::Payload payload, std::uint32_t sequence)
{
    auto bytes = display::encode(display::Message { sequence, std::move(payload) });
    if (!bytes) {
        ADD_FAILURE() << bytes.message();
        return {};
    }
    return bytes.release();
}

void sendRecord(int socket, const std::vector<std::uint8_t>& bytes, int fd)
{
    iovec vector { const_cast<std::uint8_t*>(bytes.data()), bytes.size() };
    msghdr header {};
    header.msg_iov = &vector;
    header.msg_iovlen = 1;
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(int))] {};
    if (fd >= 0) {
        header.msg_control = control;
        header.msg_controllen = sizeof control;
        cmsghdr* c = CMSG_FIRSTHDR(&header);
        c->cmsg_level = SOL_SOCKET;
        c->cmsg_type = SCM_RIGHTS;
        c->cmsg_len = CMSG_LEN(sizeof(int));
        std::memcpy(CMSG_DATA(c), &fd, sizeof fd);
    }
    ASSERT_EQ(::sendmsg(socket, &header, MSG_NOSIGNAL), static_cast<ssize_t>(bytes.size())) << std::strerror(errno);
}

foundation::FileDescriptor memfd(std::size_t size, bool sealed)
{
    foundation::FileDescriptor fd(::memfd_create("display-test", MFD_CLOEXEC | MFD_ALLOW_SEALING));
    EXPECT_TRUE(fd.isValid());
    EXPECT_EQ(::ftruncate(fd.get(), static_cast<off_t>(size)), 0);
    if (sealed) {
        EXPECT_EQ(::fcntl(fd.get(), F_ADD_SEALS, F_SEAL_SHRINK), 0);
    }
    return fd;
}

bool near(std::array<std::uint8_t, 4> pixel, std::array<std::uint8_t, 4> expected)
{
    for (int i = 0; i < 4; ++i)
        if (std::abs(int(pixel[i]) - int(expected[i])) > 2)
            return false;
    return true;
}

}  // namespace displaytest
