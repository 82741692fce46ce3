#include "tools/Command.h"

#include "platform/foundation/Foundation.h"
#include "platform/photosapp/PhotosAppHost.h"
#include "platform/render/Window.h"
#include "platform/springboard/AppLauncher.h"
#include "platform/springboard/DisplayLink.h"
#include "platform/uikit/UIKit.h"
#include "tools/DisplayedProcess.h"
#include "tools/ScenarioRunner.h"

#include <CLI/CLI.hpp>
#include <csignal>
#include <iostream>
#include <optional>

namespace tools {

namespace {
// The Photos app as one of the phone's processes, opened from the home
// screen or (with `newest`) from a recording's notice.
void runPhotosOnDisplay(const DisplayedProcess& displayed, bool newest)
{
    RunLoop::main().reset(displayed.scripted ? ClockKind::Virtual : ClockKind::Real);
    std::optional<automation::ScenarioDriver> driver;
    if (displayed.scripted) {
        driver.emplace();
        prepareDriver(*driver);
        check(driver->setBooter(automation::ScenarioDriver::photosAppBooter()));
    }
    auto& photos = PhotosAppHost::shared();
    auto report = photos.boot();
    if (!report)
        throw CommandError(report.error());
    std::cout << host::describe(report.value()) << std::flush;
    // Photos lays its grid out below the status bar itself, and its player
    // is the whole screen, as on the phone.
    if (newest) {
        // An empty library leaves the grid showing so: the app still opens.
        if (auto opened = photos.openNewestVideo(); !opened)
            NSLog("Photos: %@", opened.message());
    }
    auto link = connectToDisplay(displayed, display::ProcessRole::Application, PhotosAppHost::bundleIdentifier);
    // Brought to the front, the app reads the library again (a recording
    // may have been saved meanwhile); from a recording's notice it opens
    // the player on the newest video.
    link->setLifecycleHandler([](const display::Lifecycle& lifecycle) {
        if (lifecycle.action != display::LifecycleAction::Launch)
            return;
        auto& app = PhotosAppHost::shared();
        app.reload();
        if (lifecycle.url != AppLauncher::newestVideoURL)
            return;
        if (auto opened = app.openNewestVideo(); !opened)
            NSLog("Photos: %@", opened.message());
    });
    runOnDisplay(*link, displayed, driver ? &*driver : nullptr);
}
}  // namespace

void addPhotosCommand(CLI::App& app, GlobalOptions& options)
{
    auto* command = app.add_subcommand("photos",
        "Start the Photos app showing the photo library's videos (newest first; Recently Deleted as its second tab) and run its main loop");
    static ProcessRunOptions run;
    addProcessRunOptions(*command, run, "Show the phone's screen in a desktop window (real clock): the mouse is a finger, Escape quits");
    static bool newest = false;
    command->add_flag("--newest", newest,
        "Open on the newest video, playing (where the recording notice's default action leads); fails when the library has none");
    static std::string script;
    auto* scriptOption = command->add_option("--script", script,
                                    "Play a scenario file as a simulated user (on the virtual clock; its `boot` step starts the Photos app), then exit")
                             ->check(CLI::ExistingFile);
    command->get_option("--newest")->excludes(scriptOption);
    static bool audit = false;
    addAuditOption(*command, audit);
    static DisplayedProcess displayed;
    addDisplayOptions(*command, displayed);
    command->callback([&options] {
        if (displayed.onDisplay()) {
            prepareDevice(options);
            ensureInstalled();
            runPhotosOnDisplay(displayed, newest);
            return;
        }
        prepareAppProcess(options, run, script, audit);
        if (!script.empty()) {
            runScenario(script, false, ScenarioHost::PhotosApp, audit ? Audit::Yes : Audit::No);
            return;
        }
        RunLoop::main().reset(run.clock());
        auto& photos = PhotosAppHost::shared();
        auto report = photos.boot();
        if (!report)
            throw CommandError(report.error());
        std::cout << host::describe(report.value());
        std::cout << "showing " << photos.videoCount() << (photos.videoCount() == 1 ? " video" : " videos") << '\n';
        if (newest) {
            if (auto opened = photos.openNewestVideo(); !opened)
                throw CommandError(opened.message());
            std::cout << "playing the newest video\n";
        }
        std::cout << std::flush;
        if (run.window) {
            showDesktopWindow(run.zoom, "Marqel — Photos", "window open: the mouse is a finger; Escape quits");
            NSDistributedNotificationCenter::defaultCenter()->shutdown();
            return;
        }
        runMainLoop(run.seconds);
        std::cout << "Photos stopped\n";
    });
}

}  // namespace tools
