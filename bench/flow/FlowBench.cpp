// From the user's stop of a recording to the completion notice, on the real
// clock: the wait before the crop, the export, the library save and the
// notice, as SpringBoard with the tweak injected goes through them.

#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <thread>

#include "bench/common/Machine.h"
#include "common/MarqelPreferences.h"
#include "platform/automation/ScenarioDriver.h"
#include "platform/av/MovieProbe.h"
#include "platform/foundation/Foundation.h"
#include "platform/photos/Photos.h"
#include "platform/springboard/NoticeCenter.h"
#include "platform/springboard/SpringBoardHost.h"
#include "platform/uikit/UIKit.h"
#include "scenario/MarqelSteps.h"
#include "scenario/OverlayQueries.h"
#include "scenario/OverlaySteps.h"
#include "scenario/RecordingQueries.h"
#include "tools/Installer.h"

extern "C" {
#include <libavutil/log.h>
}

// This executable is SpringBoard; the tweak finds the bulletin server's
// queue through this symbol.
MARQEL_DEFINE_BULLETIN_SERVER_QUEUE_SYMBOL()

namespace fs = std::filesystem;

namespace {

using bench::machine;

double cpuSeconds()
{
    rusage u {};
    getrusage(RUSAGE_SELF, &u);
    auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) * 1e-6; };
    return seconds(u.ru_utime) + seconds(u.ru_stime);
}

bool check(const foundation::Status& status, const char* what)
{
    if (!status)
        std::cerr << what << " failed: " << status.message() << '\n';
    return static_cast<bool>(status);
}

}  // namespace

int main(int argc, char** argv)
{
    double length = 10.0;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--seconds" && i + 1 < argc) {
            length = std::atof(argv[++i]);
        } else {
            std::cout << "usage: bench_flow [--seconds S]   (recording length, default 10)\n";
            return a == "--help" || a == "-h" ? 0 : 2;
        }
    }
    if (!(length > 0 && length <= 600)) {
        std::cerr << "the recording length must be between 0 and 600 s\n";
        return 2;
    }
    av_log_set_level(AV_LOG_ERROR);

    // A fresh device root, so nothing of an earlier run is in the library.
    char pattern[] = "/tmp/marqel-bench-flow-XXXXXX";
    const char* root = mkdtemp(pattern);
    if (!root) {
        std::cerr << "cannot make a device root\n";
        return 1;
    }
    DevicePath::setRoot(root);
    auto installed = tools::Installer::forThisExecutable().install();
    if (!installed) {
        std::cerr << installed.message() << '\n';
        return 1;
    }
    if (auto switched = MarqelPreferences::write(MarqelPreferences::toggleMarqel, true); !switched) {
        std::cerr << switched.message() << '\n';
        return 1;
    }

    RunLoop::main().reset(ClockKind::Real);
    automation::ScenarioDriver driver;
    auto steps = scenario::registerMarqelSteps(driver);
    if (!steps) {
        std::cerr << "cannot register the scenario steps: " << steps.message() << '\n';
        return 1;
    }
    auto recording = steps.release();
    if (!check(driver.boot(), "boot"))
        return 1;

    // The rectangle 20,100,250,250 on the 390 x 844 screen, as `marqel run` sets it.
    scenario::invoke();
    if (!check(driver.wait(0.3), "wait"))
        return 1;
    auto box = scenario::findBox();
    if (!box) {
        std::cerr << "the overlay did not open\n";
        return 1;
    }
    const CGRect start = box->frame();
    if (!check(driver.drag(CGPointMake(CGRectGetMidX(start), CGRectGetMidY(start)),
                   CGPointMake(20 + start.size.width / 2, 100 + start.size.height / 2), 12),
            "drag"))
        return 1;
    const CGRect rect = box->frame();

    if (!check(driver.tapSymbol("record.circle"), "record"))
        return 1;
    if (!check(driver.wait(length), "recording"))
        return 1;

    // The notice is posted from the bulletin server's queue; the end of that
    // work wakes the waiting loop, so the wait ends as the notice comes.
    const std::size_t noticesBefore = scenario::completionNoticeCount();
    const double cpuAtStop = cpuSeconds();
    const auto stopped = std::chrono::steady_clock::now();
    auto elapsed = [&stopped] { return std::chrono::duration<double>(std::chrono::steady_clock::now() - stopped).count(); };
    if (!check(recording.stopRecording("status-bar"), "stop"))
        return 1;
    const double limit = 120 + 2 * length;
    RunLoop::main().runUntil([&] { return scenario::completionNoticeCount() > noticesBefore; }, limit);
    const double road = elapsed();
    const double roadCpu = cpuSeconds() - cpuAtStop;
    if (scenario::completionNoticeCount() <= noticesBefore) {
        std::cerr << "no completion notice within " << limit << " s\n";
        return 1;
    }

    // What was recorded and what came out, to show the run did the work.
    auto videos = PHAsset::fetchAssetsWithMediaType(PHAssetMediaTypeVideo, [] {
        auto o = alloc<PHFetchOptions>();
        o->setSortDescriptors({ NSSortDescriptor::sortDescriptorWithKey("creationDate", true) });
        return o;
    }());
    auto newest = videos->lastObject();
    auto opened = PHPhotoLibrary::sharedPhotoLibrary()->store();
    auto* store = opened ? opened.value() : nullptr;
    std::string cropped = "?";
    if (newest && store) {
        if (auto path = store->filePath(newest->record()); path) {
            if (auto info = av::probeMovie(path.value().string()); info)
                cropped = std::to_string(info.value().width) + " x " + std::to_string(info.value().height) + ", "
                    + std::to_string(info.value().durationSeconds) + " s";
        }
    }
    NSDistributedNotificationCenter::defaultCenter()->shutdown();

    const double goal = 0.2 * length + 0.6;
    std::printf("machine: %s\n", machine().c_str());
    std::printf("recording: %.1f s of the %g x %g screen, rectangle %s\n", length,
        UIScreen::mainScreen()->bounds().size.width, UIScreen::mainScreen()->bounds().size.height,
        NSStringFromCGRect(rect).c_str());
    std::printf("cropped movie in the library: %s\n", cropped.c_str());
    std::printf("stop -> completion notice: %.3f s = %.3f x the recording's length   goal <= %.2f s (0.2 x length + 0.6): %s\n",
        road, road / length, goal, road <= goal ? "ok" : "MISSED");
    // On a shared machine the wall time follows other people's load; the
    // CPU spent on the road (all threads) is the steadier figure.
    std::printf("CPU on the road: %.3f s\n", roadCpu);
    std::error_code ec;
    fs::remove_all(root, ec);
    return 0;
}
