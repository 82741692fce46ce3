// The package file itself, before its archive is read: what is no ar
// archive, or whose members claim more than the file holds, is refused from
// its first bytes and headers, however large; a FIFO is refused without
// waiting for a writer.

#include "tests/support/TempDir.h"
#include "tools/DebianPackage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <fstream>
#include <future>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using tools::DebianPackage;

namespace {

// An ar member header: name, then the size in the decimal field the format has.
std::string memberHeader(const std::string& name, std::uint64_t size)
{
    char header[61];
    std::snprintf(header, sizeof header, "%-16s%-12s%-6s%-6s%-8s%-10llu`\n", name.c_str(), "0", "0", "0", "100644",
        static_cast<unsigned long long>(size));
    return std::string(header, 60);
}

void write(const std::string& path, const std::string& bytes, std::uint64_t size = 0)
{
    std::ofstream(path, std::ios::binary) << bytes;
    if (size)
        ASSERT_EQ(::truncate(path.c_str(), static_cast<off_t>(size)), 0);
}

// The address space this process has mapped already, in bytes. Under the
// address sanitizer it is terabytes of shadow, so a cap must be counted
// from here, not from zero, or the sanitizer's own next mapping fails.
rlim_t mappedNow()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmSize:", 0) == 0)
            return rlim_t(std::stoull(line.substr(7))) * 1024;
    return 0;
}

// Mapping more than `bytes` beyond what is mapped now would fail: the
// refusals below come before any large read.
foundation::Result<DebianPackage> readWithMemoryCap(const std::string& path, rlim_t bytes)
{
    auto reading = std::async(std::launch::async, [&] {
        rlimit old {};
        ::getrlimit(RLIMIT_AS, &old);
        rlimit capped = old;
        capped.rlim_cur = std::min(old.rlim_max, mappedNow() + bytes);
        ::setrlimit(RLIMIT_AS, &capped);
        auto package = DebianPackage::read(path);
        ::setrlimit(RLIMIT_AS, &old);
        return package;
    });
    return reading.get();
}

TEST(PackageFile, AHugeFileThatIsNoArchiveIsRefusedFromItsFirstBytes)
{
    testsupport::TempDir dir;
    const std::string path = dir.file("huge.deb");
    write(path, "", std::uint64_t(3) << 30);  // 3 GB, sparse
    auto package = readWithMemoryCap(path, rlim_t(2) << 30);
    ASSERT_FALSE(package);
    EXPECT_NE(package.message().find("does not begin as an ar archive does"), std::string::npos) << package.message();
}

TEST(PackageFile, AMemberClaimingMoreThanTheFileHoldsIsRefusedBeforeReading)
{
    testsupport::TempDir dir;
    const std::string path = dir.file("claims.deb");
    write(path, "!<arch>\n" + memberHeader("debian-binary", 4) + "2.0\n" + memberHeader("data.tar", std::uint64_t(5) << 30));
    auto package = DebianPackage::read(path);
    ASSERT_FALSE(package);
    EXPECT_NE(package.message().find("claims 5368709120 bytes, more than the file holds"), std::string::npos) << package.message();

    write(path, "!<arch>\n" + memberHeader("debian-binary", 4) + "2.0\n" + "cut short");
    package = DebianPackage::read(path);
    ASSERT_FALSE(package);
    EXPECT_NE(package.message().find("cut short or malformed"), std::string::npos) << package.message();
}

TEST(PackageFile, AnArchiveLargerThanAnyPackageIsRefusedByItsSize)
{
    testsupport::TempDir dir;
    const std::string path = dir.file("large.deb");
    const std::uint64_t size = std::uint64_t(3) << 30;
    const std::string start = "!<arch>\n" + memberHeader("debian-binary", 4) + "2.0\n";
    write(path, start + memberHeader("data.tar", size - start.size() - 60), size);
    auto package = readWithMemoryCap(path, rlim_t(2) << 30);
    ASSERT_FALSE(package);
    EXPECT_NE(package.message().find("larger than any package"), std::string::npos) << package.message();
}

TEST(PackageFile, AFifoAsThePackageIsRefusedAtOnce)
{
    testsupport::TempDir dir;
    const std::string path = dir.file("package.deb");
    ASSERT_EQ(::mkfifo(path.c_str(), 0644), 0);
    auto reading = std::async(std::launch::async, [&] { return DebianPackage::read(path); });
    bool blocked = reading.wait_for(std::chrono::seconds(20)) != std::future_status::ready;
    if (blocked) {
        int writer = ::open(path.c_str(), O_WRONLY | O_NONBLOCK);
        if (writer >= 0)
            ::close(writer);
    }
    auto package = reading.get();
    EXPECT_FALSE(blocked) << "the read waited for a writer";
    ASSERT_FALSE(package);
    EXPECT_NE(package.message().find(path + ": it is a FIFO"), std::string::npos) << package.message();
}

}  // namespace
