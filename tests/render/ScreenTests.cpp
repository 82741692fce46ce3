// The screen as the recorder and the tools take it: frames, the cache of
// unchanged screens, PNG files, the home screen behind everything.

#include "RenderTestSupport.h"

#include "platform/replaykit/RPScreenRecorder.h"
#include "platform/replaykit/TestPattern.h"
#include "platform/springboard/HomeScreenArt.h"
#include "platform/springboard/SpringBoardHost.h"

#include <cstdlib>
#include <cstring>
#include <thread>

extern "C" {
#include <libavutil/log.h>
}

namespace {

// The recorder's encoder reports statistics for every movie; keep test
// output to failures.
[[maybe_unused]] const bool quietEncoder = [] {
    av_log_set_level(AV_LOG_ERROR);
    return true;
}();

TEST_F(RenderTest, FramesAreRGBAWithStraightAlphaRowsTopToBottom)
{
    auto w = window();
    w->add<UIView>(CGRectMake(0, 0, 390, 1))->setBackgroundColor(rgb(1, 0.5, 0));
    auto frame = render::Compositor::shared().renderScreen();
    ASSERT_TRUE(frame);
    ASSERT_EQ(frame->width, 1170);
    ASSERT_EQ(frame->height, 2532);
    ASSERT_EQ(frame->pixels.size(), 1170u * 2532u * 4u);
    const std::uint8_t* first = frame->pixels.data();
    EXPECT_EQ(first[0], 255);
    EXPECT_NEAR(first[1], 128, 1);
    EXPECT_EQ(first[2], 0);
    EXPECT_EQ(first[3], 255);
    const std::uint8_t* below = first + frame->stride() * 10;
    EXPECT_EQ(below[0], 0);
    EXPECT_EQ(below[3], 255);
}

TEST_F(RenderTest, TheFrameFollowsTheScreensSizeAndScale)
{
    ASSERT_TRUE(UIScreen::mainScreen()->setSize({ 100, 200 }));
    ASSERT_TRUE(UIScreen::mainScreen()->setScale(2));
    auto w = alloc<UIWindow>();  // sized to the new screen
    w->setHidden(false);
    w->setBackgroundColor(rgb(1, 1, 1));
    auto frame = render::Compositor::shared().renderScreen();
    EXPECT_EQ(frame->width, 200);
    EXPECT_EQ(frame->height, 400);
    EXPECT_EQ(frame->pixels[(399 * 200 + 199) * 4], 255);
    w->setHidden(true);
}

TEST_F(RenderTest, AnUnchangedScreenHandsOutTheSameFrame)
{
    auto w = window();
    auto v = w->add<UIView>(CGRectMake(0, 0, 50, 50));
    v->setBackgroundColor(rgb(1, 0, 0));
    auto& compositor = render::Compositor::shared();
    auto first = compositor.renderScreen();
    auto drawn = compositor.statistics().framesDrawn;
    auto again = compositor.renderScreen();
    EXPECT_EQ(first, again);
    EXPECT_EQ(compositor.statistics().framesDrawn, drawn);

    // Any change that shows makes a new frame: colour, geometry, text...
    v->setBackgroundColor(rgb(0, 1, 0));
    auto changed = compositor.renderScreen();
    EXPECT_NE(changed, first);
    // ...while the frame handed out before stays as it was.
    EXPECT_EQ(first->pixels[0], 255);
    EXPECT_EQ(changed->pixels[0], 0);
    auto l = w->add<UILabel>(CGRectMake(0, 100, 200, 30));
    auto withLabel = compositor.renderScreen();
    EXPECT_EQ(withLabel, compositor.renderScreen());
    l->setText("Hello");
    EXPECT_NE(withLabel, compositor.renderScreen());
}

TEST_F(RenderTest, RunningAnimationsMakeNewFramesUntilTheyEnd)
{
    auto w = window();
    auto v = w->add<UIView>(CGRectMake(0, 0, 50, 50));
    v->setBackgroundColor(rgb(1, 1, 1));
    UIView::animateWithDuration(0.3, [&] { v->setAlpha(0.2); });
    auto& compositor = render::Compositor::shared();
    auto a = compositor.renderScreen();
    RunLoop::main().runFor(0.1);
    auto b = compositor.renderScreen();
    EXPECT_NE(a, b);
    RunLoop::main().runFor(0.5);
    auto c = compositor.renderScreen();
    RunLoop::main().runFor(0.1);
    EXPECT_EQ(c, compositor.renderScreen());
}

TEST_F(RenderTest, AMutablePathChangedInPlaceIsNoticed)
{
    auto w = window();
    auto shape = CAShapeLayer::layer();
    auto path = CGPathCreateMutable();
    CGPathAddRect(path, nullptr, CGRectMake(0, 0, 20, 20));
    shape->setPath(path);
    w->layer()->addSublayer(shape);
    shape->setFillColor(CGColorCreateSRGB(1, 1, 1, 1));
    EXPECT_TRUE(near(at(10, 10), 255, 255, 255));
    CGPathAddRect(path, nullptr, CGRectMake(100, 100, 20, 20));
    EXPECT_TRUE(near(at(110, 110), 255, 255, 255));
}

TEST_F(RenderTest, StillWindowsAreKeptAsPicturesAndLookTheSame)
{
    HomeScreen::shared().show();
    auto overlay = window(UIWindowLevelStatusBar, UIColor::clearColor());
    auto box = overlay->add<UIView>(CGRectMake(50, 50, 100, 100));
    box->setBackgroundColor(rgb(1, 1, 1, 0.5));
    auto& compositor = render::Compositor::shared();
    compositor.renderSurface();
    box->setCenter(CGPointMake(200, 200));
    compositor.renderSurface();  // the home screen stayed still: kept as a picture
    box->setCenter(CGPointMake(200, 300));
    auto fromCache = compositor.statistics().windowsFromCache;
    render::Surface cached(1, 1);
    {
        const auto& s = compositor.renderSurface();
        EXPECT_GT(compositor.statistics().windowsFromCache, fromCache);
        cached = render::Surface(s.width(), s.height());
        std::memcpy(cached.mutableData(), s.data(), static_cast<std::size_t>(s.stride()) * s.height());
        cached.markDirty();
    }
    compositor.setWindowCaching(false);
    box->setCenter(CGPointMake(200, 301));
    box->setCenter(CGPointMake(200, 300));
    compositor.invalidate();
    const auto& full = compositor.renderSurface();
    ASSERT_EQ(full.width(), cached.width());
    EXPECT_EQ(std::memcmp(full.data(), cached.data(), static_cast<std::size_t>(full.stride()) * full.height()), 0);
}

TEST_F(RenderTest, TheScreenSourceRendersOnlyOnTheMainThread)
{
    auto w = window(UIWindowLevelNormal, rgb(0, 0, 1));
    auto source = render::Compositor::shared().screenSource();
    auto frame = source();
    ASSERT_TRUE(frame);
    EXPECT_EQ(frame->pixels[2], 255);
    std::shared_ptr<const ScreenFrame> elsewhere = frame;
    std::thread([&] { elsewhere = source(); }).join();
    EXPECT_EQ(elsewhere, nullptr);
}

TEST_F(RenderTest, ScreenPNGIsWrittenWholeOrNotAtAll)
{
    auto w = window(UIWindowLevelNormal, rgb(0, 1, 0));
    std::string folder = device.root() + "/pictures";
    std::filesystem::create_directories(folder);
    std::string path = folder + "/screen.png";
    ASSERT_TRUE(render::writeScreenPNG(path));
    auto read = render::Surface::readPNG(path);
    ASSERT_TRUE(read) << read.message();
    const render::Surface& back = read.value();
    ASSERT_TRUE(back.isValid());
    EXPECT_EQ(back.width(), 1170);
    EXPECT_TRUE(near(back.pixel(600, 1200), 0, 255, 0));
    // Only the picture is left in the folder: no temporary files.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), std::filesystem::directory_iterator()), 1);

    auto missing = render::writeScreenPNG(device.root() + "/no/such/folder/screen.png");
    EXPECT_FALSE(missing);
    EXPECT_NE(missing.message().find("folder does not exist"), std::string::npos) << missing.message();
    EXPECT_FALSE(render::writeScreenPNG(""));
    auto nothing = render::Surface::readPNG(folder + "/nothing.png");
    EXPECT_FALSE(nothing);
    EXPECT_EQ(nothing.code(), foundation::ErrorCode::UnreadableInput);
    EXPECT_FALSE(nothing.message().empty());
}

TEST_F(RenderTest, HomeScreenSitsBehindNormalWindowsAndItsIconsTakeTouches)
{
    HomeScreen::shared().setWallpaper(HomeScreen::Wallpaper::Gradient);
    HomeScreen::shared().show();
    auto home = HomeScreen::shared().window();
    ASSERT_TRUE(home);
    EXPECT_LT(home->windowLevel(), UIWindowLevelNormal);
    EXPECT_FALSE(home->isKeyWindow());
    CGRect icon = HomeScreen::iconFrame(0);
    // The wallpaper and the icons show...
    Pixel iconPixel = at(CGRectGetMidX(icon) - 20, CGRectGetMidY(icon) + 20);
    Pixel wallpaper = at(195, 620);
    EXPECT_FALSE(near(iconPixel, wallpaper[0], wallpaper[1], wallpaper[2], 20));
    EXPECT_GT(inked(CGRectMake(icon.origin.x - 10, CGRectGetMaxY(icon) + 3, 80, 18), wallpaper, 60), 30);  // the name
    // ...a touch on an icon is the home screen's (it opens the app)...
    auto hit = UIApplication::sharedApplication()->hitTest(CGPointMake(CGRectGetMidX(icon), CGRectGetMidY(icon)));
    ASSERT_TRUE(hit);
    EXPECT_EQ(hit->window(), home);
    // ...and a normal window covers it.
    auto w = window(UIWindowLevelNormal, rgb(1, 0, 0));
    EXPECT_TRUE(near(at(CGRectGetMidX(icon), CGRectGetMidY(icon)), 255, 0, 0));
    EXPECT_EQ(HomeScreenArt::gridApps().size() % 4, 0u);
    EXPECT_EQ(HomeScreenArt::dockApps().size(), 4u);
}

TEST_F(RenderTest, HomeScreenIsBuiltOnceAndAgainForANewScreen)
{
    HomeScreen::shared().setWallpaper(HomeScreen::Wallpaper::Gradient);
    HomeScreen::shared().show();
    auto home = HomeScreen::shared().window();
    auto firstView = home->subviews().front();
    HomeScreen::shared().show();
    HomeScreen::shared().setWallpaper(HomeScreen::Wallpaper::Gradient);
    EXPECT_EQ(home->subviews().front(), firstView);  // nothing was rebuilt
    ASSERT_TRUE(UIScreen::mainScreen()->setSize({ 430, 932 }));
    HomeScreen::shared().show();
    EXPECT_NE(home->subviews().front(), firstView);
    EXPECT_EQ(home->frame(), CGRectMake(0, 0, 430, 932));
    auto frame = render::Compositor::shared().renderScreen();
    EXPECT_EQ(frame->width, 1290);
    CGRect dock = HomeScreen::dockFrame();
    EXPECT_EQ(dock.size.width, 430 - 24);
    UIScreen::mainScreen()->resetToDefault();
    HomeScreen::shared().show();
}

TEST_F(RenderTest, TestPatternWallpaperDecodesToItsPositions)
{
    HomeScreen::shared().setWallpaper(HomeScreen::Wallpaper::TestPattern);
    HomeScreen::shared().show();
    auto frame = render::Compositor::shared().renderScreen();
    ASSERT_EQ(frame->width, 1170);
    for (auto [x, y] : { std::pair { 0, 0 }, std::pair { 624, 1224 }, std::pair { 1169, 2531 }, std::pair { 63, 64 } }) {
        std::uint8_t expected[3];
        TestPattern::colourAt(1170, 2532, x, y, expected);
        const std::uint8_t* p = frame->pixels.data() + (static_cast<std::size_t>(y) * 1170 + x) * 4;
        EXPECT_EQ(p[0], expected[0]) << x << "," << y;
        EXPECT_EQ(p[1], expected[1]) << x << "," << y;
        EXPECT_EQ(p[2], expected[2]) << x << "," << y;
    }
    HomeScreen::shared().setWallpaper(HomeScreen::Wallpaper::Gradient);
}

TEST_F(RenderTest, WallpaperIsChosenByName)
{
    EXPECT_EQ(HomeScreen::wallpaperNamed("test-pattern"), HomeScreen::Wallpaper::TestPattern);
    EXPECT_EQ(HomeScreen::wallpaperNamed("TestPattern"), HomeScreen::Wallpaper::TestPattern);
    EXPECT_EQ(HomeScreen::wallpaperNamed("gradient"), HomeScreen::Wallpaper::Gradient);
    EXPECT_EQ(HomeScreen::wallpaperNamed("plaid"), std::nullopt);
    ::setenv(SpringBoardHost::wallpaperVariable, "test_pattern", 1);
    EXPECT_EQ(SpringBoardHost::wallpaperFromEnvironment(), HomeScreen::Wallpaper::TestPattern);
    ::setenv(SpringBoardHost::wallpaperVariable, "plaid", 1);
    EXPECT_EQ(SpringBoardHost::wallpaperFromEnvironment(), HomeScreen::Wallpaper::Gradient);
    ::unsetenv(SpringBoardHost::wallpaperVariable);
    EXPECT_EQ(SpringBoardHost::wallpaperFromEnvironment(), HomeScreen::Wallpaper::Gradient);
}

TEST_F(RenderTest, TheRecorderRecordsWhatTheCompositorDraws)
{
    auto recorder = objc_cast<RPScreenRecorder>(RPScreenRecorder::sharedRecorder());
    SpringBoardHost::connectScreen(*recorder, HomeScreen::Wallpaper::TestPattern);
    EXPECT_EQ(HomeScreen::shared().wallpaper(), HomeScreen::Wallpaper::TestPattern);
    EXPECT_FALSE(HomeScreen::shared().window()->isHidden());
    bool started = false;
    recorder->startSystemRecordingWithMicrophoneEnabled(false, [&](id error) { started = !error; });
    ASSERT_TRUE(started);
    auto drawn = render::Compositor::shared().statistics();
    RunLoop::main().runFor(0.5);
    recorder->stopSystemRecording();
    RunLoop::main().runFor(1);
    EXPECT_GE(recorder->framesRecorded(), 14);
    // A still screen is drawn once and handed out again for every frame.
    auto after = render::Compositor::shared().statistics();
    EXPECT_LE(after.framesDrawn - drawn.framesDrawn, 1u);
    EXPECT_GE(after.framesReused - drawn.framesReused, 13u);
    recorder->setScreenSource(nullptr);
    HomeScreen::shared().setWallpaper(HomeScreen::Wallpaper::Gradient);
}

}  // namespace
