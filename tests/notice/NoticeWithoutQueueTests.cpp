// A SpringBoard whose process has no "__BBServerQueue" symbol (this test
// program defines none): the completion notice is dropped with a log line,
// never handed to a null queue.

#include "common/MarqelPreferences.h"
#include "platform/foundation/Foundation.h"
#include "platform/springboard/NoticeCenter.h"
#include "platform/springboard/ProcessHost.h"
#include "platform/springboard/SpringBoardHost.h"
#include "tests/support/TestDevice.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

bool logged(std::size_t from, const std::string& text)
{
    for (const auto& line : SystemLog::shared().lines(from))
        if (line.find(text) != std::string::npos)
            return true;
    return false;
}

TEST(CompletionNotice, WithoutTheServersQueueTheNoticeIsDroppedAndLogged)
{
    TestDevice device;
    std::string folder = device.host(host::tweakFolder);
    std::filesystem::create_directories(folder);
    std::filesystem::copy_file(MARQEL_TWEAK_PATH, folder + "/Marqel.so");
    PlistDict filter, bundles;
    bundles.set("Bundles", PlistValue(PlistArray { PlistValue("com.apple.springboard") }));
    filter.set("Filter", PlistValue(bundles));
    ASSERT_TRUE(plist::writeFileAtomically(PlistValue(filter), folder + "/Marqel.plist"));
    ASSERT_TRUE(MarqelPreferences::write(MarqelPreferences::toggleMarqel, true));

    std::size_t mark = SystemLog::shared().lineCount();
    auto booted = SpringBoardHost::shared().boot();
    ASSERT_TRUE(booted) << booted.message();
    ASSERT_EQ(booted.value().loadedTweaks, std::vector<std::string> { "Marqel" });
    auto again = SpringBoardHost::shared().boot();
    ASSERT_FALSE(again) << "SpringBoard boots once per process";
    EXPECT_EQ(again.code(), foundation::ErrorCode::InvalidState);
    EXPECT_TRUE(logged(mark, "no __BBServerQueue symbol"));

    id application = SpringBoardHost::shared().application();
    ASSERT_TRUE(application->respondsToSelector("finishedCropVideoAndSavedToPhotoLibrary"));
    msgSend<void>(application, "finishedCropVideoAndSavedToPhotoLibrary");
    RunLoop::main().drain();
    EXPECT_TRUE(logged(mark, "yay video saved :)"));
    EXPECT_TRUE(logged(mark, "marqel: no bulletin server queue, notice dropped"));
    EXPECT_TRUE(NoticeCenter::notices().empty());
}

}  // namespace
