// Reading a file whole never blocks on what is not a file: a FIFO, a
// socket, a device or a folder at the path is refused at once, naming the
// path, what is there and what to do.

#include "platform/foundation/PropertyList.h"
#include "platform/foundation/RegularFile.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <future>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

// Reads `path` on another thread. A read stuck in open() on a FIFO is
// released by opening the FIFO's other end, so the test fails instead of
// hanging.
foundation::Result<PlistValue> readWithoutHanging(const std::string& path, bool& blocked)
{
    auto reading = std::async(std::launch::async, [path] { return plist::readFile(path); });
    blocked = reading.wait_for(std::chrono::seconds(20)) != std::future_status::ready;
    if (blocked) {
        int writer = ::open(path.c_str(), O_WRONLY | O_NONBLOCK);
        if (writer >= 0)
            ::close(writer);
    }
    return reading.get();
}

TEST(RegularFile, AFifoInPlaceOfAPropertyListIsRefusedAtOnce)
{
    testsupport::TempDir dir;
    const std::string path = dir.file("Prefs.plist");
    ASSERT_EQ(::mkfifo(path.c_str(), 0644), 0);
    bool blocked = false;
    auto read = readWithoutHanging(path, blocked);
    EXPECT_FALSE(blocked) << "the read waited for a writer";
    ASSERT_FALSE(read);
    EXPECT_EQ(read.code(), foundation::ErrorCode::FileSystem);
    EXPECT_NE(read.message().find(path), std::string::npos) << read.message();
    EXPECT_NE(read.message().find("is a FIFO, not a regular file"), std::string::npos) << read.message();
    EXPECT_NE(read.message().find("remove it"), std::string::npos) << read.message();
    struct stat info { };
    ASSERT_EQ(::lstat(path.c_str(), &info), 0);
    EXPECT_TRUE(S_ISFIFO(info.st_mode)) << "the FIFO is left as it was";
}

TEST(RegularFile, EveryKindOfNonFileIsNamed)
{
    testsupport::TempDir dir;
    const std::string socketPath = dir.file("s");
    int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address {};
    address.sun_family = AF_UNIX;
    std::snprintf(address.sun_path, sizeof address.sun_path, "%s", socketPath.c_str());
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    auto socket = foundation::RegularFile::open(socketPath);
    ::close(fd);
    ASSERT_FALSE(socket);
    // A socket cannot be opened at all; what matters is that nothing blocks.
    EXPECT_EQ(socket.code(), foundation::ErrorCode::FileSystem);

    auto device = foundation::RegularFile::open("/dev/null");
    ASSERT_FALSE(device);
    EXPECT_NE(device.message().find("is a character device"), std::string::npos) << device.message();

    auto folder = foundation::RegularFile::open(dir.path());
    ASSERT_FALSE(folder);
    EXPECT_NE(folder.message().find("Is a directory"), std::string::npos) << folder.message();

    auto missing = foundation::RegularFile::open(dir.file("none"));
    ASSERT_FALSE(missing);
    EXPECT_EQ(missing.code(), foundation::ErrorCode::NotFound);
}

TEST(RegularFile, AFileAndALinkToOneAreRead)
{
    testsupport::TempDir dir;
    std::ofstream(dir.file("a.plist")) << "<plist><string>x</string></plist>";
    std::filesystem::create_symlink(dir.file("a.plist"), dir.file("link.plist"));
    for (const char* name : { "a.plist", "link.plist" }) {
        auto read = plist::readFile(dir.file(name));
        ASSERT_TRUE(read) << read.message();
        EXPECT_EQ(read.value(), PlistValue("x"));
    }
    auto file = foundation::RegularFile::open(dir.file("a.plist"));
    ASSERT_TRUE(file) << file.message();
    EXPECT_EQ(file.value().size(), 33u);
    auto bytes = file.value().readRest();
    ASSERT_TRUE(bytes);
    EXPECT_EQ(bytes.value().size(), 33u);
}

}  // namespace
