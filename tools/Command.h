#pragma once

// What every subcommand shares: the global options and the device set-up.

#include "platform/foundation/Clock.h"
#include "tools/CommandError.h"

#include <functional>
#include <optional>
#include <string>

// Only the files that declare options parse CLI11; the rest need only the
// error and the shared set-up.
namespace CLI {
class App;
}

namespace tools {

struct GlobalOptions {
    std::string root;
    bool verbose = false;
};

// --root and --verbose on `app`, bound to `options`; every subcommand takes
// them, so they may come before or after its name.
void addGlobalOptions(CLI::App& app, GlobalOptions& options);
// What to tell a user whose words name no subcommand where one is expected
// (with the nearest one), before the parser would only say one is required.
std::optional<std::string> unknownSubcommand(CLI::App& app, int argc, char** argv);

// Applies the global options: device root, verbose log echo.
void prepareDevice(const GlobalOptions& options);
// The host path of a device path; a CommandError when the device root
// refuses it (a path that would lead out of the root).
std::string hostPath(const std::string& devicePath);
// Written by an uninstall, removed by an install: the root has had the
// product, so it is not installed again without the user asking.
inline constexpr const char* uninstalledMarkerDevicePath = "/var/jb/var/lib/dpkg/info/com.zorvelin.marqel.uninstalled";
// Installs the product on a root that never had it and brings a build-folder
// install up to date; a root it was uninstalled from, or whose install is
// missing files, ends the command saying what to run.
void ensureInstalled();
// Option checks for CLI11 validators: an empty string when `text` is
// acceptable, else what is wrong with it. A number of seconds to run: finite,
// not negative. A window zoom (window pixels per `unit`): above 0, at most 8.
std::string checkSeconds(const std::string& text);
std::string checkZoom(const std::string& text, const char* unit = "screen pixel");
// Ends the command, saying how to get one, when there is no display for a
// desktop window: without one the window would open nowhere. `user` is what
// needs it, as the message names it.
void requireDisplay(const std::string& user = "--window");
// The phone's screen in a desktop window until Escape or Q (or the window is
// closed); `onKey` sees every other key. `help` is printed once it is open.
void showDesktopWindow(double zoom, const std::string& title, const std::string& help,
    const std::function<void(const std::string& key)>& onKey = {});

// What every process command takes: --for SECONDS, --virtual-clock,
// --window (described by `windowHelp`) and --zoom.
struct ProcessRunOptions {
    double seconds = -1;
    bool virtualClock = false;
    bool window = false;
    double zoom = 1.0 / 3;
    ClockKind clock() const { return virtualClock && !window ? ClockKind::Virtual : ClockKind::Real; }
};
void addProcessRunOptions(CLI::App& command, ProcessRunOptions& options, const std::string& windowHelp);

// --audit, for an app command that plays scenarios: every picture its
// snapshot steps take is checked.
void addAuditOption(CLI::App& command, bool& audit);
// What an app's command does before the app starts in a process of its
// own (not on the phone's display): refuses --audit without --script; a
// run without script or window ends on Ctrl-C or TERM; a window needs a
// display; then the device root and the install.
void prepareAppProcess(const GlobalOptions& options, const ProcessRunOptions& run, const std::string& script, bool audit);

// A process's main loop, on the clock it was reset to: for `seconds` (0 or
// more), or until Ctrl-C or TERM when `seconds` is negative; then it leaves
// the cross-process notification centre.
void runMainLoop(double seconds);

// The SpringBoard a root may have: applies the global options, takes the
// root's SpringBoard lock (until the process ends) and makes sure the
// product is installed.
void claimSpringBoard(const GlobalOptions& options);
// Boots SpringBoard on `clock` with the tweak injected and prints what the
// tweak hooked; prints `tweakOffNote` when the master switch is off.
void bootSpringBoard(ClockKind clock, const std::string& tweakOffNote);
// The booted SpringBoard in a desktop window, with the shortcut keys that
// stand in for the phone's Control Center, until the window is closed.
void showSpringBoardWindow(double zoom);

void addInstallCommand(CLI::App& app, GlobalOptions& options);
void addPrefsCommand(CLI::App& app, GlobalOptions& options);
void addSpringBoardCommand(CLI::App& app, GlobalOptions& options);
void addPhoneCommand(CLI::App& app, GlobalOptions& options);
void addSettingsCommand(CLI::App& app, GlobalOptions& options);
void addPhotosCommand(CLI::App& app, GlobalOptions& options);
void addAppCommand(CLI::App& app, GlobalOptions& options);
void addInvokeCommand(CLI::App& app, GlobalOptions& options);
void addRunCommand(CLI::App& app, GlobalOptions& options);
void addCropCommand(CLI::App& app, GlobalOptions& options);
void addLibraryCommand(CLI::App& app, GlobalOptions& options);
void addSnapshotCommand(CLI::App& app, GlobalOptions& options);
void addNoticesCommand(CLI::App& app, GlobalOptions& options);
void addAreasCommand(CLI::App& app, GlobalOptions& options);

}  // namespace tools
