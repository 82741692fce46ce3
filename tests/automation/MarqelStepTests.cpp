// The crop tool's own steps, registered by the scenario module, against the
// overlay's real classes and fabricated notices: each expectation passes on
// what the user sees and fails with what it found.

#include "platform/automation/ScenarioDriver.h"
#include "platform/foundation/Foundation.h"
#include "platform/springboard/NoticeCenter.h"
#include "platform/uikit/UIKit.h"
#include "scenario/MarqelSteps.h"
#include "scenario/OverlayQueries.h"
#include "scenario/RecordingQueries.h"
#include "tests/support/TestDevice.h"
#include "tweak/core/MarqelWindow.h"
#include "tweak/editor/MarqelViewController.h"
#include "tweak/editor/ResizableBox.h"

#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <sstream>

namespace {

using automation::ScenarioDriver;

class MarqelSteps : public ::testing::Test {
protected:
    TestDevice device;
    ScenarioDriver driver;
    std::optional<scenario::RecordingSteps> recording;

    void SetUp() override
    {
        UIApplication::sharedApplication()->reset();
        UIScreen::mainScreen()->resetToDefault();
        auto steps = scenario::registerMarqelSteps(driver);
        ASSERT_TRUE(steps) << steps.message();
        recording = steps.release();
    }
    void TearDown() override { UIApplication::sharedApplication()->reset(); }

    std::string failure(const std::string& line)
    {
        auto status = driver.runStep(line);
        return status ? "passed" : status.message();
    }

    static std::shared_ptr<MarqelWindow> showOverlay()
    {
        auto window = alloc<MarqelWindow>()->init();
        window->showWithAnimation(false);
        RunLoop::main().drain();
        return window;
    }

    // A completion notice as the product builds it.
    static Notice completionNotice(const std::string& id)
    {
        namespace form = scenario::completionNotice;
        Notice n;
        n.section = form::section;
        n.title = form::title;
        n.message = form::message;
        n.bulletinID = id + "-b";
        n.recordID = id + "-r";
        n.publisherBulletinID = id + "-p";
        n.launchBundleID = form::opens;
        n.destinations = form::destinations;
        n.onServerQueue = true;
        n.setters = form::setterOrder;
        return n;
    }
};

TEST_F(MarqelSteps, RegisteringTwiceIsRefused)
{
    auto again = scenario::registerMarqelSteps(driver);
    ASSERT_FALSE(again);
    EXPECT_EQ(again.message(), "the step \"invoke\" is already registered");
}

TEST_F(MarqelSteps, WithoutTheOverlayNothingIsFound)
{
    EXPECT_EQ(failure("expect box 70 297 250 250"), "expected a crop box on screen, found none");
    EXPECT_EQ(failure("expect toolbars 1"), "expected the overlay's tool bars, found none");
    EXPECT_EQ(failure("expect window 0"), "expected the overlay window, found none");
    EXPECT_EQ(failure("expect readout hidden"), "expected a read-out in the box, found none");
    EXPECT_EQ(failure("expect dash solid"), "expected the box's outline, found none");
    EXPECT_EQ(failure("expect cutout 70 297 250 250"), "expected a dimmed screen with a cut-out, found none");
}

TEST_F(MarqelSteps, TheBoxAndItsCutOutAreFoundByWhatTheyAre)
{
    auto window = showOverlay();
    EXPECT_TRUE(driver.runStep("expect box 70 297 250 250"));
    EXPECT_TRUE(driver.runStep("expect box 70.0005 297 250 250")) << "to 1e-3";
    EXPECT_EQ(failure("expect box 70.01 297 250 250"), "expected box 70.01 297 250 250, found box 70 297 250 250");
    EXPECT_EQ(failure("expect box 70 297 250 x"), "\"x\" is not a number");
    EXPECT_TRUE(driver.runStep("expect cutout 70 297 250 250"));
    EXPECT_EQ(failure("expect cutout 71 297 250 250"), "expected a cut-out 71 297 250 250, found dimmed at (320.5, 297.5)");
    EXPECT_EQ(failure("expect cutout 70 297 249 250"), "expected a cut-out 70 297 249 250, found clear at (319.5, 422)");
    EXPECT_EQ(scenario::findBox(), std::static_pointer_cast<UIView>(window->marqelVC()->marqelView()));
}

TEST_F(MarqelSteps, TheToolBarsAreFoundByTheButtonsTheyHoldEvenFadedOut)
{
    auto window = showOverlay();
    auto controller = window->marqelVC();
    EXPECT_EQ(scenario::toolBarHolding("xmark"), controller->topView());
    EXPECT_EQ(scenario::toolBarHolding("record.circle"), controller->bottomView());
    EXPECT_TRUE(driver.runStep("expect toolbars 1"));
    EXPECT_EQ(failure("expect toolbars 0"), "expected tool bars at alpha 0, found top 1, bottom 1");
    controller->hideToolView(true);
    RunLoop::main().runFor(0.2);
    EXPECT_TRUE(driver.runStep("expect toolbars 0"));
    // Their place among the content's subviews does not matter.
    auto content = controller->view();
    content->insertSubviewAtIndex(controller->bottomView(), 0);
    content->addSubview(controller->topView());
    EXPECT_EQ(scenario::toolBarHolding("xmark"), controller->topView());
    EXPECT_EQ(scenario::toolBarHolding("record.circle"), controller->bottomView());
    controller->hideToolView(false);
    RunLoop::main().runFor(0.1);
    EXPECT_EQ(failure("expect toolbars 1"), "expected tool bars at alpha 1, found top 0.5, bottom 0.5");
}

TEST_F(MarqelSteps, TheWindowReadoutAndOutline)
{
    auto window = showOverlay();
    EXPECT_TRUE(driver.runStep("expect window 1"));
    EXPECT_EQ(failure("expect window 0.5"), "expected window alpha 0.5, found 1");
    EXPECT_TRUE(driver.runStep("expect readout hidden"));
    EXPECT_TRUE(driver.runStep("expect dash solid"));
    EXPECT_EQ(failure("expect dash 6,8"), "expected dash 6,8, found dash solid");
    ASSERT_TRUE(driver.runStep("down 195 422"));
    EXPECT_TRUE(driver.runStep("expect readout W:250 H:250"));
    EXPECT_EQ(failure("expect readout hidden"), "expected read-out hidden, found W:250 H:250");
    ASSERT_TRUE(driver.runStep("up 195 422"));
    window->hideWithAnimation(false);
    EXPECT_TRUE(driver.runStep("expect window 0")) << "a faded overlay is still the overlay";
}

TEST_F(MarqelSteps, NoRecordingAndAnEmptyLibrary)
{
    EXPECT_TRUE(driver.runStep("expect recording off"));
    EXPECT_EQ(failure("expect recording on"), "expected recording on, found off");
    EXPECT_EQ(failure("expect recording maybe"), "usage: expect recording on|off") << "anything but on used to mean off";
    EXPECT_TRUE(driver.runStep("expect library 0"));
    EXPECT_EQ(failure("expect library 1"), "expected 1 videos in the library, found 0");
    EXPECT_TRUE(driver.runStep("expect deleted 0"));
    EXPECT_EQ(failure("expect deleted 2"), "expected 2 videos in Recently Deleted, found 0");
    EXPECT_EQ(failure("expect video 10 10"), "expected a video in the library, found none");
    EXPECT_EQ(failure("expect library many"), "\"many\" is not a number");
}

TEST_F(MarqelSteps, StepsThatCannotBeDone)
{
    EXPECT_EQ(failure("record-stop pocket"), "record-stop takes status-bar or control-center");
    EXPECT_EQ(failure("record-start loud"), "usage: record-start [mic]");
    EXPECT_EQ(failure("replaykit-notices pigeon"), "replaykit-notices takes dispatcher, bulletin-server or both");
    EXPECT_EQ(failure("tap-notice rendered"), "no notice contains \"rendered\"");
    EXPECT_EQ(failure("wait-crop 2"), "no cropped movie's notice within 2 s");
    EXPECT_EQ(failure("wait-crop -1"), "time only goes forward");
}

TEST_F(MarqelSteps, WaitCropReturnsOnceANewCompletionNoticeIsPosted)
{
    double start = RunLoop::main().now();
    dispatch_after(dispatch_time(DISPATCH_TIME_NOW, 3 * NSEC_PER_SEC), dispatch_get_main_queue(), [] { NoticeCenter::shared().add(completionNotice("one")); });
    ASSERT_TRUE(driver.runStep("wait-crop 30"));
    EXPECT_NEAR(RunLoop::main().now() - start, 3, 1e-6);
    EXPECT_EQ(failure("wait-crop 1"), "no cropped movie's notice within 1 s") << "that notice was already waited for";
}

TEST_F(MarqelSteps, NoticesByTextAndTheLaunchOfATap)
{
    Notice other;
    other.section = "com.apple.ReplayKitNotifications";
    other.title = "Screen Recording";
    other.message = "Screen recording video saved to Photos.";
    other.launchBundleID = "com.apple.mobileslideshow";
    NoticeCenter::shared().add(other);
    EXPECT_TRUE(driver.runStep("expect notice saved to Photos"));
    EXPECT_TRUE(driver.runStep("expect notice Screen Recording"));
    EXPECT_EQ(failure("expect notice rendered and ready"), "expected a notice containing \"rendered and ready\", found 1 notices without it");
    EXPECT_EQ(failure("expect launched com.apple.mobileslideshow"), "expected a launch of com.apple.mobileslideshow, found none");
    ASSERT_TRUE(driver.runStep("tap-notice saved to"));
    EXPECT_TRUE(driver.runStep("expect launched com.apple.mobileslideshow"));
    EXPECT_EQ(failure("expect launched com.apple.Preferences"), "expected a launch of com.apple.Preferences, found com.apple.mobileslideshow");
}

TEST_F(MarqelSteps, CompletionNoticesAreCountedAndEachIsBuiltRight)
{
    EXPECT_TRUE(driver.runStep("expect completion-notices 0"));
    NoticeCenter::shared().add(completionNotice("one"));
    NoticeCenter::shared().add(completionNotice("two"));
    EXPECT_TRUE(driver.runStep("expect completion-notices 2"));
    EXPECT_EQ(failure("expect completion-notices 1"), "expected 1 completion notices, found 2");
    EXPECT_EQ(scenario::completionNoticeCount(), 2u);
}

struct BrokenNotice {
    const char* what;
    std::function<void(Notice&)> breakIt;
    const char* message;
};

TEST_F(MarqelSteps, EachFaultOfACompletionNoticeIsReported)
{
    const BrokenNotice cases[] = {
        { "title", [](Notice& n) { n.title = "Marqel!"; }, "expected the completion notice's title and message, found Marqel!: " },
        { "message", [](Notice& n) { n.message = "Done."; }, "expected the completion notice's title and message, found Marqel: Done." },
        { "setter order", [](Notice& n) { n.setters = "setMessage:,setTitle:"; }, "found setMessage:,setTitle:" },
        { "tap", [](Notice& n) { n.launchBundleID = ""; }, "expected a tap that opens Photos, found \"\"" },
        { "destinations", [](Notice& n) { n.destinations = 7; }, "expected destinations 15 on the server's queue, found 7 on the queue" },
        { "queue", [](Notice& n) { n.onServerQueue = false; }, "expected destinations 15 on the server's queue, found 15 off the queue" },
        { "empty identifier", [](Notice& n) { n.recordID = ""; }, "expected fresh, distinct identifiers, found \"\" again" },
        { "identifier of another notice", [](Notice& n) { n.bulletinID = "first-b"; }, "expected fresh, distinct identifiers, found \"first-b\" again" },
        { "identifier used twice in one", [](Notice& n) { n.publisherBulletinID = n.bulletinID; }, "expected fresh, distinct identifiers, found \"second-b\" again" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        NoticeCenter::shared().clear();
        NoticeCenter::shared().add(completionNotice("first"));
        auto broken = completionNotice("second");
        c.breakIt(broken);
        NoticeCenter::shared().add(broken);
        std::string message = failure("expect completion-notices 2");
        EXPECT_NE(message.find(c.message), std::string::npos) << message;
    }
}

// The README's scenario section lists every step and expectation a
// scenario can use.
TEST_F(MarqelSteps, TheReadmeDocumentsEveryRegisteredStep)
{
    std::ifstream in(std::string(MARQEL_SOURCE_DIR) + "/README.md");
    std::stringstream text;
    text << in.rdbuf();
    std::string readme = text.str();
    auto start = readme.find("## Scenario files");
    ASSERT_NE(start, std::string::npos);
    auto end = readme.find("\n## ", start + 1);
    std::string section = readme.substr(start, end - start);
    auto mentions = [&section](const std::string& phrase) {
        return std::regex_search(section, std::regex("(^|[\\s|`])" + std::regex_replace(phrase, std::regex("[.]"), "\\.") + "($|[\\s|`])"));
    };
    for (const auto& [name, entry] : driver.steps())
        EXPECT_TRUE(mentions(name)) << "step " << name;
    for (const auto& [name, entry] : driver.expectations())
        EXPECT_TRUE(mentions("expect " + name)) << "expectation " << name;
}

// Every expectation has a scenario that must fail, so a comparison that
// stops comparing turns the suite red. One played in the Settings app
// ("settings-expect-NAME.scn") or the Photos app ("photos-expect-NAME.scn")
// counts as well as one in SpringBoard.
TEST_F(MarqelSteps, EveryExpectationHasAScenarioThatMustFail)
{
    std::string folder = std::string(MARQEL_SOURCE_DIR) + "/tests/scenarios/must-fail/";
    for (const auto& [name, entry] : driver.expectations()) {
        bool found = false;
        for (const char* prefix : { "expect-", "settings-expect-", "photos-expect-" }) {
            std::ifstream in(folder + prefix + name + ".scn");
            if (!in.is_open())
                continue;
            found = true;
            std::stringstream text;
            text << in.rdbuf();
            EXPECT_NE(text.str().find("# fails with: "), std::string::npos) << prefix << name;
            EXPECT_NE(text.str().find("expect " + name + " "), std::string::npos) << prefix << name;
        }
        EXPECT_TRUE(found) << "no must-fail scenario for expect " << name;
    }
}

}  // namespace
