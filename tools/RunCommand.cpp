#include "tools/Command.h"
#include "tools/FailureLog.h"
#include "tools/ProcessLock.h"
#include "tools/ScenarioRunner.h"

#include "scenario/OverlayQueries.h"
#include "scenario/OverlaySteps.h"

#include "common/MarqelPreferences.h"
#include "platform/av/MovieProbe.h"
#include "platform/foundation/Foundation.h"
#include "platform/photos/Photos.h"
#include "platform/render/Compositor.h"
#include "platform/springboard/NoticeCenter.h"
#include "platform/springboard/SpringBoardHost.h"
#include "platform/uikit/UIKit.h"
#include "tweak/crop/CropGeometry.h"

#include <CLI/CLI.hpp>
#include <iomanip>
#include <iostream>

namespace tools {

namespace {
void stage(int n, const std::string& what) { std::cout << "[" << n << "/8] " << what << '\n'
                                                       << std::flush; }

// Stages 1 and 2: the product in the device root, switched on.
void installAndEnable()
{
    stage(1, "installing into the device root " + DevicePath::root());
    ensureInstalled();
    stage(2, "enabling the tweak (toggleMarqel = true)");
    if (!MarqelPreferences::write(MarqelPreferences::toggleMarqel, true))
        throw CommandError(std::string("cannot enable the tweak: ") + MarqelPreferences::domain + " cannot be written");
}

// Stage 3: SpringBoard up with the tweak's hooks in place.
void bootWithTheTweak(automation::ScenarioDriver& driver)
{
    stage(3, "booting SpringBoard with the tweak injected");
    check(driver.boot());
    auto changes = host::methodChanges(SpringBoardHost::privateClassNames());
    std::cout << "      " << changes.size() << " methods hooked or added by the tweak\n";
    if (changes.empty())
        throw CommandError("the tweak did not install its hooks; see " + hostPath(SystemLog::devicePath));
}

// Stages 4 and 5, as a user would: the overlay opened, its box moved and
// widened. Gives the crop rectangle the box ends at.
CGRect placeTheBox(automation::ScenarioDriver& driver)
{
    stage(4, "invoking the overlay, as the Control Center module does");
    scenario::invoke();
    check(driver.wait(0.3));
    auto box = scenario::findBox();
    if (!box)
        throw CommandError("the overlay did not open");
    std::cout << "      crop box at " << NSStringFromCGRect(box->frame()) << '\n';

    stage(5, "moving the box to (20, 100) and widening it by 50 points");
    CGRect start = box->frame();
    check(driver.drag(CGPointMake(CGRectGetMidX(start), CGRectGetMidY(start)), CGPointMake(20 + start.size.width / 2, 100 + start.size.height / 2), 12));
    CGRect moved = box->frame();
    check(driver.drag(CGPointMake(CGRectGetMaxX(moved) - 10, CGRectGetMidY(moved)), CGPointMake(CGRectGetMaxX(moved) + 40, CGRectGetMidY(moved)), 8));
    CGRect rect = box->frame();
    std::cout << "      crop rectangle " << NSStringFromCGRect(rect) << '\n';
    check(driver.wait(0.2));
    return rect;
}

// A picture of the overlay for the user; the job goes on without one.
void snapshotTheOverlay()
{
    const std::string snapshotPath = "/var/mobile/Media/Snapshots/overlay.png";
    auto folder = DevicePath::makeParents(snapshotPath);
    auto file = DevicePath::toHost(snapshotPath);
    if (!folder || !file) {
        std::cout << "      no snapshot: " << (folder ? file.message() : folder.message()) << '\n';
        return;
    }
    if (auto written = render::writeScreenPNG(file.value()); written)
        std::cout << "      snapshot of the overlay: " << file.value() << '\n';
    else
        std::cout << "      no snapshot: " << written.message() << '\n';
}

// Stage 8: the notice, and the newest movie in the library against the
// size the crop rectangle predicts.
void showTheCroppedMovie(CGRect rect)
{
    stage(8, "the notice");
    auto notices = NoticeCenter::notices();
    if (!notices.empty())
        std::cout << "      " << notices.back().title << ": " << notices.back().message << '\n';

    auto videos = PHAsset::fetchAssetsWithMediaType(PHAssetMediaTypeVideo, [] {
        auto o = alloc<PHFetchOptions>();
        o->setSortDescriptors({ NSSortDescriptor::sortDescriptorWithKey("creationDate", true) });
        return o;
    }());
    auto newest = videos->lastObject();
    auto store = PHPhotoLibrary::sharedPhotoLibrary()->store();
    if (!store)
        throw CommandError(store.error());
    if (!newest)
        throw CommandError("no cropped movie in the library");
    auto path = store.value()->filePath(newest->record());
    if (!path)
        throw CommandError(path.error());
    auto info = av::probeMovie(path.value().string());
    CGRect screen = UIScreen::mainScreen()->bounds();
    CGRect pixels = UIScreen::mainScreen()->nativeBounds();
    CGSize predicted = CropGeometry::renderSize(CropGeometry::cropRectInMovie(pixels.size, screen.size, rect));
    std::cout << "\ncropped movie: " << path.value().string() << '\n';
    if (!info)
        std::cout << "the cropped movie cannot be read: " << info.error().message << '\n';
    if (info)
        std::cout << "size: " << info.value().width << " x " << info.value().height << " pixels (the rectangle predicts "
                  << predicted.width << " x " << predicted.height << ")\n"
                  << "duration: " << std::fixed << std::setprecision(2) << info.value().durationSeconds << " s\n";
}

void runMainJob()
{
    installAndEnable();
    RunLoop::main().reset(ClockKind::Virtual);
    automation::ScenarioDriver driver;
    auto recording = prepareDriver(driver);
    bootWithTheTweak(driver);
    CGRect rect = placeTheBox(driver);
    snapshotTheOverlay();

    stage(6, "recording 3 seconds of the screen");
    check(driver.tapSymbol("record.circle"));
    check(driver.wait(3.2));

    stage(7, "stopping from the status bar and waiting for the crop");
    check(recording.stopRecording("status-bar"));
    check(recording.waitForCrop(120));

    showTheCroppedMovie(rect);
}

}  // namespace

void addRunCommand(CLI::App& app, GlobalOptions& options)
{
    auto* command = app.add_subcommand("run",
        "The main job: install, enable the tweak, boot SpringBoard, invoke the overlay, move and resize the box, "
        "record, stop, wait for the crop and show the cropped movie");
    static std::string script;
    command->add_option("SCRIPT", script, "Play this scenario file instead of the built-in run")->check(CLI::ExistingFile);
    static bool audit = false;
    command->add_flag("--audit", audit,
        "With SCRIPT: check every picture its snapshot steps take (text cut off or overlapping, contrast, views off the screen); "
        "any finding fails the run");
    command->callback([&options] {
        if (audit && script.empty())
            throw CommandError("--audit checks the pictures a scenario takes: give the scenario file, e.g. marqel run --audit FILE.scn");
        prepareDevice(options);
        auto lock = ProcessLock::acquire("SpringBoard");
        if (!lock)
            throw CommandError(lock.message());
        if (!script.empty()) {
            ensureInstalled();
            runScenario(script, false, ScenarioHost::SpringBoard, audit ? Audit::Yes : Audit::No);
            return;
        }
        // The cause of a failure late in the job is often logged long
        // before it; the user sees those lines with the failure.
        std::size_t logStart = SystemLog::shared().lineCount();
        try {
            runMainJob();
        } catch (const CommandError& e) {
            throw CommandError(withExplanation(e.what(), logStart));
        }
        NSDistributedNotificationCenter::defaultCenter()->shutdown();
    });
}

}  // namespace tools
