// SpringBoard's own interface as a person meets it: the red pill while the
// system records and the alert that stops it, Control Center pulled down
// from the status bar, and banners. Everything is driven by touches on the
// screen and read back from what is drawn, on the virtual clock.

#include "platform/foundation/Foundation.h"
#include "platform/render/Compositor.h"
#include "platform/replaykit/RPScreenRecorder.h"
#include "platform/springboard/BannerCenter.h"
#include "platform/springboard/NoticeCenter.h"
#include "platform/springboard/ScreenRecordingControl.h"
#include "platform/springboard/StatusBar.h"
#include "platform/springboard/SystemAlert.h"
#include "platform/springboard/SystemGestureView.h"
#include "platform/springboard/controlcenter/ControlCenter.h"
#include "platform/springboard/controlcenter/MarqelToggleModule.h"
#include "platform/springboard/controlcenter/ScreenRecordingModule.h"
#include "platform/uikit/UIKit.h"
#include "tests/support/TestDevice.h"
#include "tests/support/Touches.h"

#include <gtest/gtest.h>

extern "C" {
#include <libavutil/log.h>
}

namespace {

[[maybe_unused]] const bool quietEncoder = [] {
    av_log_set_level(AV_LOG_ERROR);
    return true;
}();

// Hears the invocation notification, as the tweak would.
class InvocationListener : public Object {
    MARQEL_OBJECT(InvocationListener, Object)
public:
    void invoked() { ++count; }
    int count = 0;
};

}  // namespace

MARQEL_DEFINE_CLASS(InvocationListener, method<&InvocationListener::invoked>("invoked"))

namespace {

using testsupport::drag;
using testsupport::touch;

void tap(CGPoint point)
{
    touch(UITouchPhaseBegan, point);
    touch(UITouchPhaseEnded, point);
    RunLoop::main().drain();
}

CGPoint centreOf(const std::shared_ptr<UIView>& view)
{
    CGRect b = view->bounds();
    return view->convertPointToScreen(CGPointMake(CGRectGetMidX(b), CGRectGetMidY(b)));
}

bool shown(const std::shared_ptr<UIView>& view)
{
    for (auto v = view; v; v = v->superview())
        if (v->isHidden() || v->presentationAlpha() <= 0.01)
            return false;
    return true;
}

// A window standing where the tweak's overlay does (alert level), covering
// the screen in one colour, and counting the taps that reach it.
struct OverlayStandIn {
    std::shared_ptr<UIWindow> window = alloc<UIWindow>();
    std::shared_ptr<SystemGestureView> surface;
    int taps = 0;

    OverlayStandIn()
    {
        window->setWindowLevel(UIWindowLevelAlert);
        surface = window->add<SystemGestureView>(window->bounds());
        surface->setBackgroundColor(UIColor::colorWithRed(0, 0.5, 0, 1));
        surface->onTap = [this](CGPoint) { ++taps; };
        window->setHidden(false);
    }
};

class SystemInterface : public ::testing::Test {
protected:
    TestDevice device;

    void SetUp() override
    {
        // What SpringBoard's boot does for these.
        replaykit::registerControlCenterBundle();
        StatusBar::shared().show();
        ControlCenter::shared().addModule(std::make_shared<ScreenRecordingModule>());
        ControlCenter::shared().addModule(std::make_shared<MarqelToggleModule>());
    }
    void TearDown() override
    {
        // The recorder outlives the test's device: leave it stopped.
        if (ScreenRecordingControl::isRecording()) {
            ScreenRecordingControl::stopFromStatusBar();
            RunLoop::main().runFor(0.1);
        }
    }

    static void startRecording()
    {
        std::string refusal = "not answered";
        ScreenRecordingControl::start(false, [&](const std::string& why) { refusal = why; });
        ASSERT_EQ(refusal, "");
    }

    // The screen's pixel at a point, as drawn.
    static std::array<std::uint8_t, 4> drawnAt(CGPoint point)
    {
        const auto& surface = render::Compositor::shared().renderSurface();
        double scale = UIScreen::mainScreen()->scale();
        return surface.pixel(static_cast<int>(point.x * scale), static_cast<int>(point.y * scale));
    }
    static bool isRed(const std::array<std::uint8_t, 4>& p) { return p[0] > 180 && p[1] < 60 && p[2] < 60; }

    static CGPoint statusBarPoint(double fractionOfWidth)
    {
        return CGPointMake(UIScreen::mainScreen()->bounds().size.width * fractionOfWidth, 20);
    }
    static void pullDown(double fractionOfWidth)
    {
        CGPoint from = statusBarPoint(fractionOfWidth);
        drag(from, CGPointMake(from.x, 300));
        RunLoop::main().runFor(ControlCenter::animationDuration);
    }
};

// ---------------------------------------------------------------- the pill

TEST_F(SystemInterface, ARedPillIsDrawnWhereTheTimeIsOnlyWhileTheSystemRecords)
{
    const auto& pill = StatusBar::shared().recordingPill();
    ASSERT_TRUE(pill);
    CGRect frame = pill->convertRectToScreen(pill->bounds());
    // Beside the time's digits, inside the capsule.
    CGPoint edge = CGPointMake(CGRectGetMinX(frame) + 6, CGRectGetMidY(frame));
    EXPECT_FALSE(isRed(drawnAt(edge)));
    EXPECT_FALSE(StatusBar::shared().showsRecording());

    startRecording();
    RunLoop::main().drain();
    EXPECT_TRUE(StatusBar::shared().showsRecording());
    EXPECT_TRUE(shown(pill));
    EXPECT_TRUE(isRed(drawnAt(edge)));
    // The time is still there, in white on the red.
    bool whiteInTheMiddle = false;
    for (double dx = -12; dx <= 12 && !whiteInTheMiddle; dx += 0.34) {
        auto p = drawnAt(CGPointMake(CGRectGetMidX(frame) + dx, CGRectGetMidY(frame)));
        whiteInTheMiddle = p[0] > 230 && p[1] > 230 && p[2] > 230;
    }
    EXPECT_TRUE(whiteInTheMiddle) << "the time's digits are not drawn on the pill";

    ScreenRecordingControl::stopFromStatusBar();
    RunLoop::main().runFor(0.1);
    EXPECT_FALSE(StatusBar::shared().showsRecording());
    EXPECT_FALSE(isRed(drawnAt(edge)));
}

TEST_F(SystemInterface, AWindowAtAlertLevelCoversThePillAndTakesItsTouches)
{
    startRecording();
    const auto& pill = StatusBar::shared().recordingPill();
    CGRect frame = pill->convertRectToScreen(pill->bounds());
    CGPoint edge = CGPointMake(CGRectGetMinX(frame) + 6, CGRectGetMidY(frame));
    EXPECT_TRUE(isRed(drawnAt(edge)));
    // As on the phone, the status bar is beneath a full-screen window at
    // alert level: the overlay hides it, and a tap there is the overlay's.
    OverlayStandIn overlay;
    EXPECT_LT(StatusBar::shared().window()->windowLevel(), overlay.window->windowLevel());
    EXPECT_FALSE(isRed(drawnAt(edge)));
    tap(centreOf(pill));
    EXPECT_EQ(overlay.taps, 1);
    EXPECT_FALSE(SystemAlert::current());
}

TEST_F(SystemInterface, TappingThePillAsksAndCancelKeepsRecording)
{
    startRecording();
    tap(centreOf(StatusBar::shared().recordingPill()));
    auto alert = SystemAlert::current();
    ASSERT_TRUE(alert);
    EXPECT_EQ(alert->title(), "Screen Recording");
    ASSERT_EQ(alert->actions().size(), 2u);
    EXPECT_EQ(alert->actions()[0]->title(), "Cancel");
    EXPECT_EQ(alert->actions()[0]->style(), UIAlertActionStyleCancel);
    EXPECT_EQ(alert->actions()[1]->title(), "Stop");
    // A second tap while it asks stacks nothing.
    tap(centreOf(StatusBar::shared().recordingPill()));
    EXPECT_EQ(SystemAlert::current(), alert);

    tap(centreOf(alert->buttonForAction(alert->actions()[0])));
    EXPECT_FALSE(SystemAlert::current());
    EXPECT_TRUE(ScreenRecordingControl::isRecording());
    EXPECT_TRUE(StatusBar::shared().showsRecording());
}

TEST_F(SystemInterface, StopInTheAlertEndsTheRecordingAndTheAlertIsAboveEverything)
{
    startRecording();
    tap(centreOf(StatusBar::shared().recordingPill()));
    OverlayStandIn overlay;
    auto alert = SystemAlert::current();
    ASSERT_TRUE(alert);
    auto stop = alert->buttonForAction(alert->actions()[1]);
    EXPECT_GT(stop->window()->windowLevel(), ControlCenter::shared().window() ? ControlCenter::shared().window()->windowLevel() : SystemWindow::controlCenterLevel);
    EXPECT_EQ(UIApplication::sharedApplication()->hitTest(centreOf(stop)), stop);

    std::size_t mark = SystemLog::shared().lineCount();
    tap(centreOf(stop));
    RunLoop::main().runFor(0.1);
    EXPECT_FALSE(ScreenRecordingControl::isRecording());
    EXPECT_FALSE(SystemAlert::current());
    EXPECT_FALSE(StatusBar::shared().showsRecording());
    bool stopped = false;
    for (const auto& line : SystemLog::shared().lines(mark))
        stopped = stopped || line.find("ReplayKit: recording stopped") != std::string::npos;
    EXPECT_TRUE(stopped);
    EXPECT_EQ(overlay.taps, 0);
}

TEST_F(SystemInterface, TouchesOnTheStatusBarAwayFromItsControlsReachTheWindowBeneath)
{
    OverlayStandIn overlay;
    overlay.window->setWindowLevel(UIWindowLevelNormal);
    // The time while nothing records, and the middle of the bar.
    tap(centreOf(StatusBar::shared().recordingPill()));
    tap(statusBarPoint(0.5));
    EXPECT_EQ(overlay.taps, 2);
    EXPECT_FALSE(SystemAlert::current());
}

// ---------------------------------------------------------- Control Center

TEST_F(SystemInterface, ControlCenterComesDownOnlyFromTheRightThirdOfTheStatusBar)
{
    OverlayStandIn overlay;
    overlay.window->setWindowLevel(UIWindowLevelNormal);
    pullDown(0.5);
    EXPECT_FALSE(ControlCenter::shared().isOpen()) << "from the middle";
    pullDown(0.6);
    EXPECT_FALSE(ControlCenter::shared().isOpen()) << "just left of the right third";
    tap(statusBarPoint(0.85));
    EXPECT_FALSE(ControlCenter::shared().isOpen()) << "a tap";
    drag(CGPointMake(statusBarPoint(0.85).x, 40), CGPointMake(statusBarPoint(0.85).x, 2));
    EXPECT_FALSE(ControlCenter::shared().isOpen()) << "upwards";

    pullDown(0.85);
    ASSERT_TRUE(ControlCenter::shared().isOpen());
    const auto& window = ControlCenter::shared().window();
    EXPECT_TRUE(shown(window));
    EXPECT_GT(window->windowLevel(), StatusBar::shared().window()->windowLevel());
    // Over everything: a window at alert level beneath takes no touch while
    // it is open.
    overlay.window->setWindowLevel(UIWindowLevelAlert);
    tap(CGPointMake(195, 700));
    EXPECT_EQ(overlay.taps, 0);
}

TEST_F(SystemInterface, ControlCenterClosesOnATapBesideItsTilesOrAnUpwardSwipe)
{
    pullDown(0.9);
    ASSERT_TRUE(ControlCenter::shared().isOpen());
    auto tile = ControlCenter::shared().tileTitled("Marqel");
    ASSERT_TRUE(tile);
    CGRect tileFrame = tile->convertRectToScreen(tile->bounds());
    // Just below the tile is beside it.
    tap(CGPointMake(CGRectGetMidX(tileFrame), CGRectGetMaxY(tileFrame) + 4));
    EXPECT_FALSE(ControlCenter::shared().isOpen());
    RunLoop::main().runFor(ControlCenter::animationDuration);
    EXPECT_TRUE(ControlCenter::shared().window()->isHidden());

    pullDown(0.9);
    ASSERT_TRUE(ControlCenter::shared().isOpen());
    drag(CGPointMake(195, 600), CGPointMake(195, 450));
    EXPECT_FALSE(ControlCenter::shared().isOpen());
    RunLoop::main().runFor(ControlCenter::animationDuration);
    EXPECT_TRUE(ControlCenter::shared().window()->isHidden());
}

TEST_F(SystemInterface, TheMarqelTilePostsTheInvocationAndCloses)
{
    auto listener = alloc<InvocationListener>();
    NSDistributedNotificationCenter::defaultCenter()->addObserver(listener, sel_registerName("invoked"),
        MarqelToggleModule::invokeNotification, nullptr);
    pullDown(0.9);
    auto tile = ControlCenter::shared().tileTitled("Marqel");
    ASSERT_TRUE(tile);
    // Labelled, with a symbol drawn from the catalog.
    bool labelled = false, symbol = false;
    for (const auto& view : tile->subviews()) {
        if (auto label = objc_cast<UILabel>(view))
            labelled = labelled || label->text() == "Marqel";
        if (auto image = objc_cast<UIImageView>(view))
            symbol = symbol || (image->image() && image->image()->symbolName() == "m.square.fill");
    }
    EXPECT_TRUE(labelled);
    EXPECT_TRUE(symbol);

    tap(centreOf(tile));
    RunLoop::main().runFor(0.1);
    EXPECT_EQ(listener->count, 1);
    EXPECT_FALSE(ControlCenter::shared().isOpen());
    NSDistributedNotificationCenter::defaultCenter()->removeObserver(listener);
}

TEST_F(SystemInterface, TheRecordingTileStartsAndStopsAPlainRecording)
{
    pullDown(0.9);
    auto tile = ControlCenter::shared().tileTitled(ScreenRecordingModule::tileTitle);
    ASSERT_TRUE(tile);
    tap(centreOf(tile));
    EXPECT_TRUE(ScreenRecordingControl::isRecording());
    EXPECT_FALSE(objc_cast<RPScreenRecorder>(RPScreenRecorder::sharedRecorder())->isMicrophoneEnabled());
    EXPECT_FALSE(ControlCenter::shared().isOpen()) << "the recording shows the screen, not the panel";

    pullDown(0.9);
    tile = ControlCenter::shared().tileTitled(ScreenRecordingModule::tileTitle);
    ASSERT_TRUE(tile);
    std::size_t mark = SystemLog::shared().lineCount();
    tap(centreOf(tile));
    RunLoop::main().runFor(0.1);
    EXPECT_FALSE(ScreenRecordingControl::isRecording());
    EXPECT_TRUE(ControlCenter::shared().isOpen());
    bool stopped = false;
    for (const auto& line : SystemLog::shared().lines(mark))
        stopped = stopped || line.find("ReplayKit: recording stopped") != std::string::npos;
    EXPECT_TRUE(stopped);
}

TEST_F(SystemInterface, ModulesWithATakenTitleAreRefused)
{
    EXPECT_FALSE(ControlCenter::shared().addModule(std::make_shared<MarqelToggleModule>()));
    EXPECT_FALSE(ControlCenter::shared().addModule(nullptr));
    EXPECT_EQ(ControlCenter::shared().modules().size(), 2u);
}

// ------------------------------------------------------------------ banners

Notice completionNotice()
{
    Notice notice;
    notice.section = "com.apple.mobileslideshow";
    notice.title = "Marqel";
    notice.message = "Your cropped screen recording is rendered and ready.";
    notice.launchBundleID = "com.apple.mobileslideshow";
    return notice;
}

TEST_F(SystemInterface, ABannerSlidesInStaysFiveSecondsAndSlidesAway)
{
    BannerCenter::shared().present(completionNotice());
    auto banner = BannerCenter::shared().bannerView();
    ASSERT_TRUE(banner);
    CGPoint rest = banner->center();
    EXPECT_LT(banner->presentationCenter().y, 0) << "it starts above the screen";
    RunLoop::main().runFor(BannerCenter::slideDuration);
    EXPECT_DOUBLE_EQ(banner->presentationCenter().y, rest.y);
    EXPECT_GE(banner->frame().origin.y, StatusBar::height);
    // Its app, title and message (two lines at most).
    std::vector<std::string> texts;
    for (const auto& view : banner->subviews())
        if (auto label = objc_cast<UILabel>(view)) {
            texts.push_back(label->text());
            EXPECT_LE(label->numberOfLines(), 2);
            EXPECT_GT(label->numberOfLines(), 0);
        }
    EXPECT_EQ(texts, (std::vector<std::string> { "Photos", "Marqel", "Your cropped screen recording is rendered and ready." }));

    RunLoop::main().runFor(BannerCenter::showDuration - BannerCenter::slideDuration - 0.05);
    EXPECT_TRUE(BannerCenter::shared().bannerView());
    EXPECT_TRUE(shown(banner));
    RunLoop::main().runFor(0.1);
    EXPECT_FALSE(BannerCenter::shared().bannerView()) << "gone after five seconds";
    EXPECT_LT(banner->presentationCenter().y, rest.y) << "sliding away";
    RunLoop::main().runFor(BannerCenter::slideDuration);
    EXPECT_TRUE(BannerCenter::shared().window()->isHidden());
    EXPECT_TRUE(NoticeCenter::launches().empty());
}

TEST_F(SystemInterface, TappingABannerPerformsItsActionAndClosesIt)
{
    OverlayStandIn overlay;
    BannerCenter::shared().present(completionNotice());
    RunLoop::main().runFor(BannerCenter::slideDuration);
    auto banner = BannerCenter::shared().bannerView();
    ASSERT_TRUE(banner);
    // Above every window, the overlay included: drawn over it, and touched.
    EXPECT_GT(BannerCenter::shared().window()->windowLevel(), SystemWindow::alertLevel);
    auto drawn = drawnAt(CGPointMake(CGRectGetMidX(banner->frame()), CGRectGetMaxY(banner->frame()) - 4));
    EXPECT_GT(drawn[0], 200) << "the overlay's green shows where the banner is";
    tap(centreOf(banner));
    EXPECT_EQ(overlay.taps, 0);
    EXPECT_EQ(NoticeCenter::launches(), std::vector<std::string> { "com.apple.mobileslideshow" });
    EXPECT_FALSE(BannerCenter::shared().bannerView());
    RunLoop::main().runFor(BannerCenter::slideDuration);
    EXPECT_FALSE(banner->superview());
    // Below the banner the overlay still takes its touches.
    tap(CGPointMake(195, 600));
    EXPECT_EQ(overlay.taps, 1);
}

TEST_F(SystemInterface, SwipingABannerUpDismissesItWithoutItsAction)
{
    BannerCenter::shared().present(completionNotice());
    RunLoop::main().runFor(BannerCenter::slideDuration);
    auto banner = BannerCenter::shared().bannerView();
    ASSERT_TRUE(banner);
    CGPoint centre = centreOf(banner);
    drag(centre, CGPointMake(centre.x, centre.y - 60));
    EXPECT_FALSE(BannerCenter::shared().bannerView());
    EXPECT_TRUE(NoticeCenter::launches().empty());
}

TEST_F(SystemInterface, BannersThatArriveTogetherTakeTurns)
{
    Notice first = completionNotice();
    Notice second = completionNotice();
    second.message = "Screen recording video saved to Photos.";
    second.section = "com.apple.ReplayKitNotifications";
    BannerCenter::shared().present(first);
    BannerCenter::shared().present(second);
    ASSERT_TRUE(BannerCenter::shared().currentNotice());
    EXPECT_EQ(BannerCenter::shared().currentNotice()->message, first.message);
    RunLoop::main().runFor(BannerCenter::showDuration + BannerCenter::slideDuration + 0.01);
    ASSERT_TRUE(BannerCenter::shared().currentNotice());
    EXPECT_EQ(BannerCenter::shared().currentNotice()->message, second.message);
    RunLoop::main().runFor(BannerCenter::showDuration + BannerCenter::slideDuration + 0.01);
    EXPECT_FALSE(BannerCenter::shared().currentNotice());
}

}  // namespace
