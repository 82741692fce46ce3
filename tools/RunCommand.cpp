#include "tools/Command.h"
#include "tools/ScenarioRunner.h"

#include "platform/av/MovieProbe.h"
#include "platform/foundation/Foundation.h"
#include "platform/photos/Photos.h"
#include "platform/render/Compositor.h"
#include "platform/springboard/NoticeCenter.h"
#include "platform/springboard/SpringBoardHost.h"
#include "platform/uikit/UIKit.h"
#include "tweak/core/MarqelPreferences.h"
#include "tweak/crop/CropGeometry.h"

#include <iomanip>
#include <iostream>

namespace tools {

namespace {
void stage(int n, const std::string& what) { std::cout << "[" << n << "/8] " << what << '\n'
                                                       << std::flush; }
}  // namespace

void addRunCommand(CLI::App& app, GlobalOptions& options)
{
    auto* command = app.add_subcommand("run",
        "The main job: install, enable the tweak, boot SpringBoard, invoke the overlay, move and resize the box, "
        "record, stop, wait for the crop and show the cropped movie");
    static std::string script;
    command->add_option("SCRIPT", script, "Play this scenario file instead of the built-in run")->check(CLI::ExistingFile);
    command->callback([&options] {
        prepareDevice(options);
        if (!script.empty()) {
            ensureInstalled();
            runScenario(script);
            return;
        }
        stage(1, "installing into the device root " + DevicePath::root());
        ensureInstalled();
        stage(2, "enabling the tweak (toggleMarqel = true)");
        MarqelPreferences::write(MarqelPreferences::toggleMarqel, true);

        RunLoop::main().reset(ClockKind::Virtual);
        auto driver = makeDriver();
        stage(3, "booting SpringBoard with the tweak injected");
        driver.boot();
        auto changes = host::methodChanges(SpringBoardHost::privateClassNames());
        std::cout << "      " << changes.size() << " methods hooked or added by the tweak\n";
        if (changes.empty())
            throw CommandError("the tweak did not install its hooks; see " + DevicePath::host(SystemLog::devicePath));

        stage(4, "invoking the overlay, as the Control Center module does");
        driver.invoke();
        driver.wait(0.3);
        auto box = driver.findBox();
        if (!box)
            throw CommandError("the overlay did not open");
        std::cout << "      crop box at " << NSStringFromCGRect(box->frame()) << '\n';

        stage(5, "moving the box to (20, 100) and widening it by 50 points");
        CGRect start = box->frame();
        driver.drag(CGPointMake(CGRectGetMidX(start), CGRectGetMidY(start)), CGPointMake(20 + start.size.width / 2, 100 + start.size.height / 2), 12);
        CGRect moved = box->frame();
        driver.drag(CGPointMake(CGRectGetMaxX(moved) - 10, CGRectGetMidY(moved)), CGPointMake(CGRectGetMaxX(moved) + 40, CGRectGetMidY(moved)), 8);
        CGRect rect = box->frame();
        std::cout << "      crop rectangle " << NSStringFromCGRect(rect) << '\n';
        driver.wait(0.2);
        const std::string snapshotPath = "/var/mobile/Media/Snapshots/overlay.png";
        DevicePath::makeParents(snapshotPath);
        if (auto written = render::writeScreenPNG(DevicePath::host(snapshotPath)); written)
            std::cout << "      snapshot of the overlay: " << DevicePath::host(snapshotPath) << '\n';
        else
            std::cout << "      no snapshot: " << written.message() << '\n';

        stage(6, "recording 3 seconds of the screen");
        driver.tapSymbol("record.circle");
        driver.wait(3.2);

        stage(7, "stopping from the status bar and waiting for the crop");
        driver.stopRecording("status-bar");
        driver.waitForCrop(120);

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
        auto* store = PHPhotoLibrary::sharedPhotoLibrary()->store();
        if (!newest || !store)
            throw CommandError("no cropped movie in the library");
        auto path = store->filePath(newest->record());
        auto info = path ? av::probeMovie(path.value().string()) : av::probeMovie("");
        CGRect screen = UIScreen::mainScreen()->bounds();
        CGRect pixels = UIScreen::mainScreen()->nativeBounds();
        CGSize predicted = CropGeometry::renderSize(CropGeometry::cropRectInMovie(pixels.size, screen.size, rect));
        std::cout << "\ncropped movie: " << (path ? path.value().string() : std::string("?")) << '\n';
        if (info)
            std::cout << "size: " << info.value().width << " x " << info.value().height << " pixels (the rectangle predicts "
                      << predicted.width << " x " << predicted.height << ")\n"
                      << "duration: " << std::fixed << std::setprecision(2) << info.value().durationSeconds << " s\n";
        NSDistributedNotificationCenter::defaultCenter()->shutdown();
    });
}

}  // namespace tools
