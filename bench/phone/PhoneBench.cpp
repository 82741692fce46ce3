// What the user waits for on a phone of real processes (the `marqel`
// program as SpringBoard and as each app, on lockstep virtual clocks, over a
// fresh device root with the tweak switched on): a respring until the first
// frame of the new home screen, an app's launch until its first frame, and
// the home gesture until the home screen is what the display shows. Each is
// timed from the request until the display composites the new state.

#include "platform/foundation/DevicePath.h"
#include "platform/springboard/AppLauncher.h"
#include "platform/springboard/SpringBoardHost.h"
#include "tests/support/Program.h"
#include "tests/support/TempDir.h"
#include "tools/Phone.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <memory>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
constexpr const char* settings = AppLauncher::settingsBundleIdentifier;

// One phone for every case: booting it (and installing the product into the
// root, which the first SpringBoard does) is not what is measured.
class BenchPhone {
public:
    static BenchPhone* shared(benchmark::State& state)
    {
        static std::unique_ptr<BenchPhone> phone;
        static std::string failure;
        if (!phone && failure.empty()) {
            auto made = std::make_unique<BenchPhone>();
            if (auto booted = made->boot(); !booted)
                failure = booted.message();
            else
                phone = std::move(made);
        }
        if (!phone)
            state.SkipWithError(("the phone did not boot: " + failure).c_str());
        return phone.get();
    }

    tools::Phone& phone() { return *m_phone; }

    std::size_t shownWindows(const std::string& bundle)
    {
        auto client = m_phone->server().clientOf(bundle);
        return client ? m_phone->server().shownWindowCount(*client) : 0;
    }
    std::size_t homeScreenWindows()
    {
        auto springBoard = m_phone->server().springBoard();
        return springBoard ? m_phone->server().shownWindowCount(*springBoard) : 0;
    }

    // Ends the app's process and waits until the phone has seen it go, so
    // the next launch starts it afresh.
    foundation::Status endApp(const std::string& bundle)
    {
        if (auto pid = m_phone->processOf(bundle))
            ::kill(*pid, SIGTERM);
        return m_phone->waitFor([&] { return !m_phone->processOf(bundle) && m_phone->frontApp().empty(); }, bundle + "'s end");
    }

private:
    foundation::Status boot()
    {
        DevicePath::setRoot(m_root.path());
        auto switched = testsupport::runProgram({ MARQEL_BIN, "--root", m_root.path(), "prefs", "set", "toggleMarqel", "true" }, true);
        if (switched.exitCode != 0)
            return foundation::Error { foundation::ErrorCode::Failed, "`marqel prefs set toggleMarqel true` failed" };
        m_phone = std::make_unique<tools::Phone>(tools::Phone::Options { MARQEL_BIN, m_root.path(), true, false });
        TRY(m_phone->start());
        TRY(m_phone->settle());
        return m_phone->waitFor([&] { return homeScreenWindows() > 0; }, "the first home screen");
    }

    testsupport::TempDir m_root { "marqel-bench-phone" };
    std::unique_ptr<tools::Phone> m_phone;
};

double since(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

void report(benchmark::State& state, std::vector<double> seconds)
{
    if (seconds.empty())
        return;
    std::sort(seconds.begin(), seconds.end());
    state.counters["median_ms"] = seconds[seconds.size() / 2] * 1000;
    state.counters["max_ms"] = seconds.back() * 1000;
}

// The display ends SpringBoard (and any app), starts a fresh one, and waits
// for its home screen on the screen. The old process's end is part of it:
// the user's screen is black from the request on.
void BM_RespringToFirstHomeScreenFrame(benchmark::State& state)
{
    BenchPhone* bench = BenchPhone::shared(state);
    if (!bench)
        return;
    tools::Phone& phone = bench->phone();
    std::vector<double> seconds;
    for (auto _ : state) {
        auto start = Clock::now();
        phone.respring();
        auto shown = phone.waitFor([&] { return bench->homeScreenWindows() > 0; }, "the new home screen");
        phone.server().composite();
        double taken = since(start);
        if (!shown) {
            state.SkipWithError(shown.message().c_str());
            return;
        }
        state.SetIterationTime(taken);
        seconds.push_back(taken);
    }
    report(state, seconds);
}
BENCHMARK(BM_RespringToFirstHomeScreenFrame)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

// A cold launch: the app's process starts afresh, says hello and publishes
// its first windows.
void BM_AppLaunchToFirstFrame(benchmark::State& state)
{
    BenchPhone* bench = BenchPhone::shared(state);
    if (!bench)
        return;
    tools::Phone& phone = bench->phone();
    std::vector<double> seconds;
    for (auto _ : state) {
        auto start = Clock::now();
        if (auto launched = phone.launch(settings); !launched) {
            state.SkipWithError(launched.message().c_str());
            return;
        }
        auto shown = phone.waitFor([&] { return bench->shownWindows(settings) > 0 || !phone.processOf(settings); }, "Settings' first frame");
        phone.server().composite();
        double taken = since(start);
        if (!shown || bench->shownWindows(settings) == 0) {
            state.SkipWithError("Settings did not come to the screen (its process ended; see the device root's system log): "
                                "this phone cannot launch it yet");
            return;
        }
        state.SetIterationTime(taken);
        seconds.push_back(taken);
        // Untimed: the iteration's time is the one set above.
        auto ended = bench->endApp(settings);
        if (!ended) {
            state.SkipWithError(ended.message().c_str());
            return;
        }
    }
    report(state, seconds);
}
BENCHMARK(BM_AppLaunchToFirstFrame)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

// With Settings in front, the finger's swipe up from the bottom edge:
// SpringBoard's gesture strip reads it and asks for home, the display hides
// the app. Timed from the swipe's last move to the frame without the app.
void BM_HomeGestureToHomeScreen(benchmark::State& state)
{
    BenchPhone* bench = BenchPhone::shared(state);
    if (!bench)
        return;
    tools::Phone& phone = bench->phone();
    auto& server = phone.server();
    std::vector<double> seconds;
    for (auto _ : state) {
        // Untimed, as all before the swipe: a warm launch when it already
        // runs; SpringBoard raises its gesture strip for the app in front.
        auto launched = phone.launch(settings);
        auto inFront = launched ? phone.waitFor([&] { return bench->shownWindows(settings) > 0 || !phone.processOf(settings); }, "Settings in front")
                                : launched;
        if (inFront)
            inFront = phone.settle();
        if (!inFront || bench->shownWindows(settings) == 0) {
            state.SkipWithError("Settings did not come to the screen (its process ended; see the device root's system log): "
                                "this phone cannot launch it yet, so there is no app to swipe away");
            return;
        }
        const double x = 195, bottom = 842;
        server.composite();
        server.sendTouch(display::TouchPhase::Began, { x, bottom }, 0);
        auto start = Clock::now();
        for (double y = bottom - 40; y >= bottom - 200; y -= 40)
            server.sendTouch(display::TouchPhase::Moved, { x, y }, 0);
        server.sendTouch(display::TouchPhase::Ended, { x, bottom - 200 }, 0);
        auto home = phone.waitFor([&] { return phone.frontApp().empty(); }, "home after the gesture");
        server.composite();
        double taken = since(start);
        if (!home || bench->shownWindows(settings) != 0) {
            state.SkipWithError(home ? "the app was still on the screen after the gesture" : home.message().c_str());
            return;
        }
        state.SetIterationTime(taken);
        seconds.push_back(taken);
    }
    report(state, seconds);
}
BENCHMARK(BM_HomeGestureToHomeScreen)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

}  // namespace
