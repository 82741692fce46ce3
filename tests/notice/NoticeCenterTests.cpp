// The notification centre's file: notices and launches survive in it, and a
// file that cannot be read is reported and never written over.

#include "platform/foundation/Foundation.h"
#include "platform/springboard/NoticeCenter.h"
#include "tests/support/TestDevice.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

Notice noticeOpening(const std::string& title, const std::string& bundle)
{
    Notice notice;
    notice.section = "com.apple.ReplayKit";
    notice.title = title;
    notice.message = "Saved to Photos";
    notice.launchBundleID = bundle;
    return notice;
}

std::string contentsOf(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

// The log since `mark`, one line each.
std::string logSince(std::size_t mark)
{
    std::string text;
    for (const auto& line : SystemLog::shared().lines(mark))
        text += line + '\n';
    return text;
}

bool loggedSince(std::size_t mark, const std::string& text) { return logSince(mark).find(text) != std::string::npos; }

TEST(NoticeCenter, TappingANoticeOpensItsBundleOnce)
{
    TestDevice device;
    NoticeCenter::shared().clear();
    NoticeCenter::shared().add(noticeOpening("Recording saved", "com.apple.mobileslideshow"));
    NoticeCenter::shared().add(noticeOpening("Nothing to open", ""));

    auto opened = NoticeCenter::shared().tap(0);
    ASSERT_TRUE(opened) << opened.message();
    EXPECT_EQ(opened.value(), "com.apple.mobileslideshow");
    auto inert = NoticeCenter::shared().tap(1);
    ASSERT_TRUE(inert) << inert.message();
    EXPECT_EQ(inert.value(), "") << "a notice without an action does nothing, and that is no failure";
    auto beyond = NoticeCenter::shared().tap(7);
    ASSERT_TRUE(beyond);
    EXPECT_EQ(beyond.value(), "");
    EXPECT_EQ(NoticeCenter::launches(), std::vector<std::string> { "com.apple.mobileslideshow" });
}

TEST(NoticeCenter, AnUnreadableFileIsReportedAndNeverWrittenOver)
{
    TestDevice device;
    std::string path = device.host(NoticeCenter::devicePath);
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream(path) << "written by something else";

    std::size_t mark = SystemLog::shared().lineCount();
    NoticeCenter::shared().add(noticeOpening("Recording saved", "com.apple.mobileslideshow"));
    EXPECT_EQ(contentsOf(path), "written by something else");
    EXPECT_TRUE(loggedSince(mark, "SpringBoard: notice [com.apple.ReplayKit] Recording saved not kept: "));

    mark = SystemLog::shared().lineCount();
    EXPECT_TRUE(NoticeCenter::notices().empty());
    EXPECT_TRUE(loggedSince(mark, "SpringBoard: cannot read the notices: "));
}

TEST(NoticeCenter, ANoticeThatCannotBeWrittenIsLogged)
{
    TestDevice device;
    // The folder the file would go in is a file.
    std::string folder = std::filesystem::path(device.host(NoticeCenter::devicePath)).parent_path().string();
    std::filesystem::create_directories(std::filesystem::path(folder).parent_path());
    std::ofstream(folder) << "in the way";

    std::size_t mark = SystemLog::shared().lineCount();
    NoticeCenter::shared().add(noticeOpening("Recording saved", ""));
    EXPECT_TRUE(loggedSince(mark, "SpringBoard: notice [com.apple.ReplayKit] Recording saved not kept: "));
    EXPECT_TRUE(loggedSince(mark, "SpringBoard: notice [com.apple.ReplayKit] Recording saved: Saved to Photos"));
}

}  // namespace
