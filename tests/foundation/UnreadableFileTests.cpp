// A file that cannot be read is kept aside before anything is written over
// it: what the folder and the system log show afterwards.

#include "platform/foundation/RunLoop.h"
#include "platform/foundation/SystemLog.h"
#include "platform/foundation/UnreadableFile.h"
#include "tests/support/Files.h"
#include "tests/support/TestDevice.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <ctime>
#include <filesystem>
#include <sys/stat.h>

namespace {

std::string utcNow()
{
    std::time_t now = static_cast<std::time_t>(RunLoop::main().clock().epochSeconds());
    std::tm utc {};
    gmtime_r(&now, &utc);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y%m%dT%H%M%SZ", &utc);
    return stamp;
}

}  // namespace

TEST(UnreadableFile, ACopyIsKeptBesideItUnderTheTimeAndALogLineSaysWhy)
{
    TestDevice device;
    const std::string file = device.host("/prefs.plist");
    testsupport::writeFile(file, "typed by hand {");
    std::size_t mark = SystemLog::shared().lineCount();

    auto kept = foundation::keepUnreadableAside(file, "not a property list");
    ASSERT_TRUE(kept) << kept.message();
    EXPECT_EQ(kept.value(), file + ".unreadable-" + utcNow());
    EXPECT_EQ(testsupport::readFile(kept.value()), "typed by hand {");
    EXPECT_EQ(testsupport::readFile(file), "typed by hand {") << "the file stays until a write replaces it";
    auto lines = SystemLog::shared().lines(mark);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(lines[0].find(file + " was unreadable (not a property list); kept it as " + kept.value()), std::string::npos) << lines[0];
}

TEST(UnreadableFile, AnEarlierCopyIsNeverReplacedAndTheListIsOldestFirst)
{
    TestDevice device;
    const std::string file = device.host("/areas.plist");
    testsupport::writeFile(file + ".unreadable-20200101T000000Z", "from 2020");
    std::vector<std::string> kept;
    for (int i = 0; i < 11; ++i) {
        testsupport::writeFile(file, "damaged " + std::to_string(i));
        auto copy = foundation::keepUnreadableAside(file, "damaged");
        ASSERT_TRUE(copy) << copy.message();
        kept.push_back(copy.value());
    }
    EXPECT_EQ(kept[1], kept[0] + "-1");
    EXPECT_EQ(kept[10], kept[0] + "-10");
    EXPECT_EQ(testsupport::readFile(kept[0]), "damaged 0");
    EXPECT_EQ(testsupport::readFile(kept[10]), "damaged 10");
    EXPECT_EQ(testsupport::readFile(file + ".unreadable-20200101T000000Z"), "from 2020");

    std::vector<std::string> expected { file + ".unreadable-20200101T000000Z" };
    expected.insert(expected.end(), kept.begin(), kept.end());
    EXPECT_EQ(foundation::unreadableCopiesOf(file), expected);
}

TEST(UnreadableFile, AFolderThatRefusesTheCopyFailsWithTheReason)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "root writes into any folder";
    TestDevice device;
    const std::string file = device.host("/locked/prefs.plist");
    std::filesystem::create_directories(device.host("/locked"));
    testsupport::writeFile(file, "damaged");
    ASSERT_EQ(::chmod(device.host("/locked").c_str(), 0555), 0);
    auto kept = foundation::keepUnreadableAside(file, "damaged");
    ::chmod(device.host("/locked").c_str(), 0755);
    ASSERT_FALSE(kept);
    EXPECT_EQ(kept.code(), foundation::ErrorCode::PermissionDenied);
    EXPECT_NE(kept.message().find(file), std::string::npos) << kept.message();
}

TEST(UnreadableFile, WhatIsNotAFileIsNotCopiedAndTheFailureNamesIt)
{
    TestDevice device;
    const std::string fifo = device.host("/prefs.plist");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
    auto kept = foundation::keepUnreadableAside(fifo, "damaged");
    ASSERT_FALSE(kept);
    EXPECT_NE(kept.message().find("cannot keep a copy of the unreadable " + fifo), std::string::npos) << kept.message();
    EXPECT_TRUE(foundation::unreadableCopiesOf(fifo).empty());
}
