#include "tools/Command.h"

#include "platform/automation/ScenarioDriver.h"
#include "platform/foundation/Foundation.h"
#include "platform/render/Window.h"
#include "platform/springboard/DisplayLink.h"
#include "platform/springboard/SettingsAppHost.h"
#include "platform/uikit/UIKit.h"
#include "tools/DisplayedProcess.h"
#include "tools/ScenarioRunner.h"
#include <optional>

#include <CLI/CLI.hpp>
#include <csignal>
#include <iostream>

namespace tools {

namespace {
void showSettingsWindow(double zoom)
{
    showDesktopWindow(zoom, "Marqel — Settings", "window open: the mouse is a finger; Escape quits");
}
// The Settings app as one of the phone's processes, opened from the home
// screen: it starts at its list of entries.
void runSettingsOnDisplay(const DisplayedProcess& displayed, SettingsAppHost::Start start)
{
    RunLoop::main().reset(displayed.scripted ? ClockKind::Virtual : ClockKind::Real);
    std::optional<automation::ScenarioDriver> driver;
    if (displayed.scripted) {
        driver.emplace();
        prepareDriver(*driver);
        check(driver->setBooter(automation::ScenarioDriver::settingsAppBooter(start)));
    }
    auto report = SettingsAppHost::shared().boot(start);
    if (!report)
        throw CommandError(report.error());
    std::cout << host::describe(report.value()) << std::flush;
    leaveRoomForStatusBar(*SettingsAppHost::shared().window());
    auto link = connectToDisplay(displayed, display::ProcessRole::Application, SettingsAppHost::bundleIdentifier);
    runOnDisplay(*link, displayed, driver ? &*driver : nullptr);
}
}  // namespace

void addSettingsCommand(CLI::App& app, GlobalOptions& options)
{
    auto* command = app.add_subcommand("settings",
        "Start the Settings app showing the preference bundle (installed in the root, as MarqelPrefs.bundle), or with --entries "
        "its list of installed settings, and run its main loop");
    static bool entries = false;
    command->add_flag("--entries", entries,
        "Start at the Settings app's list of installed settings (the entries in /var/jb/Library/PreferenceLoader/Preferences), "
        "as the home screen opens it; tapping one opens its bundle. Without it the app starts inside Marqel's bundle");
    static ProcessRunOptions run;
    addProcessRunOptions(*command, run, "Show the phone's screen in a desktop window (real clock): the mouse is a finger, Escape quits");
    static std::string script;
    command->add_option("--script", script,
               "Play a scenario file as a simulated user (on the virtual clock; its `boot` step starts the Settings app, inside the "
               "bundle unless --entries is given), then exit")
        ->check(CLI::ExistingFile);
    static bool audit = false;
    addAuditOption(*command, audit);
    static DisplayedProcess displayed;
    addDisplayOptions(*command, displayed);
    command->callback([&options] {
        if (displayed.onDisplay()) {
            prepareDevice(options);
            ensureInstalled();
            runSettingsOnDisplay(displayed, entries ? SettingsAppHost::Start::AtEntries : SettingsAppHost::Start::InBundle);
            return;
        }
        prepareAppProcess(options, run, script, audit);
        if (!script.empty()) {
            runScenario(script, false, entries ? ScenarioHost::SettingsAppAtEntries : ScenarioHost::SettingsApp, audit ? Audit::Yes : Audit::No);
            return;
        }
        RunLoop::main().reset(run.clock());
        auto report = SettingsAppHost::shared().boot(entries ? SettingsAppHost::Start::AtEntries : SettingsAppHost::Start::InBundle);
        if (!report)
            throw CommandError(report.error());
        std::cout << host::describe(report.value());
        std::cout << "showing " << SettingsAppHost::shared().rootViewController()->className() << '\n'
                  << std::flush;
        if (run.window) {
            showSettingsWindow(run.zoom);
            NSDistributedNotificationCenter::defaultCenter()->shutdown();
            return;
        }
        runMainLoop(run.seconds);
        std::cout << "Settings stopped\n";
    });
}

}  // namespace tools
