#include "tools/Command.h"

#include "common/MarqelPreferences.h"
#include "platform/automation/ScenarioDriver.h"
#include "platform/foundation/Foundation.h"
#include "platform/render/Window.h"
#include "platform/replaykit/RPScreenRecorder.h"
#include "platform/springboard/AppLauncher.h"
#include "platform/springboard/DisplayLink.h"
#include "platform/springboard/HomeGesture.h"
#include "platform/springboard/ScreenRecordingControl.h"
#include "platform/springboard/SpringBoardHost.h"
#include "platform/uikit/UIKit.h"
#include "tools/DisplayedProcess.h"
#include "tools/ProcessLock.h"
#include "tools/ScenarioRunner.h"

#include <CLI/CLI.hpp>
#include <csignal>
#include <cstdio>
#include <iostream>
#include <optional>

namespace tools {

namespace {
const std::string tweakOffAdvice = "Turn it on in the Settings app (marqel settings) or with `marqel prefs set toggleMarqel true`, then restart SpringBoard";
}  // namespace

void claimSpringBoard(const GlobalOptions& options)
{
    prepareDevice(options);
    auto lock = ProcessLock::acquire("SpringBoard");
    if (!lock)
        throw CommandError(lock.message());
    // Held until the process ends: one SpringBoard a root.
    static std::optional<ProcessLock> held;
    held.emplace(lock.release());
    ensureInstalled();
}

void bootSpringBoard(ClockKind clock, const std::string& tweakOffNote)
{
    RunLoop::main().reset(clock);
    auto report = SpringBoardHost::shared().boot();
    if (!report)
        throw CommandError(report.error());
    std::cout << host::describe(report.value());
    // The switch is off until the user turns it on: faithful, but the
    // overlay then never opens and nothing else would say why. Read as
    // SpringBoard reads it.
    if (!MarqelPreferences::read(MarqelPreferences::toggleMarqel))
        std::cout << tweakOffNote << '\n';
    std::cout << std::flush;
}

bool springBoardShortcut(const std::string& key)
{
    if (key == "I")
        NSDistributedNotificationCenter::defaultCenter()->postNotificationName("com.zorvelin.marqeltoggle/invokemarqel", nullptr);
    else if (key == "S")
        ScreenRecordingControl::stopFromStatusBar();
    else if (key == "C")
        ScreenRecordingControl::stopFromControlCenter();
    else
        return false;
    return true;
}

void showSpringBoardWindow(double zoom)
{
    showDesktopWindow(zoom, "Marqel — SpringBoard",
        "window open: the mouse is a finger; I invokes the overlay, S stops a recording (C: from Control Center), "
        "Escape quits; a tapped text field takes typing (Return: the alert's action, Escape: Cancel)",
        [](const std::string& key) { springBoardShortcut(key); });
    NSDistributedNotificationCenter::defaultCenter()->shutdown();
}

namespace {
// SpringBoard as one of the phone's processes: its launches, home and
// respring become the display's business.
void runSpringBoardOnDisplay(const DisplayedProcess& displayed)
{
    auto link = connectToDisplay(displayed, display::ProcessRole::SpringBoard, SpringBoardHost::bundleIdentifier);
    AppLauncher::shared().setRequester([&link](const display::Lifecycle& lifecycle) { return link->request(lifecycle); });
    std::optional<automation::ScenarioDriver> driver;
    if (displayed.scripted) {
        driver.emplace();
        prepareDriver(*driver);
    }
    bootSpringBoard(displayed.scripted ? ClockKind::Virtual : ClockKind::Real,
        "Marqel is switched off (toggleMarqel is false), so the overlay will not open: turn it on in the Settings app (its "
        "Marqel entry) or with `marqel prefs set toggleMarqel true`, then respring (Control Center's Respring tile, or R)");
    link->setShortcutHandler(springBoardShortcut);
    if (auto recorder = objc_cast<RPScreenRecorder>(RPScreenRecorder::sharedRecorder()))
        link->seeTheWholeDisplay(*recorder);
    link->setStatusBarStyleHandler([](bool light) { HomeGesture::shared().setAppWantsLightContent(light); });
    link->setLifecycleHandler([](const display::Lifecycle& lifecycle) {
        if (lifecycle.action == display::LifecycleAction::ToFront)
            HomeGesture::shared().setAppInFront(true);
        else if (lifecycle.action == display::LifecycleAction::Home)
            HomeGesture::shared().setAppInFront(false);
    });
    runOnDisplay(*link, displayed, driver ? &*driver : nullptr);
}
}  // namespace

void addSpringBoardCommand(CLI::App& app, GlobalOptions& options)
{
    auto* command = app.add_subcommand("springboard", "Boot SpringBoard with the tweak injected and run its main loop");
    static ProcessRunOptions run;
    addProcessRunOptions(*command, run,
        "Show the phone's screen in a desktop window (real clock), SpringBoard alone in this process: the mouse is a finger, "
        "the keyboard types into a tapped field, I invokes the overlay, S stops the recording from the status bar, "
        "C from Control Center, Escape quits (`marqel phone` is the whole phone)");
    static std::string script;
    command->add_option("--script", script, "Play a scenario file as a simulated user (on the virtual clock), then exit")
        ->check(CLI::ExistingFile);
    static DisplayedProcess displayed;
    addDisplayOptions(*command, displayed);
    command->callback([&options] {
        if (displayed.onDisplay()) {
            claimSpringBoard(options);
            runSpringBoardOnDisplay(displayed);
            return;
        }
        // Ctrl-C or a TERM at any moment from here on, installing included, ends
        // the run cleanly: the handlers are in place before anything is written.
        bool stopsOnSignals = script.empty() && !run.window;
        if (stopsOnSignals)
            RunLoop::stopOnSignals({ SIGINT, SIGTERM });
        if (run.window)
            requireDisplay();
        claimSpringBoard(options);
        if (!script.empty()) {
            runScenario(script);
            return;
        }
        bootSpringBoard(run.clock(),
            "the tweak is off (toggleMarqel is false), so the overlay will not open. " + tweakOffAdvice);
        if (run.window) {
            showSpringBoardWindow(run.zoom);
            return;
        }
        runMainLoop(run.seconds);
        // The hooks were listed at boot; they do not change while it runs.
        std::cout << "SpringBoard stopped\n";
        // What is on the screen as SpringBoard stops.
        // Alpha to two places: a fade that has barely begun would otherwise
        // print in scientific notation.
        for (const auto& window : UIApplication::sharedApplication()->windows()) {
            char alpha[32];
            std::snprintf(alpha, sizeof alpha, "%.2f", window->presentationAlpha());
            std::cout << "window " << window->className() << " level " << window->windowLevel() << " alpha " << alpha
                      << (window->isHidden() ? " hidden" : " visible") << (window->isKeyWindow() ? " key" : "") << '\n';
        }
    });
}

void addAppCommand(CLI::App& app, GlobalOptions& options)
{
    auto* command = app.add_subcommand("app", "Start an application process (any bundle) and let the substrate inject tweaks");
    static std::string path = "/var/containers/Bundle/Application/0/Notes.app/Notes";
    static std::string bundleID = "com.apple.mobilenotes";
    command->add_option("--path", path, "The process's first argument (executable path on the phone)")->capture_default_str();
    command->add_option("--bundle-id", bundleID, "The main bundle identifier")->capture_default_str();
    command->callback([&options] {
        prepareDevice(options);
        ensureInstalled();
        auto report = host::startProcess(path, bundleID);
        report.changes = host::methodChanges(SpringBoardHost::privateClassNames());
        std::cout << host::describe(report);
    });
}

void addInvokeCommand(CLI::App& app, GlobalOptions& options)
{
    auto* command = app.add_subcommand("invoke", "Post com.zorvelin.marqeltoggle/invokemarqel, as the Control Center module does");
    command->callback([&options] {
        prepareDevice(options);
        auto reached = NSDistributedNotificationCenter::defaultCenter()->post("com.zorvelin.marqeltoggle/invokemarqel");
        if (!reached)
            throw CommandError("com.zorvelin.marqeltoggle/invokemarqel not posted: " + reached.message());
        // Only a SpringBoard whose tweak is on listens; one started with the
        // switch off runs all the same, and the user should learn why it
        // did not answer.
        if (reached.value() == 0) {
            if (auto running = ProcessLock::holder("SpringBoard"))
                throw CommandError("the SpringBoard running on " + DevicePath::root() + " (process " + *running
                    + ") started with the tweak off, so nothing received com.zorvelin.marqeltoggle/invokemarqel. " + tweakOffAdvice);
            throw CommandError("no SpringBoard is running on " + DevicePath::root()
                + "; nothing received com.zorvelin.marqeltoggle/invokemarqel (start one with `marqel springboard`)");
        }
        std::cout << "posted com.zorvelin.marqeltoggle/invokemarqel\n";
    });
}

}  // namespace tools
