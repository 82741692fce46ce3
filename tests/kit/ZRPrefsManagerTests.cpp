#include "common/MarqelPreferences.h"
#include "kit/ZRPrefsManager.h"
#include "platform/foundation/Foundation.h"
#include "tests/support/Program.h"
#include "tests/support/TestDevice.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace P = MarqelPreferences;

TEST(Preferences, AFreshDomainReadsTheDefaults)
{
    TestDevice device;
    EXPECT_FALSE(P::read(P::toggleMarqel));
    EXPECT_FALSE(P::read(P::didShowControlCenterAlert));
    EXPECT_EQ(P::read(P::defaultX), 0.0);
    EXPECT_EQ(P::read(P::defaultY), 0.0);
    EXPECT_EQ(P::read(P::defaultWidth), 250.0);
    EXPECT_EQ(P::read(P::defaultHeight), 250.0);
    EXPECT_EQ(P::readHex(P::areaHandlerColour), "FFFFFF");
    EXPECT_EQ(P::readHex(P::areaBorderColour), "FFFFFF");
    EXPECT_FALSE(P::read(P::toggleDashLine));
    EXPECT_FALSE(P::read(P::toggleMicrophone));
    EXPECT_TRUE(P::read(P::toggleHaptic));
    EXPECT_EQ(P::read(P::marqelHapticStrength), 0);
    EXPECT_FALSE(P::read(P::toggleKeepOriginalVideo));
}

TEST(Preferences, RectangleNumbersAreWholePointsTruncatedTowardZero)
{
    TestDevice device;
    ASSERT_TRUE(P::write(P::defaultX, 10.9));
    ASSERT_TRUE(P::write(P::defaultY, -0.5));
    ASSERT_TRUE(P::write(P::defaultWidth, 249.7));
    ASSERT_TRUE(P::write(P::defaultHeight, -12.99));
    EXPECT_EQ(P::read(P::defaultX), 10.0);
    EXPECT_EQ(P::read(P::defaultY), 0.0);
    EXPECT_EQ(P::read(P::defaultWidth), 249.0);
    EXPECT_EQ(P::read(P::defaultHeight), -12.0);
}

// The rule every writer of the rectangle numbers goes through: refused,
// never clamped into something else.
TEST(Preferences, RectangleNumbersBeyondTheRuleAreRefusedNotClamped)
{
    EXPECT_EQ(P::wholePoints(P::defaultX, 10.9).value(), 10);
    EXPECT_EQ(P::wholePoints(P::defaultY, -0.5).value(), 0);
    EXPECT_EQ(P::wholePoints(P::defaultX, -5).value(), -5) << "an origin may lie off screen";
    EXPECT_EQ(P::wholePoints(P::defaultY, -1e15).value(), -1000000000000000);
    EXPECT_EQ(P::wholePoints(P::defaultWidth, 1.99).value(), 1);
    const double nan = std::numeric_limits<double>::quiet_NaN(), inf = std::numeric_limits<double>::infinity();
    for (double refused : { nan, inf, -inf, 1.000001e15, 3.4e38 })
        EXPECT_FALSE(P::wholePoints(P::defaultX, refused).ok()) << refused;
    for (double refused : { 0.99, 0.0, -5.0 }) {
        EXPECT_FALSE(P::wholePoints(P::defaultWidth, refused).ok()) << refused;
        EXPECT_FALSE(P::wholePoints(P::defaultHeight, refused).ok()) << refused;
    }
}

TEST(Preferences, WrongTypesAndMalformedColoursReadAsTheDefault)
{
    TestDevice device;
    auto manager = ZRPrefsManager::sharedInstance();
    ASSERT_TRUE(manager->writeValue(PlistValue("yes"), "toggleHaptic", P::domain));
    ASSERT_TRUE(manager->writeValue(PlistValue(true), "marqelHapticStrength", P::domain));
    ASSERT_TRUE(manager->writeValue(PlistValue("12GG34"), "areaHandlerColour", P::domain));
    ASSERT_TRUE(manager->writeValue(PlistValue(std::int64_t(0xFF)), "areaBorderColour", P::domain));
    ASSERT_TRUE(manager->writeValue(PlistValue(120.75), "defaultWidth", P::domain));
    EXPECT_TRUE(P::read(P::toggleHaptic));
    EXPECT_EQ(P::read(P::marqelHapticStrength), 0);
    EXPECT_EQ(P::readHex(P::areaHandlerColour), "FFFFFF");
    EXPECT_EQ(P::readHex(P::areaBorderColour), "FFFFFF");
    EXPECT_EQ(P::read(P::defaultWidth), 120.0) << "a fractional stored number is truncated";
}

// Another process writing: this test program started afresh in the
// writer role below.
constexpr const char* writerRoot = "MARQEL_TEST_WRITER_ROOT";
constexpr const char* writerAction = "MARQEL_TEST_WRITER_ACTION";

pid_t startWriter(const std::string& root, const std::string& action)
{
    return testsupport::startThisTest("Preferences.DISABLED_WriterProcess",
        { std::string(writerRoot) + "=" + root, std::string(writerAction) + "=" + action });
}

using testsupport::finishedWell;

TEST(Preferences, DISABLED_WriterProcess)
{
    const char* root = std::getenv(writerRoot);
    const char* action = std::getenv(writerAction);
    if (!root || !action)
        GTEST_SKIP() << "only as another test's writer";
    DevicePath::setRoot(root);
    std::string what = action;
    if (what == "microphone") {
        ASSERT_TRUE(P::write(P::toggleMicrophone, true));
        return;
    }
    // "PREFIX:COUNT": keys PREFIX0 ... set to their number.
    const auto colon = what.find(':');
    ASSERT_NE(colon, std::string::npos);
    const std::string prefix = what.substr(0, colon);
    const int count = std::stoi(what.substr(colon + 1));
    for (int i = 0; i < count; ++i)
        ASSERT_TRUE(ZRPrefsManager::sharedInstance()->writeValue(PlistValue(std::int64_t(i)), prefix + std::to_string(i), P::domain));
}

TEST(Preferences, EveryReadSeesAnotherProcessesLatestWrite)
{
    TestDevice device;
    EXPECT_FALSE(P::read(P::toggleMicrophone));
    ASSERT_TRUE(finishedWell(startWriter(device.root(), "microphone")));
    EXPECT_TRUE(P::read(P::toggleMicrophone));
}

TEST(Preferences, TwoProcessesWritingDifferentKeysLoseNothing)
{
    TestDevice device;
    constexpr int writes = 60;
    pid_t a = startWriter(device.root(), "a:" + std::to_string(writes));
    pid_t b = startWriter(device.root(), "b:" + std::to_string(writes));
    EXPECT_TRUE(finishedWell(a));
    EXPECT_TRUE(finishedWell(b));
    auto manager = ZRPrefsManager::sharedInstance();
    for (int i = 0; i < writes; ++i) {
        EXPECT_EQ(manager->integerForKey("a" + std::to_string(i), -1, P::domain), i);
        EXPECT_EQ(manager->integerForKey("b" + std::to_string(i), -1, P::domain), i);
    }
}

std::string contentsOf(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST(Preferences, ADamagedDomainFileIsKeptAsideNotWrittenOver)
{
    const std::string truncated = "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict><key>defaultX</key><integer>12</integer><key>toggleMar";
    const std::string randomBytes("\x9c\x01\xff\x00\x7f\x13garbage\xee", 14);
    const std::string arrayAtTop = "<?xml version=\"1.0\"?><plist version=\"1.0\"><array><integer>1</integer></array></plist>";
    for (const std::string& damaged : { truncated, randomBytes, arrayAtTop }) {
        TestDevice device;
        auto manager = ZRPrefsManager::sharedInstance();
        std::string file = device.host(ZRPrefsManager::devicePathForDomain(P::domain));
        std::filesystem::create_directories(std::filesystem::path(file).parent_path());
        std::ofstream(file, std::ios::binary) << damaged;

        EXPECT_EQ(P::read(P::defaultWidth), 250.0) << "a damaged file reads as the defaults";
        ASSERT_FALSE(manager->readable(P::domain));
        EXPECT_TRUE(manager->keptUnreadableFiles(P::domain).empty());

        std::size_t mark = SystemLog::shared().lineCount();
        ASSERT_TRUE(P::write(P::toggleMicrophone, true));
        EXPECT_TRUE(P::read(P::toggleMicrophone));
        EXPECT_TRUE(manager->readable(P::domain));
        auto kept = manager->keptUnreadableFiles(P::domain);
        ASSERT_EQ(kept.size(), 1u);
        EXPECT_EQ(contentsOf(kept.front()), damaged) << "the damaged file is kept byte for byte";
        EXPECT_NE(kept.front().find(".plist.unreadable-"), std::string::npos) << kept.front();
        bool logged = false;
        for (const auto& line : SystemLog::shared().lines(mark))
            logged = logged || line.find(kept.front()) != std::string::npos;
        EXPECT_TRUE(logged);

        // Another damaged file later is kept too, beside the first.
        std::ofstream(file, std::ios::binary) << damaged;
        ASSERT_TRUE(P::write(P::toggleMicrophone, false));
        EXPECT_EQ(manager->keptUnreadableFiles(P::domain).size(), 2u);
    }
}

TEST(Preferences, AFolderInPlaceOfTheDomainFileIsNeverReplaced)
{
    TestDevice device;
    std::string file = device.host(ZRPrefsManager::devicePathForDomain(P::domain));
    std::filesystem::create_directories(file);
    EXPECT_FALSE(P::write(P::toggleMicrophone, true));
    EXPECT_TRUE(std::filesystem::is_directory(file));
}

}  // namespace
