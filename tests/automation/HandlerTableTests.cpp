// The driver's table of named steps: lookup, usage, registration, and the
// file reader around it.

#include "platform/automation/ScenarioDriver.h"
#include "platform/automation/ScenarioFile.h"
#include "platform/automation/StepContext.h"
#include "tests/support/TestDevice.h"

#include <gtest/gtest.h>

#include <fstream>

namespace {

using automation::ScenarioDriver;
using automation::StepContext;
using foundation::ErrorCode;
using foundation::Status;

class HandlerTable : public ::testing::Test {
protected:
    TestDevice device;
    ScenarioDriver driver;

    std::string file(const std::string& text)
    {
        std::string path = device.root() + "/test.scn";
        std::ofstream(path) << text;
        return path;
    }
};

TEST_F(HandlerTable, AnUnknownStepOrExpectationIsNamed)
{
    auto step = driver.runStep("frobnicate 1 2");
    ASSERT_FALSE(step);
    EXPECT_EQ(step.code(), ErrorCode::NotFound);
    EXPECT_EQ(step.message(), "unknown step \"frobnicate\"");
    auto expectation = driver.runStep("expect frobnication 3");
    ASSERT_FALSE(expectation);
    EXPECT_EQ(expectation.message(), "unknown expectation \"frobnication\"");
}

TEST_F(HandlerTable, ABlankLineDoesNothing)
{
    EXPECT_TRUE(driver.runStep(""));
    EXPECT_TRUE(driver.runStep("   \t "));
}

TEST_F(HandlerTable, AShortStepReportsItsUsage)
{
    EXPECT_EQ(driver.runStep("expect").message(), "usage: expect WHAT ...");
    EXPECT_EQ(driver.runStep("tap 10").message(), "usage: tap X Y");
    EXPECT_EQ(driver.runStep("drag 1 2 3").message(), "usage: drag X1 Y1 X2 Y2 [STEPS]");
    EXPECT_EQ(driver.runStep("expect log-count 2").message(), "usage: expect log-count N TEXT");
    EXPECT_EQ(driver.runStep("expect haptics").message(), "usage: expect haptics N");
    EXPECT_EQ(driver.runStep("screen big").message(), "usage: screen WxH@SCALE, e.g. screen 390x844@3");
    EXPECT_EQ(driver.runStep("screen 390x844@3x").message(), "usage: screen WxH@SCALE, e.g. screen 390x844@3");
}

TEST_F(HandlerTable, NumbersAndCountsAreCheckedBeforeAnythingHappens)
{
    auto notNumber = driver.runStep("tap ten 20");
    EXPECT_EQ(notNumber.code(), ErrorCode::InvalidArgument);
    EXPECT_EQ(notNumber.message(), "\"ten\" is not a number");
    EXPECT_EQ(driver.runStep("wait nan").message(), "\"nan\" is not a number");
    EXPECT_EQ(driver.runStep("expect haptics 1.5").message(), "\"1.5\" is not a whole number of zero or more");
    EXPECT_EQ(driver.runStep("expect notices -1").message(), "\"-1\" is not a whole number of zero or more");
    EXPECT_EQ(driver.runStep("drag 1 2 3 4 -2").message(), "\"-2\" is not a whole number of zero or more");
    EXPECT_EQ(driver.runStep("drag 1 2 3 4 0").message(), "a drag needs at least one step");
    EXPECT_EQ(driver.runStep("wait -1").message(), "time only goes forward");
}

TEST_F(HandlerTable, ARegisteredStepSeesItsArgumentsAsWrittenAndAsWords)
{
    std::vector<std::string> seen;
    ASSERT_TRUE(driver.registerStep("say", "say WHO TEXT", [&seen](StepContext& c) -> Status {
        TRY(c.need(2));
        seen = { c.argument(0), c.rest(1), c.joined(1), std::to_string(c.argumentCount()) };
        return {};
    }));
    ASSERT_TRUE(driver.runStep("say  alice   hello,   world"));
    EXPECT_EQ(seen, (std::vector<std::string> { "alice", "hello,   world", "hello, world", "3" }));
    EXPECT_EQ(driver.runStep("say alice").message(), "usage: say WHO TEXT");
    EXPECT_EQ(driver.steps().at("say").usage, "say WHO TEXT");
}

TEST_F(HandlerTable, ARegisteredExpectationGetsTheWordsAfterItsName)
{
    ASSERT_TRUE(driver.registerExpectation("answer", "expect answer N", [](StepContext& c) -> Status {
        auto n = TRY(c.count(0));
        if (n != 42)
            return StepContext::mismatch("answer " + c.argument(0), "answer 42");
        return {};
    }));
    EXPECT_TRUE(driver.runStep("expect answer 42"));
    auto wrong = driver.runStep("expect answer 41");
    ASSERT_FALSE(wrong);
    EXPECT_EQ(wrong.message(), "expected answer 41, found answer 42");
    EXPECT_EQ(driver.runStep("expect answer").message(), "usage: expect answer N");
}

TEST_F(HandlerTable, RegistrationRefusesTakenNamesBadNamesAndNoHandler)
{
    auto handler = [](StepContext&) -> Status { return {}; };
    auto taken = driver.registerStep("tap", "tap", handler);
    ASSERT_FALSE(taken);
    EXPECT_EQ(taken.message(), "the step \"tap\" is already registered");
    EXPECT_FALSE(driver.registerExpectation("log", "expect log", handler));
    EXPECT_FALSE(driver.registerStep("two words", "", handler));
    EXPECT_FALSE(driver.registerStep("", "", handler));
    EXPECT_FALSE(driver.registerStep("hash#tag", "", handler));
    EXPECT_FALSE(driver.registerStep("nothing", "nothing", nullptr));
    EXPECT_EQ(driver.runStep("nothing").message(), "unknown step \"nothing\"") << "a refused step is not in the table";
    // The same name may be a step and an expectation.
    EXPECT_TRUE(driver.registerExpectation("tap", "expect tap", handler));
}

TEST_F(HandlerTable, AHandlersFailureComesBackAsIs)
{
    ASSERT_TRUE(driver.registerStep("refuse", "refuse", [](StepContext&) -> Status {
        return foundation::Error { ErrorCode::Busy, "not now" };
    }));
    auto refused = driver.runStep("refuse");
    EXPECT_EQ(refused.code(), ErrorCode::Busy);
    EXPECT_EQ(refused.message(), "not now");
}

TEST_F(HandlerTable, ThePlatformRegistersTheGenericStepsAndNoProductOnes)
{
    for (const char* name : { "screen", "boot", "pref", "down", "move", "up", "cancel", "drag", "tap", "long-press", "tap-symbol",
             "tap-title", "long-press-title", "type", "wait", "snapshot", "expect" })
        EXPECT_TRUE(driver.steps().count(name)) << name;
    for (const char* name : { "log", "no-log", "log-count", "pref", "haptic", "haptics", "symbol", "text", "alert", "presented", "notices" })
        EXPECT_TRUE(driver.expectations().count(name)) << name;
    for (const char* name : { "invoke", "record-start", "record-stop", "wait-crop", "tap-notice", "replaykit-notices" })
        EXPECT_FALSE(driver.steps().count(name)) << name;
    for (const char* name : { "box", "toolbars", "window", "completion-notices", "video" })
        EXPECT_FALSE(driver.expectations().count(name)) << name;
}

TEST_F(HandlerTable, RunnersWithoutPreferencesOrSnapshotsSaySo)
{
    EXPECT_EQ(driver.runStep("pref toggleMarqel true").message(), "preferences are not available in this runner");
    EXPECT_EQ(driver.runStep("expect pref toggleMarqel true").message(), "preferences are not available in this runner");
    EXPECT_EQ(driver.runStep("snapshot a.png").message(), "snapshots are not available in this runner");
}

TEST_F(HandlerTable, PreferencesGoThroughTheWriterAndReaderHandedIn)
{
    std::map<std::string, std::string> stored { { "colour", "red" } };
    driver.setPreferences(
        [&stored](const std::string& key, const std::string& value) -> Status {
            if (!stored.count(key))
                return foundation::Error { ErrorCode::InvalidArgument, "no key " + key };
            stored[key] = value;
            return {};
        },
        [&stored](const std::string& key) -> std::optional<std::string> {
            auto found = stored.find(key);
            return found == stored.end() ? std::nullopt : std::optional(found->second);
        });
    EXPECT_TRUE(driver.runStep("pref colour dark  blue"));
    EXPECT_EQ(stored["colour"], "dark  blue") << "the value is the rest of the line";
    EXPECT_EQ(driver.runStep("pref size 3").message(), "no key size");
    EXPECT_TRUE(driver.runStep("pref colour FF0000"));
    EXPECT_TRUE(driver.runStep("expect pref colour FF0000"));
    EXPECT_EQ(driver.runStep("expect pref colour 00FF00").message(), "expected colour = 00FF00, found colour = FF0000");
    EXPECT_EQ(driver.runStep("expect pref size 3").message(), "unknown preference key size");
}

TEST_F(HandlerTable, TheFileReaderSkipsCommentsAndNamesTheFailingLine)
{
    std::vector<std::pair<int, std::string>> seen;
    int runs = 0;
    ASSERT_TRUE(driver.registerStep("count", "count", [&runs](StepContext&) -> Status {
        ++runs;
        return {};
    }));
    std::string path = file("# a comment\n\n  count   # trailing\ncount\r\n\t\ncount 2\nexpect nothing here\ncount\n");
    auto result = automation::runScenarioFile(driver, path, [&seen](int line, const std::string& step) { seen.emplace_back(line, step); });
    ASSERT_FALSE(result);
    EXPECT_EQ(result.message(), path + ":7: expect nothing here: unknown expectation \"nothing\"");
    EXPECT_EQ(runs, 3) << "the run stops at the failure";
    std::vector<std::pair<int, std::string>> expected { { 3, "count" }, { 4, "count" }, { 6, "count 2" }, { 7, "expect nothing here" } };
    EXPECT_EQ(seen, expected);
}

TEST_F(HandlerTable, AFileThatPassesAndOneThatCannotBeRead)
{
    EXPECT_TRUE(automation::runScenarioFile(driver, file("wait 1\n# done\n")));
    auto missing = automation::runScenarioFile(driver, device.root() + "/missing.scn");
    ASSERT_FALSE(missing);
    EXPECT_EQ(missing.code(), ErrorCode::UnreadableInput);
    EXPECT_EQ(missing.message(), "cannot read the scenario file " + device.root() + "/missing.scn");
}

}  // namespace
