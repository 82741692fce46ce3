// A process of the phone that dies, as the user would see it: a SpringBoard
// killed is a respring that keeps the preferences; an app killed brings the
// home screen back while SpringBoard goes on. And what SpringBoard records
// is the display, the app in front included, not its own windows alone. The phone's processes are the
// built `marqel` program on lockstep virtual clocks; nothing here sleeps,
// every wait is for a condition with the phone's real-time limit.

#include "platform/display/Connection.h"
#include "platform/display/DisplayClient.h"
#include "platform/springboard/AppLauncher.h"
#include "platform/springboard/SpringBoardHost.h"
#include "tests/support/Media.h"
#include "tests/support/Program.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestDevice.h"
#include "tools/Phone.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <memory>
#include <sstream>

namespace {

constexpr const char* springBoard = SpringBoardHost::bundleIdentifier;
constexpr const char* settings = AppLauncher::settingsBundleIdentifier;
constexpr const char* photos = AppLauncher::photosBundleIdentifier;

}  // namespace

class PhoneFaultTest : public ::testing::Test {
protected:
    TestDevice device;
    tools::Phone phone { { MARQEL_BIN, device.root(), true, false } };

    testsupport::ProgramResult marqel(std::vector<std::string> arguments)
    {
        arguments.insert(arguments.begin(), { MARQEL_BIN, "--root", device.root() });
        return testsupport::runProgram(arguments, true);
    }

    std::size_t shownWindows(const std::string& bundle)
    {
        auto client = phone.server().clientOf(bundle);
        return client ? phone.server().shownWindowCount(*client) : 0;
    }

    void boot()
    {
        ASSERT_TRUE(phone.start());
        auto settled = phone.settle();
        ASSERT_TRUE(settled) << settled.message();
        ASSERT_GT(shownWindows(springBoard), 0u);
    }

    // The app in front, or false when this phone cannot start it.
    bool openApp(const std::string& bundle, const std::string& url = "")
    {
        auto launched = phone.launch(bundle, url);
        EXPECT_TRUE(launched) << launched.message();
        auto came = phone.waitFor([&] { return shownWindows(bundle) > 0 || !phone.processOf(bundle); }, bundle);
        EXPECT_TRUE(came) << came.message();
        if (shownWindows(bundle) == 0)
            return false;
        auto settled = phone.settle();
        EXPECT_TRUE(settled) << settled.message();
        return phone.frontApp() == bundle;
    }
    bool openSettings() { return openApp(settings); }

    void play(const std::string& step)
    {
        auto played = phone.playStep(step);
        ASSERT_TRUE(played) << step << ": " << played.message();
    }

    // The screen's middle, where the home screen's wallpaper or the app is.
    std::array<std::uint8_t, 4> middleOfTheScreen()
    {
        const render::Surface& screen = phone.server().composite();
        return screen.pixel(screen.width() / 2, screen.height() / 2);
    }
};

TEST_F(PhoneFaultTest, ASpringBoardKilledWhileAnAppIsInFrontIsARespringThatLosesNoPreference)
{
    ASSERT_EQ(marqel({ "prefs", "set", "toggleMarqel", "true" }).exitCode, 0);
    ASSERT_EQ(marqel({ "prefs", "set", "areaBorderColour", "FF8800" }).exitCode, 0);
    boot();
    // One written while the phone runs, as the Settings app would.
    ASSERT_EQ(marqel({ "prefs", "set", "defaultWidth", "180" }).exitCode, 0);
    auto before = marqel({ "prefs", "list" });
    ASSERT_EQ(before.exitCode, 0);
    if (!openSettings())
        GTEST_SKIP() << "Settings did not start on this phone (its process ended before its first frame; "
                        "the device root's system log says why): SpringBoard's death with an app in front is not testable here";
    auto appPicture = middleOfTheScreen();

    pid_t killed = *phone.processOf(springBoard);
    pid_t app = *phone.processOf(settings);
    std::uint64_t resprings = phone.respringCount();
    ASSERT_EQ(::kill(killed, SIGKILL), 0);

    auto fresh = phone.waitFor(
        [&] {
            auto client = phone.server().springBoard();
            return client && phone.server().client(*client)->hello.pid != killed && shownWindows(springBoard) > 0;
        },
        "a new SpringBoard's home screen");
    ASSERT_TRUE(fresh) << fresh.message();
    ASSERT_TRUE(phone.settle());
    EXPECT_EQ(phone.respringCount(), resprings + 1);
    EXPECT_NE(*phone.processOf(springBoard), killed);
    // Front apps close with a respring, as on the phone.
    EXPECT_EQ(phone.frontApp(), "");
    EXPECT_FALSE(phone.processOf(settings) && *phone.processOf(settings) == app);
    EXPECT_NE(middleOfTheScreen(), appPicture);
    EXPECT_NE(middleOfTheScreen(), (std::array<std::uint8_t, 4> { 0, 0, 0, 255 }));
    auto after = marqel({ "prefs", "list" });
    EXPECT_EQ(after.output, before.output);
    EXPECT_NE(after.output.find("defaultWidth = 180"), std::string::npos) << after.output;
    EXPECT_EQ(phone.failure(), "");
}

TEST_F(PhoneFaultTest, ARecordingMadeWithAnAppInFrontShowsTheApp)
{
    // The tweak off: the system's own recording is kept whole, so the
    // movie is the screen as the display showed it.
    boot();
    auto home = middleOfTheScreen();
    if (!openSettings())
        GTEST_SKIP() << "Settings did not start on this phone (its process ended before its first frame; "
                        "the device root's system log says why): a recording over an app is not testable here";
    auto app = middleOfTheScreen();
    ASSERT_NE(app, home);
    play("record-start");
    ASSERT_TRUE(phone.advance(1));
    // Played in Settings' process first, which has no recorder: the
    // display must find SpringBoard's.
    play("record-stop status-bar");
    play("expect recording off");
    ASSERT_TRUE(phone.advance(5));
    play("expect library 1");
    play("expect video 1170 2532");

    auto listed = marqel({ "library", "list" });
    ASSERT_EQ(listed.exitCode, 0) << listed.output;
    std::string identifier;
    std::istringstream(listed.output) >> identifier;
    testsupport::TempDir out;
    const std::string movie = out.file("recording.mp4");
    auto exported = marqel({ "library", "export", identifier, movie });
    ASSERT_EQ(exported.exitCode, 0) << exported.output;
    // A frame from the middle of the recording, long after its first.
    auto frame = testsupport::decodeFrame(movie, 15);
    ASSERT_EQ(frame.width, 1170) << "the movie did not decode";
    const std::uint8_t* middle = frame.at(frame.width / 2, frame.height / 2);
    for (int channel = 0; channel < 3; ++channel)
        EXPECT_NEAR(middle[channel], app[channel], 8) << "channel " << channel << ": the recording shows the home screen under the app";
}

TEST_F(PhoneFaultTest, SettingsTopRunsOnUnderTheStatusBarWithoutASeam)
{
    boot();
    if (!openSettings())
        GTEST_SKIP() << "Settings did not start on this phone (its process ended before its first frame; "
                        "the device root's system log says why)";
    const render::Surface& screen = phone.server().composite();
    // Between the time and the indicators, and just below the bar.
    auto underTheBar = screen.pixel(200 * 3, 24 * 3);
    auto navigationBar = screen.pixel(200 * 3, 56 * 3);
    for (int channel = 0; channel < 3; ++channel)
        EXPECT_NEAR(underTheBar[channel], navigationBar[channel], 2) << "channel " << channel;
}

TEST_F(PhoneFaultTest, ControlCenterOpenedOverAnAppFrostsTheAppNotTheHomeScreen)
{
    boot();
    // Below the tiles, where the panel shows only the frosted screen.
    auto backdrop = [&] {
        play("control-center open");
        EXPECT_TRUE(phone.advance(0.5));
        auto pixel = phone.server().composite().pixel(195 * 3, 720 * 3);
        play("control-center close");
        EXPECT_TRUE(phone.advance(0.5));
        return pixel;
    };
    auto overHome = backdrop();
    if (!openSettings())
        GTEST_SKIP() << "Settings did not start on this phone (its process ended before its first frame; "
                        "the device root's system log says why)";
    auto overSettings = backdrop();
    // Settings' grey, dimmed: no hue, unlike the wallpaper's.
    EXPECT_LE(std::max({ overSettings[0], overSettings[1], overSettings[2] }) - std::min({ overSettings[0], overSettings[1], overSettings[2] }), 12)
        << "the backdrop over Settings has the wallpaper's colour";
    EXPECT_GT(std::abs(int(overHome[0]) - int(overSettings[0])) + std::abs(int(overHome[2]) - int(overSettings[2])), 30);
}

TEST_F(PhoneFaultTest, TheStatusBarsTimeIsReadableOverAMoviePlayingInPhotos)
{
    testsupport::TempDir media;
    const std::string movie = media.file("clip.mp4");
    ASSERT_TRUE(testsupport::makeMovie(movie, 320, 240, 3));
    auto imported = marqel({ "library", "import", movie });
    ASSERT_EQ(imported.exitCode, 0) << imported.output;
    boot();
    if (!openApp(photos, AppLauncher::newestVideoURL))
        GTEST_SKIP() << "Photos did not start on this phone (its process ended before its first frame; "
                        "the device root's system log says why)";
    ASSERT_TRUE(phone.advance(0.5));
    play("expect playing");
    // The time, top left, over the player's black: its brightest pixel is
    // the white of the digits, not the dark ink of a light app.
    const render::Surface& screen = phone.server().composite();
    int brightest = 0, darkest = 255;
    for (int y = 10 * 3; y < 36 * 3; ++y)
        for (int x = 20 * 3; x < 100 * 3; ++x) {
            auto p = screen.pixel(x, y);
            int luma = (p[0] * 3 + p[1] * 6 + p[2]) / 10;
            brightest = std::max(brightest, luma);
            darkest = std::min(darkest, luma);
        }
    EXPECT_LT(darkest, 40) << "the player's black is not under the status bar";
    EXPECT_GT(brightest, 200) << "the time is not light over the movie";
}

TEST_F(PhoneFaultTest, ASpringBoardKilledOnTheHomeScreenComesBackWithTheSwitchAsItWas)
{
    ASSERT_EQ(marqel({ "prefs", "set", "toggleMarqel", "true" }).exitCode, 0);
    boot();
    auto before = marqel({ "prefs", "list" });
    pid_t killed = *phone.processOf(springBoard);
    ASSERT_EQ(::kill(killed, SIGKILL), 0);
    auto fresh = phone.waitFor(
        [&] {
            auto client = phone.server().springBoard();
            return client && phone.server().client(*client)->hello.pid != killed && shownWindows(springBoard) > 0;
        },
        "a new SpringBoard's home screen");
    ASSERT_TRUE(fresh) << fresh.message();
    ASSERT_TRUE(phone.settle());
    EXPECT_EQ(phone.respringCount(), 1u);
    EXPECT_NE(middleOfTheScreen(), (std::array<std::uint8_t, 4> { 0, 0, 0, 255 }));
    // The new SpringBoard read the switch again: the tweak's Control
    // Center tile is there to open the overlay.
    play("invoke");
    ASSERT_TRUE(phone.advance(0.3));
    play("expect box 70 297 250 250");
    EXPECT_EQ(marqel({ "prefs", "list" }).output, before.output);
}

TEST_F(PhoneFaultTest, AnAppKilledWhileSpringBoardRecordsBringsHomeBackAndTheCropGoesOn)
{
    ASSERT_EQ(marqel({ "prefs", "set", "toggleMarqel", "true" }).exitCode, 0);
    boot();
    play("invoke");
    ASSERT_TRUE(phone.advance(0.3));
    play("tap-symbol record.circle");
    ASSERT_TRUE(phone.advance(0.2));
    play("expect recording on");
    if (!openSettings())
        GTEST_SKIP() << "Settings did not start on this phone (its process ended before its first frame; "
                        "the device root's system log says why): an app's death during a recording is not testable here";
    pid_t board = *phone.processOf(springBoard);
    ASSERT_EQ(::kill(*phone.processOf(settings), SIGKILL), 0);
    auto gone = phone.waitFor([&] { return !phone.processOf(settings); }, "the end of Settings");
    ASSERT_TRUE(gone) << gone.message();
    ASSERT_TRUE(phone.settle());

    EXPECT_EQ(phone.frontApp(), "");
    EXPECT_EQ(phone.respringCount(), 0u);
    EXPECT_EQ(*phone.processOf(springBoard), board);
    EXPECT_EQ(shownWindows(settings), 0u);
    play("expect recording on");
    ASSERT_TRUE(phone.advance(2));
    play("record-stop status-bar");
    play("wait-crop 30");
    play("expect library 1");
    play("expect notice Your cropped screen recording is rendered and ready.");
}

TEST_F(PhoneFaultTest, AProcessThatStopsReadingLosesTouchesAndStallsNeitherTheDisplayNorTheOthers)
{
    boot();
    // Another process drawing on the display over the top half of the
    // screen, played by this test so that it reads when the test says.
    auto pair = display::Connection::pair();
    ASSERT_TRUE(pair) << pair.message();
    auto [displayEnd, clientEnd] = pair.release();
    phone.server().addClient(std::move(displayEnd));
    auto adopted = display::DisplayClient::adopt(std::move(clientEnd), { display::ProcessRole::Application, 1, "com.example.other" });
    ASSERT_TRUE(adopted) << adopted.message();
    auto other = adopted.release();
    std::vector<display::Touch> touches;
    display::DisplayClient::Handlers handlers;
    handlers.touch = [&touches](const display::Touch& touch) { touches.push_back(touch); };
    other->setHandlers(std::move(handlers));
    const display::DisplayClient::WindowState top { 1, CGRectMake(0, 0, 390, 422), 1, false, false };
    auto draw = [&](render::RGBA colour) {
        render::Surface picture(390, 422);
        picture.clear(colour);
        auto published = other->publish(1, top, picture);
        ASSERT_TRUE(published) << published.message();
    };
    draw({ 1, 0, 0, 1 });
    phone.serve(0);

    // SpringBoard stops reading: its process is stopped, its socket stays.
    pid_t board = *phone.processOf(springBoard);
    ASSERT_EQ(::kill(board, SIGSTOP), 0);
    auto boardId = *phone.server().springBoard();
    const CGPoint onTheHomeScreen { 195, 700 };
    const int sent = 20000;
    for (int i = 0; i < sent; ++i) {
        phone.server().sendTouch(i == 0 ? display::TouchPhase::Began : display::TouchPhase::Moved, onTheHomeScreen, i);
        phone.serve(0);
        // The other process goes on drawing, frame after frame.
        if (i % 1000 == 0) {
            ASSERT_TRUE(other->pump());
            if (other->canPublish(1))
                draw({ 0, (i / 1000) % 2 ? 1.0 : 0.0, 1, 1 });
            phone.serve(0);
            phone.server().composite();
        }
    }
    // Cancelled, not ended: whatever of the finger SpringBoard reads later
    // must not be a tap.
    phone.server().sendTouch(display::TouchPhase::Cancelled, onTheHomeScreen, sent);
    phone.serve(0);
    auto stalled = phone.server().client(boardId);
    ASSERT_TRUE(stalled) << "a process that does not read is not a dead one";
    EXPECT_GT(stalled->droppedCount, 0u);
    EXPECT_LE(stalled->queuedCount, display::DisplayServer::Options {}.queueLimit);

    ASSERT_TRUE(other->pump());
    ASSERT_TRUE(other->canPublish(1));
    draw({ 0, 1, 0, 1 });
    phone.serve(0);
    auto topMiddle = phone.server().composite().pixel(195 * 3, 200 * 3);
    EXPECT_EQ(topMiddle, (std::array<std::uint8_t, 4> { 0, 255, 0, 255 }));
    EXPECT_TRUE(phone.server().sendTouch(display::TouchPhase::Began, { 195, 200 }, 1));
    EXPECT_TRUE(phone.server().sendTouch(display::TouchPhase::Ended, { 195, 200 }, 2));
    phone.serve(0);
    ASSERT_TRUE(other->pump());
    ASSERT_EQ(touches.size(), 2u);
    EXPECT_EQ(touches[0].phase, display::TouchPhase::Began);
    EXPECT_EQ(touches[0].point, (CGPoint { 195, 200 }));

    // Once it reads again, SpringBoard goes on where it was: no respring.
    other.reset();
    ASSERT_EQ(::kill(board, SIGCONT), 0);
    auto settled = phone.settle();
    ASSERT_TRUE(settled) << settled.message();
    EXPECT_EQ(*phone.processOf(springBoard), board);
    EXPECT_EQ(phone.respringCount(), 0u);
    EXPECT_GT(shownWindows(springBoard), 0u);
    EXPECT_EQ(phone.server().client(boardId)->queuedCount, 0u);
}
