// SpringBoard's roads to the rest of the phone, as a person takes them: an
// icon tapped on the home screen, the swipe up from the bottom edge, the
// Respring tile and a recording's notice each become one request to the
// display; and a process on the display hands over what its windows show
// and takes the touches, keys, clock and steps the display sends it.

#include "platform/display/DisplayServer.h"
#include "platform/foundation/Foundation.h"
#include "platform/render/Compositor.h"
#include "platform/springboard/AppLauncher.h"
#include "platform/springboard/BannerCenter.h"
#include "platform/springboard/DisplayLink.h"
#include "platform/springboard/HomeGesture.h"
#include "platform/springboard/HomeScreen.h"
#include "platform/springboard/NoticeCenter.h"
#include "platform/springboard/StatusBar.h"
#include "platform/springboard/SystemGestureView.h"
#include "platform/springboard/controlcenter/ControlCenter.h"
#include "platform/springboard/controlcenter/RespringModule.h"
#include "platform/uikit/UIKit.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestDevice.h"
#include "tests/support/Touches.h"

#include <gtest/gtest.h>

namespace {

using testsupport::drag;
using testsupport::touch;

void tap(CGPoint point)
{
    touch(UITouchPhaseBegan, point);
    touch(UITouchPhaseEnded, point);
    RunLoop::main().drain();
}

class PhoneRoads : public ::testing::Test {
protected:
    TestDevice device;
    std::vector<display::Lifecycle> requests;

    void SetUp() override
    {
        AppLauncher::shared().setRequester([this](const display::Lifecycle& lifecycle) -> foundation::Status {
            requests.push_back(lifecycle);
            return {};
        });
    }
    void TearDown() override
    {
        HomeGesture::shared().setAppWantsLightContent(false);
        HomeGesture::shared().setAppInFront(false);
        HomeScreen::shared().hide();
        AppLauncher::shared().setRequester(nullptr);
    }
    std::vector<std::string> launched() const
    {
        std::vector<std::string> bundles;
        for (const auto& r : requests)
            if (r.action == display::LifecycleAction::Launch)
                bundles.push_back(r.bundleIdentifier);
        return bundles;
    }
};

}  // namespace

TEST_F(PhoneRoads, AnIconOnTheHomeScreenOpensItsAppAndOnlyAnAppThatIsHere)
{
    HomeScreen::shared().show();
    RunLoop::main().drain();
    tap(*HomeScreen::iconCentre("Settings"));
    tap(*HomeScreen::iconCentre("Photos"));
    tap(*HomeScreen::iconCentre("Mail"));  // no Mail on this phone
    tap(*HomeScreen::iconCentre("Music"));  // the dock's
    // Between the icons and on the wallpaper nothing opens.
    CGRect settings = HomeScreen::iconFrame(14);
    tap(CGPointMake(CGRectGetMaxX(settings) + 10, CGRectGetMidY(settings)));
    tap(CGPointMake(195, 640));
    EXPECT_EQ(launched(), (std::vector<std::string> { "com.apple.Preferences", "com.apple.mobileslideshow" }));
    EXPECT_EQ(HomeScreen::iconNameAt(CGPointMake(CGRectGetMidX(settings), CGRectGetMidY(settings))), "Settings");
    EXPECT_FALSE(HomeScreen::iconCentre("Solitaire"));
}

TEST_F(PhoneRoads, TheSwipeUpFromTheBottomEdgeGoesHomeOnlyWhileAnAppIsInFront)
{
    HomeScreen::shared().show();
    StatusBar::shared().show();
    CGSize screen = UIScreen::mainScreen()->bounds().size;
    auto swipeUp = [&] { drag(CGPointMake(195, screen.height - 6), CGPointMake(195, screen.height - 200)); };

    swipeUp();  // on the home screen: the dock's, not a gesture
    EXPECT_TRUE(requests.empty());

    HomeGesture::shared().setAppInFront(true);
    ASSERT_TRUE(HomeGesture::shared().window());
    EXPECT_FALSE(HomeGesture::shared().window()->isHidden());
    EXPECT_TRUE(StatusBar::shared().hasDarkContent());
    // The time is drawn dark over a light app: its ink in the time's box.
    const auto& surface = render::Compositor::shared().renderSurface();
    double scale = UIScreen::mainScreen()->scale();
    int dark = 0;
    for (int x = 30; x < 90; ++x)
        for (int y = 16; y < 34; ++y) {
            auto p = surface.pixel(static_cast<int>(x * scale), static_cast<int>(y * scale));
            dark += p[0] < 40 && p[1] < 40 && p[2] < 40;
        }
    EXPECT_GT(dark, 20);

    swipeUp();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].action, display::LifecycleAction::Home);
    // A tap on the strip is no swipe.
    tap(CGPointMake(195, screen.height - 6));
    EXPECT_EQ(requests.size(), 1u);

    HomeGesture::shared().setAppInFront(false);
    EXPECT_TRUE(HomeGesture::shared().window()->isHidden());
    EXPECT_FALSE(StatusBar::shared().hasDarkContent());
}

TEST_F(PhoneRoads, TheRespringTileAsksTheDisplayToStartSpringBoardAgain)
{
    RespringModule tile;
    EXPECT_EQ(tile.title(), "Respring");
    EXPECT_EQ(tile.tileTapped(), ControlCenterModule::AfterTap::Close);
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].action, display::LifecycleAction::Respring);
    EXPECT_TRUE(requests[0].bundleIdentifier.empty());
}

TEST_F(PhoneRoads, ARecordingsNoticeOpensPhotosOnTheNewestVideo)
{
    Notice notice;
    notice.section = "com.apple.ReplayKitNotifications";
    notice.title = "Screen Recording";
    notice.launchBundleID = "com.apple.mobileslideshow";
    auto opened = NoticeCenter::shared().open(notice);
    ASSERT_TRUE(opened) << opened.message();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].bundleIdentifier, "com.apple.mobileslideshow");
    EXPECT_EQ(requests[0].url, AppLauncher::newestVideoURL);

    // A refused launch is the tap's failure, said as such.
    AppLauncher::shared().setRequester([](const display::Lifecycle&) -> foundation::Status {
        return foundation::Error::failed("the display is gone");
    });
    auto refused = NoticeCenter::shared().open(notice);
    ASSERT_FALSE(refused);
    EXPECT_NE(refused.message().find("the display is gone"), std::string::npos);
}

TEST_F(PhoneRoads, ABannersWindowCoversOnlyTheBanner)
{
    Notice notice;
    notice.section = "com.apple.ReplayKitNotifications";
    notice.title = "Screen Recording";
    notice.message = "Saved.";
    BannerCenter::shared().present(notice);
    RunLoop::main().runFor(1);
    auto banner = BannerCenter::shared().bannerView();
    ASSERT_TRUE(banner);
    CGRect window = banner->window()->frame();
    CGRect drawn = banner->convertRectToScreen(banner->bounds());
    EXPECT_LE(CGRectGetMaxY(drawn), CGRectGetMaxY(window));
    EXPECT_GE(drawn.origin.y, window.origin.y);
    EXPECT_LT(window.size.height, UIScreen::mainScreen()->bounds().size.height / 3);
}

// ------------------------------------------------------- on the display

class OnTheDisplay : public ::testing::Test {
protected:
    TestDevice device;
    testsupport::TempDir folder { "marqel-display" };
    display::DisplayServer server { display::DisplayServer::Options { CGSizeMake(390, 844), 1, 64 } };
    std::unique_ptr<DisplayLink> link;
    std::vector<display::Payload> told;

    void SetUp() override
    {
        std::string socket = folder.path() + "/display.sock";
        ASSERT_TRUE(server.listen(socket));
        server.setMessageHandler([this](display::ClientId, const display::Payload& payload) { told.push_back(payload); });
        auto connected = DisplayLink::connect(socket, display::ProcessRole::SpringBoard, "com.apple.springboard");
        ASSERT_TRUE(connected) << connected.message();
        link = connected.release();
    }
    // The display reads, the process answers, the display reads again.
    void exchange()
    {
        server.serveOnce(50);
        server.composite();
        server.serveOnce(0);
        ASSERT_TRUE(link->pump());
        server.serveOnce(50);
    }
};

TEST_F(OnTheDisplay, AWindowIsShownAsItIsDrawnAndTakesTheTouchesMeantForIt)
{
    auto window = alloc<UIWindow>(CGRectMake(0, 400, 390, 200));
    auto surface = window->add<SystemGestureView>(window->bounds());
    surface->setBackgroundColor(UIColor::colorWithRed(1, 0, 0, 1));
    int taps = 0;
    surface->onTap = [&taps](CGPoint) { ++taps; };
    window->makeKeyAndVisible();
    ASSERT_TRUE(link->publishWindows());
    exchange();
    const auto& screen = server.composite();
    auto inside = screen.pixel(195, 500);
    EXPECT_GT(inside[0], 200);
    EXPECT_LT(inside[1], 40);
    EXPECT_EQ(screen.pixel(195, 300)[0], 0);  // black where no window is

    EXPECT_TRUE(server.sendTouch(display::TouchPhase::Began, CGPointMake(195, 500), 1));
    EXPECT_TRUE(server.sendTouch(display::TouchPhase::Ended, CGPointMake(195, 500), 2));
    exchange();
    RunLoop::main().drain();
    EXPECT_EQ(taps, 1);

    // Unchanged, it is not handed over again; hidden, it leaves the display.
    std::uint64_t published = link->windowsPublished();
    ASSERT_TRUE(link->publishWindows());
    EXPECT_EQ(link->windowsPublished(), published);
    window->setHidden(true);
    ASSERT_TRUE(link->publishWindows());
    exchange();
    EXPECT_EQ(server.composite().pixel(195, 500)[0], 0);
}

TEST_F(OnTheDisplay, AKeyNobodyTakesGoesToTheHostThenBackToTheDisplay)
{
    std::vector<std::string> shortcuts;
    link->setShortcutHandler([&shortcuts](const std::string& key) {
        shortcuts.push_back(key);
        return key == "I";
    });
    exchange();
    EXPECT_TRUE(server.sendKey({ display::KeyPhase::Down, 'i', 0, "I", 12 }));
    EXPECT_TRUE(server.sendKey({ display::KeyPhase::Down, 'r', 0, "R", 21 }));
    exchange();
    EXPECT_EQ(shortcuts, (std::vector<std::string> { "I", "R" }));
    ASSERT_EQ(told.size(), 1u);
    EXPECT_EQ(std::get<display::KeyNotTaken>(told[0]).key.name, "R");
}

TEST_F(OnTheDisplay, AScriptedProcessRunsItsClockAndPlaysStepsWhenAsked)
{
    RunLoop::main().reset(ClockKind::Virtual);
    bool fired = false;
    dispatch_after(dispatch_time(DISPATCH_TIME_NOW, static_cast<std::int64_t>(0.4e9)), dispatch_get_main_queue(), [&fired] { fired = true; });
    link->setStepRunner([](const std::string& line) -> foundation::Status {
        if (line == "wave")
            return {};
        if (line == "frown")
            return foundation::Error::failed("expected a smile, found a frown");
        return foundation::Error { foundation::ErrorCode::NotFound, "unknown step \"" + line + "\"" };
    });
    exchange();
    double before = RunLoop::main().now();
    auto id = server.springBoard();
    ASSERT_TRUE(id);
    server.sendTo(*id, display::Advance { 0.5 });
    server.sendTo(*id, display::Step { "wave" });
    server.sendTo(*id, display::Step { "frown" });
    server.sendTo(*id, display::Step { "dance" });
    exchange();
    EXPECT_TRUE(fired);
    ASSERT_EQ(told.size(), 4u);
    EXPECT_DOUBLE_EQ(std::get<display::Reached>(told[0]).seconds, before + 0.5);
    EXPECT_EQ(std::get<display::StepDone>(told[1]).outcome, display::StepOutcome::Done);
    EXPECT_EQ(std::get<display::StepDone>(told[2]).outcome, display::StepOutcome::Failed);
    EXPECT_EQ(std::get<display::StepDone>(told[2]).message, "expected a smile, found a frown");
    EXPECT_EQ(std::get<display::StepDone>(told[3]).outcome, display::StepOutcome::NotHere);
}
