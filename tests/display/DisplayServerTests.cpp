// The display with processes drawing on it: what the screen shows, who a
// touch or a key reaches, and that no client, dead, stalled or hostile, can
// take the display or the other clients down with it. The loop is stepped
// by hand; nothing waits on a clock.

#include "DisplayTestSupport.h"

#include "platform/display/DisplayClient.h"
#include "platform/display/DisplayServer.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sys/socket.h>

using namespace display;
using displaytest::filled;
using displaytest::near;
using Pixel = std::array<std::uint8_t, 4>;

namespace {

constexpr Pixel red { 255, 0, 0, 255 }, blue { 0, 0, 255, 255 }, black { 0, 0, 0, 255 };

struct Process {
    ClientId id = 0;
    std::unique_ptr<DisplayClient> client;
    std::vector<Touch> touches;
    std::vector<Key> keys;
    std::vector<Text> texts;
    std::vector<Lifecycle> lifecycles;
    std::vector<StatusBarStyle> statusBarStyles;
};

}  // namespace

class DisplayServerTest : public ::testing::Test {
protected:
    // A small screen at 1x keeps the pictures cheap.
    DisplayServer server { DisplayServer::Options { CGSizeMake(100, 100), 1, 8 } };

    std::unique_ptr<Process> connect(const std::string& bundle, ProcessRole role = ProcessRole::Application)
    {
        auto [displayEnd, clientEnd] = displaytest::socketPair();
        auto process = std::make_unique<Process>();
        process->id = server.addClient(std::move(displayEnd));
        auto client = DisplayClient::adopt(std::move(clientEnd), Hello { role, 100 + static_cast<int>(process->id), bundle });
        EXPECT_TRUE(client) << client.message();
        process->client = client.release();
        Process* p = process.get();
        process->client->setHandlers({
            [p](const Touch& t) { p->touches.push_back(t); },
            [p](const Key& k) { p->keys.push_back(k); },
            [p](const Text& t) { p->texts.push_back(t); },
            [p](const Lifecycle& l) { p->lifecycles.push_back(l); },
            {},
            {},
            [p](const StatusBarStyle& s) { p->statusBarStyles.push_back(s); },
        });
        return process;
    }

    void publish(Process& process, std::uint32_t windowId, double level, CGRect frame, render::RGBA colour,
        bool hidden = false, bool key = false, bool lightContent = false)
    {
        DisplayClient::WindowState state { level, frame, 1, hidden, key, lightContent };
        auto status = process.client->publish(windowId, state,
            filled(static_cast<int>(frame.size.width), static_cast<int>(frame.size.height), colour));
        ASSERT_TRUE(status) << status.message();
    }

    // The display reads, draws and answers; the clients read the answers.
    void step(std::initializer_list<Process*> processes)
    {
        server.serveOnce();
        server.composite();
        server.serveOnce();
        for (Process* p : processes)
            ASSERT_TRUE(p->client->pump());
    }

    bool connected(ClientId id) const { return server.client(id).has_value(); }
};

TEST_F(DisplayServerTest, WindowsOfEveryProcessAreStackedByLevelNotByWhoCameFirst)
{
    auto app = connect("com.example.app");
    auto springBoard = connect("com.apple.springboard", ProcessRole::SpringBoard);
    // The app publishes first, yet its window (level 0) sits above the home
    // screen only because the home screen's level is lower, and under
    // SpringBoard's half-transparent banner.
    publish(*app, 1, 0, CGRectMake(20, 20, 40, 40), { 0, 0, 1, 1 });
    publish(*springBoard, 1, -1, CGRectMake(0, 0, 100, 100), { 1, 0, 0, 1 });
    publish(*springBoard, 2, 1000, CGRectMake(0, 0, 100, 30), { 0, 1, 0, 0.5 });
    step({ app.get(), springBoard.get() });

    const render::Surface& screen = server.composite();
    ASSERT_EQ(screen.width(), 100);
    EXPECT_TRUE(near(screen.pixel(40, 50), blue));  // the app
    EXPECT_TRUE(near(screen.pixel(5, 50), red));  // the home screen around it
    EXPECT_TRUE(near(screen.pixel(40, 25), (Pixel { 0, 128, 127, 255 })));  // banner over the app
    EXPECT_TRUE(near(screen.pixel(5, 5), (Pixel { 127, 128, 0, 255 })));  // banner over home
}

TEST_F(DisplayServerTest, AWindowDrawnAtAnotherScaleFillsItsFrameInPoints)
{
    auto app = connect("com.example.app");
    DisplayClient::WindowState state { 0, CGRectMake(10, 10, 20, 20), 3, false, false };
    ASSERT_TRUE(app->client->publish(1, state, filled(60, 60, { 0, 0, 1, 1 })));
    step({ app.get() });
    const render::Surface& screen = server.composite();
    EXPECT_TRUE(near(screen.pixel(11, 11), blue));
    EXPECT_TRUE(near(screen.pixel(28, 28), blue));
    EXPECT_TRUE(near(screen.pixel(31, 31), black));
}

TEST_F(DisplayServerTest, ATouchGoesToTheOwnerOfTheTopmostShownWindowAndStaysWithIt)
{
    auto app = connect("com.example.app");
    auto springBoard = connect("com.apple.springboard", ProcessRole::SpringBoard);
    publish(*springBoard, 1, 0, CGRectMake(0, 0, 100, 100), { 1, 0, 0, 1 });
    publish(*app, 5, 1, CGRectMake(20, 20, 40, 40), { 0, 0, 1, 1 });
    step({ app.get(), springBoard.get() });

    EXPECT_EQ(server.clientAt(CGPointMake(30, 30)), app->id);
    EXPECT_EQ(server.clientAt(CGPointMake(5, 5)), springBoard->id);

    // Began inside the app's window, moved and lifted outside it: the whole
    // touch is the app's.
    EXPECT_TRUE(server.sendTouch(TouchPhase::Began, CGPointMake(30, 30), 1));
    EXPECT_TRUE(server.sendTouch(TouchPhase::Moved, CGPointMake(90, 90), 2));
    EXPECT_TRUE(server.sendTouch(TouchPhase::Ended, CGPointMake(95, 95), 3));
    EXPECT_TRUE(server.sendTouch(TouchPhase::Began, CGPointMake(5, 5), 4));
    EXPECT_TRUE(server.sendTouch(TouchPhase::Ended, CGPointMake(5, 5), 5));
    step({ app.get(), springBoard.get() });
    ASSERT_EQ(app->touches.size(), 3u);
    EXPECT_EQ(app->touches[0], (Touch { 5, TouchPhase::Began, CGPointMake(30, 30), 1 }));
    EXPECT_EQ(app->touches[2].phase, TouchPhase::Ended);
    EXPECT_EQ(app->touches[2].point, CGPointMake(95, 95));
    ASSERT_EQ(springBoard->touches.size(), 2u);
    EXPECT_EQ(springBoard->touches[0].windowId, 1u);

    // A hidden window is neither drawn nor touched.
    publish(*app, 5, 1, CGRectMake(20, 20, 40, 40), { 0, 0, 1, 1 }, true);
    step({ app.get(), springBoard.get() });
    EXPECT_TRUE(near(server.composite().pixel(30, 30), red));
    EXPECT_EQ(server.clientAt(CGPointMake(30, 30)), springBoard->id);

    // Nothing under the finger: nobody gets it.
    EXPECT_FALSE(server.sendTouch(TouchPhase::Began, CGPointMake(150, 5), 6));
}

TEST_F(DisplayServerTest, KeysAndTextGoToTheProcessWithTheKeyWindow)
{
    auto app = connect("com.example.app");
    EXPECT_FALSE(server.sendKey(Key { KeyPhase::Down, 13, 0, "Return" }));  // no key window, no SpringBoard
    auto springBoard = connect("com.apple.springboard", ProcessRole::SpringBoard);
    step({ app.get(), springBoard.get() });

    publish(*springBoard, 1, 0, CGRectMake(0, 0, 100, 100), { 1, 0, 0, 1 }, false, true);
    publish(*app, 1, 0, CGRectMake(0, 0, 100, 100), { 0, 0, 1, 1 });
    step({ app.get(), springBoard.get() });
    EXPECT_TRUE(server.sendText("hi"));

    publish(*app, 1, 0, CGRectMake(0, 0, 100, 100), { 0, 0, 1, 1 }, false, true);
    step({ app.get(), springBoard.get() });
    EXPECT_TRUE(server.sendKey(Key { KeyPhase::Down, 13, 0, "Return" }));
    EXPECT_TRUE(server.sendText("caf\xC3\xA9"));
    EXPECT_FALSE(server.sendText(std::string("\xFF")));  // not text a field takes
    step({ app.get(), springBoard.get() });

    ASSERT_EQ(springBoard->texts.size(), 1u);
    EXPECT_EQ(springBoard->texts[0].text, "hi");
    ASSERT_EQ(app->keys.size(), 1u);
    EXPECT_EQ(app->keys[0].name, "Return");
    ASSERT_EQ(app->texts.size(), 1u);
    EXPECT_EQ(app->texts[0].text, "caf\xC3\xA9");

    // The key window goes: the keyboard is SpringBoard's again, as on the
    // home screen.
    ASSERT_TRUE(app->client->removeWindow(1));
    step({ app.get(), springBoard.get() });
    EXPECT_TRUE(server.sendKey(Key { KeyPhase::Down, 27, 0, "Escape" }));
    step({ app.get(), springBoard.get() });
    ASSERT_EQ(springBoard->keys.size(), 1u);
    EXPECT_EQ(springBoard->keys[0].name, "Escape");
    EXPECT_EQ(app->keys.size(), 1u);
}

TEST_F(DisplayServerTest, AnAppSentToTheBackgroundIsNeitherDrawnNorTouchedNorTypedInto)
{
    auto app = connect("com.example.app");
    auto springBoard = connect("com.apple.springboard", ProcessRole::SpringBoard);
    publish(*springBoard, 1, -1, CGRectMake(0, 0, 100, 100), { 1, 0, 0, 1 });
    publish(*app, 1, 0, CGRectMake(0, 0, 100, 100), { 0, 0, 1, 1 }, false, true);
    step({ app.get(), springBoard.get() });
    EXPECT_TRUE(near(server.composite().pixel(50, 50), blue));
    EXPECT_TRUE(server.sendTouch(TouchPhase::Began, CGPointMake(50, 50), 1));

    server.setShown(app->id, false);
    EXPECT_FALSE(server.isShown(app->id));
    EXPECT_EQ(server.shownWindowCount(app->id), 0u);
    EXPECT_TRUE(near(server.composite().pixel(50, 50), red));
    // The finger it had is cancelled; the rest of that touch goes nowhere.
    EXPECT_FALSE(server.sendTouch(TouchPhase::Moved, CGPointMake(50, 50), 2));
    EXPECT_TRUE(server.sendKey(Key { KeyPhase::Down, 72, 0, "H" }));
    step({ app.get(), springBoard.get() });
    ASSERT_EQ(app->touches.size(), 2u);
    EXPECT_EQ(app->touches[1].phase, TouchPhase::Cancelled);
    EXPECT_TRUE(app->keys.empty());
    ASSERT_EQ(springBoard->keys.size(), 1u);

    // Back in front, as it was: nothing was drawn again.
    server.setShown(app->id, true);
    EXPECT_TRUE(near(server.composite().pixel(50, 50), blue));
    EXPECT_EQ(server.clientOf("com.example.app"), app->id);
    EXPECT_EQ(server.springBoard(), springBoard->id);
}

TEST_F(DisplayServerTest, WhatAClientTellsTheOwnerReachesItAndWhatOnlyTheDisplaySendsIsRefused)
{
    auto app = connect("com.example.app");
    std::vector<std::pair<ClientId, Payload>> told;
    server.setMessageHandler([&told](ClientId from, const Payload& payload) { told.emplace_back(from, payload); });
    ASSERT_TRUE(app->client->send(KeyNotTaken { Key { KeyPhase::Down, 114, 0, "R", 21 } }));
    ASSERT_TRUE(app->client->send(Reached { 2.5 }));
    ASSERT_TRUE(app->client->send(StepDone { StepOutcome::NotHere, "unknown step \"play\"" }));
    server.serveOnce();
    ASSERT_EQ(told.size(), 3u);
    EXPECT_EQ(told[0].second, Payload(KeyNotTaken { Key { KeyPhase::Down, 114, 0, "R", 21 } }));
    EXPECT_EQ(told[1].second, Payload(Reached { 2.5 }));
    EXPECT_EQ(std::get<StepDone>(told[2].second).outcome, StepOutcome::NotHere);
    EXPECT_TRUE(connected(app->id));

    // The display's requests go one way only.
    ASSERT_TRUE(app->client->send(Advance { 1 }));
    server.serveOnce();
    EXPECT_FALSE(connected(app->id));
    EXPECT_NE(server.lastDisconnectReason().find("advance"), std::string::npos) << server.lastDisconnectReason();
}

TEST_F(DisplayServerTest, AScriptedClientIsAskedToRunItsClockAndToPlayAStep)
{
    auto app = connect("com.example.app");
    std::vector<Advance> advances;
    std::vector<Step> steps;
    app->client->setHandlers({ {}, {}, {}, {}, [&](const Advance& a) { advances.push_back(a); }, [&](const Step& s) { steps.push_back(s); } });
    server.serveOnce();
    EXPECT_TRUE(server.sendTo(app->id, Advance { 0.25 }));
    EXPECT_TRUE(server.sendTo(app->id, Step { "tap-title OK" }));
    EXPECT_FALSE(server.sendTo(9999, Advance { 1 }));
    server.serveOnce();
    ASSERT_TRUE(app->client->pump());
    ASSERT_EQ(advances.size(), 1u);
    EXPECT_EQ(advances[0].seconds, 0.25);
    ASSERT_EQ(steps.size(), 1u);
    EXPECT_EQ(steps[0].text, "tap-title OK");
}

TEST_F(DisplayServerTest, ADeadProcessTakesItsWindowsWithItAndTheOthersGoOn)
{
    auto app = connect("com.example.app");
    auto springBoard = connect("com.apple.springboard", ProcessRole::SpringBoard);
    publish(*springBoard, 1, 0, CGRectMake(0, 0, 100, 100), { 1, 0, 0, 1 });
    publish(*app, 1, 1, CGRectMake(0, 0, 100, 100), { 0, 0, 1, 1 }, false, true);
    step({ app.get(), springBoard.get() });
    EXPECT_TRUE(near(server.composite().pixel(50, 50), blue));
    EXPECT_TRUE(server.sendTouch(TouchPhase::Began, CGPointMake(50, 50), 1));

    ClientId gone = app->id;
    app.reset();  // the process dies: its end of the socket closes
    server.serveOnce();
    EXPECT_FALSE(connected(gone));
    EXPECT_EQ(server.clients().size(), 1u);
    EXPECT_TRUE(near(server.composite().pixel(50, 50), red));
    // The touch it had begun has nowhere to go; the next one reaches home,
    // and so does the keyboard.
    EXPECT_FALSE(server.sendTouch(TouchPhase::Moved, CGPointMake(50, 50), 2));
    EXPECT_TRUE(server.sendKey(Key { KeyPhase::Down, 13, 0, "Return" }));
    EXPECT_TRUE(server.sendTouch(TouchPhase::Began, CGPointMake(50, 50), 3));
    step({ springBoard.get() });
    ASSERT_EQ(springBoard->touches.size(), 1u);
    EXPECT_EQ(springBoard->touches[0].timestamp, 3u);
}

TEST_F(DisplayServerTest, AProcessThatStopsReadingLosesItsOldestMessagesAndStallsNobody)
{
    auto stalled = connect("com.example.stalled");
    auto springBoard = connect("com.apple.springboard", ProcessRole::SpringBoard);
    publish(*springBoard, 1, 0, CGRectMake(0, 0, 100, 50), { 1, 0, 0, 1 });
    publish(*stalled, 1, 0, CGRectMake(0, 50, 100, 50), { 0, 0, 1, 1 });
    server.serveOnce();

    // Far more touches than its socket holds; it never reads one.
    const int sent = 20000;
    for (int i = 0; i < sent; ++i) {
        ASSERT_TRUE(server.sendTouch(i == 0 ? TouchPhase::Began : TouchPhase::Moved, CGPointMake(50, 75), i));
        server.serveOnce();
    }
    auto info = server.client(stalled->id);
    ASSERT_TRUE(info);
    EXPECT_GT(info->droppedCount, 0u);
    EXPECT_LE(info->queuedCount, 8u);

    // Meanwhile the display still serves SpringBoard.
    server.composite();
    server.serveOnce();
    ASSERT_TRUE(springBoard->client->pump());
    publish(*springBoard, 1, 0, CGRectMake(0, 0, 100, 50), { 0, 1, 0, 1 });
    server.serveOnce();
    EXPECT_TRUE(near(server.composite().pixel(50, 25), (Pixel { 0, 255, 0, 255 })));
    EXPECT_TRUE(server.sendTouch(TouchPhase::Began, CGPointMake(50, 25), 1));
    server.serveOnce();
    ASSERT_TRUE(springBoard->client->pump());
    EXPECT_EQ(springBoard->touches.size(), 1u);

    // When it reads again, it finds the newest touches and knows how many
    // it missed: every one is either read, dropped or still waiting.
    for (int i = 0; i < 100 && server.client(stalled->id)->queuedCount > 0; ++i) {
        ASSERT_TRUE(stalled->client->pump());
        server.serveOnce();
    }
    ASSERT_TRUE(stalled->client->pump());
    info = server.client(stalled->id);
    EXPECT_EQ(info->queuedCount, 0u);
    EXPECT_EQ(stalled->touches.back().timestamp, static_cast<std::uint64_t>(sent - 1));
    EXPECT_EQ(stalled->client->missedCount(), info->droppedCount);
    EXPECT_EQ(stalled->touches.size() + info->droppedCount, static_cast<std::size_t>(sent));
    // The notice that its picture is shown came last, and was not lost.
    EXPECT_TRUE(stalled->client->canPublish(1));
}

TEST_F(DisplayServerTest, AWindowIsDrawnIntoOnlyTheBufferTheDisplayIsNotReading)
{
    auto app = connect("com.example.app");
    publish(*app, 1, 0, CGRectMake(0, 0, 10, 10), { 1, 0, 0, 1 });
    EXPECT_FALSE(app->client->canPublish(1));
    auto busy = app->client->publish(1, { 0, CGRectMake(0, 0, 10, 10), 1, false, false }, filled(10, 10, { 0, 0, 1, 1 }));
    ASSERT_FALSE(busy);
    EXPECT_EQ(busy.code(), foundation::ErrorCode::Busy);

    step({ app.get() });
    EXPECT_TRUE(app->client->canPublish(1));
    EXPECT_TRUE(near(server.composite().pixel(5, 5), red));
    publish(*app, 1, 0, CGRectMake(0, 0, 10, 10), { 0, 0, 1, 1 });
    // Until the display has read the message, it still shows the old buffer,
    // untouched by the new picture.
    EXPECT_TRUE(near(server.composite().pixel(5, 5), red));
    step({ app.get() });
    EXPECT_TRUE(near(server.composite().pixel(5, 5), blue));
}

TEST_F(DisplayServerTest, MalformedMessagesDisconnectTheirSenderAndNothingElse)
{
    auto springBoard = connect("com.apple.springboard", ProcessRole::SpringBoard);
    publish(*springBoard, 1, 0, CGRectMake(0, 0, 100, 100), { 1, 0, 0, 1 });
    server.serveOnce();

    using displaytest::bytesOf;
    const Hello hello { ProcessRole::Application, 77, "com.example.hostile" };
    const SurfaceReady ready { 1, 5, CGRectMake(0, 0, 10, 10), 1, 0, CarriesSurface };
    struct Case {
        const char* name;
        std::function<void(int socket)> send;
        const char* why;
    };
    std::vector<Case> cases {
        { "bad length",
            [&](int s) {
                auto bytes = bytesOf(hello, 1);
                bytes[4] = static_cast<std::uint8_t>(bytes[4] + 3);
                displaytest::sendRecord(s, bytes);
            },
            "record holds" },
        { "unknown type",
            [&](int s) {
                auto bytes = bytesOf(hello, 1);
                bytes[0] = 42;
                displaytest::sendRecord(s, bytes);
            },
            "unknown message type 42" },
        { "not introduced", [&](int s) { displaytest::sendRecord(s, bytesOf(WindowGone { 1 }, 1)); }, "first message must be hello" },
        { "hello twice",
            [&](int s) {
                displaytest::sendRecord(s, bytesOf(hello, 1));
                displaytest::sendRecord(s, bytesOf(hello, 2));
            },
            "hello came twice" },
        { "sequence going back",
            [&](int s) {
                displaytest::sendRecord(s, bytesOf(hello, 5));
                displaytest::sendRecord(s, bytesOf(WindowGone { 1 }, 5));
            },
            "does not follow" },
        { "descriptor missing",
            [&](int s) {
                displaytest::sendRecord(s, bytesOf(hello, 1));
                displaytest::sendRecord(s, bytesOf(ready, 2));
            },
            "no descriptor came" },
        { "no surface yet",
            [&](int s) {
                displaytest::sendRecord(s, bytesOf(hello, 1));
                SurfaceReady without = ready;
                without.flags = 0;
                displaytest::sendRecord(s, bytesOf(without, 2));
            },
            "has none of its size" },
        { "memfd smaller than the frame",
            [&](int s) {
                displaytest::sendRecord(s, bytesOf(hello, 1));
                displaytest::sendRecord(s, bytesOf(ready, 2), displaytest::memfd(10 * 10 * 4, true).get());
            },
            "less than the 800" },
        { "memfd not sealed",
            [&](int s) {
                displaytest::sendRecord(s, bytesOf(hello, 1));
                displaytest::sendRecord(s, bytesOf(ready, 2), displaytest::memfd(800, false).get());
            },
            "not sealed" },
        { "descriptor beside a hello",
            [&](int s) { displaytest::sendRecord(s, bytesOf(hello, 1), displaytest::memfd(800, true).get()); },
            "descriptor came with a hello" },
        { "an app asking for a launch",
            [&](int s) {
                displaytest::sendRecord(s, bytesOf(hello, 1));
                displaytest::sendRecord(s, bytesOf(Lifecycle { LifecycleAction::Launch, "com.example.other" }, 2));
            },
            "only SpringBoard" },
        { "a display-side message",
            [&](int s) {
                displaytest::sendRecord(s, bytesOf(hello, 1));
                displaytest::sendRecord(s, bytesOf(Touch { 1, TouchPhase::Began, CGPointMake(1, 1), 1 }, 2));
            },
            "goes from the display to a client" },
        { "oversized record", [&](int s) { displaytest::sendRecord(s, std::vector<std::uint8_t>(9000, 1)); }, "longer than the largest" },
        { "empty record", [&](int s) { displaytest::sendRecord(s, {}); }, "closed" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto [displayEnd, hostileEnd] = displaytest::socketPair();
        ClientId hostile = server.addClient(std::move(displayEnd));
        c.send(hostileEnd.get());
        server.serveOnce();
        EXPECT_FALSE(connected(hostile));
        EXPECT_NE(server.lastDisconnectReason().find(c.why), std::string::npos) << server.lastDisconnectReason();
        // Its end sees the display hang up.
        char byte;
        EXPECT_EQ(::recv(hostileEnd.get(), &byte, 1, MSG_DONTWAIT), 0);
    }
    EXPECT_TRUE(connected(springBoard->id));
    EXPECT_TRUE(near(server.composite().pixel(50, 50), red));
}

TEST_F(DisplayServerTest, SpringBoardRecordsEveryProcesssWindowsWhileItAsksAndAnAppMayNotAsk)
{
    auto springBoard = connect("com.apple.springboard", ProcessRole::SpringBoard);
    auto app = connect("com.apple.Preferences");
    publish(*springBoard, 1, -1, CGRectMake(0, 0, 100, 100), { 1, 0, 0, 1 });
    publish(*app, 1, 0, CGRectMake(0, 50, 100, 50), { 0, 0, 1, 1 });
    step({ springBoard.get(), app.get() });
    EXPECT_EQ(springBoard->client->screen(), nullptr);
    EXPECT_EQ(server.screenPicturesShared(), 0u);

    ASSERT_TRUE(springBoard->client->shareScreen(true));
    step({ springBoard.get(), app.get() });
    auto frame = springBoard->client->screen();
    ASSERT_NE(frame, nullptr);
    ASSERT_EQ(frame->width, 100);
    auto pixel = [&](int x, int y) {
        const std::uint8_t* p = &frame->pixels[(static_cast<std::size_t>(y) * frame->width + x) * 4];
        return Pixel { p[0], p[1], p[2], p[3] };
    };
    EXPECT_TRUE(near(pixel(50, 20), red));  // SpringBoard's home screen
    EXPECT_TRUE(near(pixel(50, 80), blue));  // the app in front of it

    // The app's next picture reaches the recording with the next composite.
    publish(*app, 1, 0, CGRectMake(0, 50, 100, 50), { 0, 1, 0, 1 });
    step({ springBoard.get(), app.get() });
    frame = springBoard->client->screen();
    EXPECT_TRUE(near(pixel(50, 80), (Pixel { 0, 255, 0, 255 })));

    // Once the recording stops, the display copies nothing more.
    ASSERT_TRUE(springBoard->client->shareScreen(false));
    step({ springBoard.get(), app.get() });
    const auto shared = server.screenPicturesShared();
    step({ springBoard.get(), app.get() });
    EXPECT_EQ(server.screenPicturesShared(), shared);
    EXPECT_EQ(springBoard->client->screen(), nullptr);

    // An app never sees the other processes' windows.
    ASSERT_TRUE(app->client->shareScreen(true));
    server.serveOnce();
    EXPECT_FALSE(connected(app->id));
    EXPECT_TRUE(connected(springBoard->id));
    EXPECT_NE(server.lastDisconnectReason().find("only SpringBoard records the screen"), std::string::npos)
        << server.lastDisconnectReason();
}

TEST_F(DisplayServerTest, SpringBoardIsToldWhatTheAppInFrontAsksOfTheStatusBarWhenItChanges)
{
    auto springBoard = connect("com.apple.springboard", ProcessRole::SpringBoard);
    auto photos = connect("com.apple.mobileslideshow");
    const CGRect screen = CGRectMake(0, 0, 100, 100);
    publish(*springBoard, 1, -1, screen, { 1, 0, 0, 1 }, false, true);
    step({ springBoard.get(), photos.get() });
    EXPECT_TRUE(springBoard->statusBarStyles.empty()) << "SpringBoard's own key window asks nothing of it";

    auto settle = [&] {
        step({ springBoard.get(), photos.get() });
        step({ springBoard.get(), photos.get() });
    };
    publish(*photos, 1, 0, screen, { 0, 0, 0, 1 }, false, true, true);  // a movie playing
    settle();
    ASSERT_EQ(springBoard->statusBarStyles.size(), 1u);
    EXPECT_EQ(springBoard->statusBarStyles[0].lightContent, 1);
    // A new picture asking the same is not news.
    publish(*photos, 1, 0, screen, { 0.1, 0, 0, 1 }, false, true, true);
    settle();
    EXPECT_EQ(springBoard->statusBarStyles.size(), 1u);
    publish(*photos, 1, 0, screen, { 1, 1, 1, 1 }, false, true, false);  // back to the light grid
    settle();
    ASSERT_EQ(springBoard->statusBarStyles.size(), 2u);
    EXPECT_EQ(springBoard->statusBarStyles[1].lightContent, 0);

    // An app in the background has no say.
    server.setShown(photos->id, false);
    publish(*photos, 1, 0, screen, { 0, 0, 0, 1 }, false, true, true);
    settle();
    EXPECT_EQ(springBoard->statusBarStyles.size(), 2u);
    server.setShown(photos->id, true);
    settle();
    ASSERT_EQ(springBoard->statusBarStyles.size(), 3u);
    EXPECT_EQ(springBoard->statusBarStyles[2].lightContent, 1);
}

TEST_F(DisplayServerTest, SpringBoardsLifeCycleRequestsReachTheDisplaysOwnerAndTheApp)
{
    auto springBoard = connect("com.apple.springboard", ProcessRole::SpringBoard);
    auto settings = connect("com.apple.Preferences");
    std::vector<Lifecycle> asked;
    server.setLifecycleHandler([&](ClientId from, const Lifecycle& l) {
        EXPECT_EQ(from, springBoard->id);
        asked.push_back(l);
    });
    ASSERT_TRUE(springBoard->client->request({ LifecycleAction::Launch, "com.apple.Preferences" }));
    ASSERT_TRUE(springBoard->client->request({ LifecycleAction::Home, "" }));
    step({ springBoard.get(), settings.get() });
    ASSERT_EQ(asked.size(), 2u);
    EXPECT_EQ(asked[0], (Lifecycle { LifecycleAction::Launch, "com.apple.Preferences" }));
    EXPECT_EQ(asked[1].action, LifecycleAction::Home);

    EXPECT_TRUE(server.sendLifecycle("com.apple.Preferences", { LifecycleAction::Terminate, "com.apple.Preferences" }));
    EXPECT_FALSE(server.sendLifecycle("com.apple.mobileslideshow", { LifecycleAction::ToFront, "com.apple.mobileslideshow" }));
    step({ springBoard.get(), settings.get() });
    ASSERT_EQ(settings->lifecycles.size(), 1u);
    EXPECT_EQ(settings->lifecycles[0].action, LifecycleAction::Terminate);
}

TEST(DisplayServerSocket, ProcessesConnectByTheSocketsPath)
{
    testsupport::TempDir folder("marqel-display");
    std::string path = folder.file("display.socket");
    DisplayServer server(DisplayServer::Options { CGSizeMake(10, 10), 1, 8 });
    ASSERT_TRUE(server.listen(path));
    auto client = DisplayClient::connect(path, Hello { ProcessRole::SpringBoard, 1, "com.apple.springboard" });
    ASSERT_TRUE(client) << client.message();
    server.serveOnce();
    auto clients = server.clients();
    ASSERT_EQ(clients.size(), 1u);
    EXPECT_TRUE(clients[0].introduced);
    EXPECT_EQ(clients[0].hello.bundleIdentifier, "com.apple.springboard");

    // A second display on the same path replaces a stale socket but never a
    // file that is not one.
    auto notASocket = folder.file("file");
    {
        std::ofstream(notASocket) << "keep";
    }
    DisplayServer other;
    auto refused = other.listen(notASocket);
    ASSERT_FALSE(refused);
    EXPECT_NE(refused.message().find("other than a socket"), std::string::npos);
    auto missing = DisplayClient::connect(folder.file("none"), Hello { ProcessRole::Application, 1, "a.b" });
    ASSERT_FALSE(missing);
    EXPECT_NE(missing.message().find("is the display running?"), std::string::npos);
}
