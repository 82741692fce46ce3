#include "tools/Command.h"
#include "tools/Installer.h"
#include "tools/ScenarioRunner.h"

#include "scenario/OverlaySteps.h"

#include "common/MarqelPreferences.h"
#include "platform/foundation/AtomicFile.h"
#include "platform/foundation/Foundation.h"
#include "platform/render/Compositor.h"
#include "platform/render/PictureAudit.h"
#include "platform/uikit/UIKit.h"

#include <CLI/CLI.hpp>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <iostream>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace tools {

namespace {
// Set by --audit: each picture is audited as it is written, and the
// findings counted.
bool auditing = false;
std::size_t findings = 0;

void write(const std::string& folder, const std::string& name)
{
    std::string path = (std::filesystem::path(folder) / (name + ".png")).string();
    auto status = render::writeScreenPNG(path);
    if (!status)
        throw CommandError("cannot write " + path + ": " + status.message());
    std::cout << "wrote " << path << '\n'
              << std::flush;
    if (auditing)
        findings += auditScreen(name + ".png");
}

// The screen as it is, then again in dark appearance ("NAME-dark").
void writeLightAndDark(const std::string& folder, const std::string& name)
{
    write(folder, name);
    UITraitCollection::setSystemUserInterfaceStyle(UIUserInterfaceStyleDark);
    RunLoop::main().drain();
    write(folder, name + "-dark");
    UITraitCollection::setSystemUserInterfaceStyle(UIUserInterfaceStyleLight);
    RunLoop::main().drain();
}

// Drags the crop box by its middle, so the next saved area has a frame of
// its own.
void moveBox(automation::ScenarioDriver& driver, CGPoint from, CGPoint to)
{
    check(driver.drag(from, to, 10));
    check(driver.wait(0.3));
}

void saveArea(automation::ScenarioDriver& driver, const std::string& name)
{
    check(driver.tapSymbol("rectangle.fill.badge.plus"));
    check(driver.wait(0.3));
    check(driver.type(name));
    check(driver.tapTitle("Save Custom Area"));
    check(driver.wait(0.3));
}

// The saved-area screens: the name alert, the browser with three areas, a
// row's menu, and the browser once they are all deleted.
void writeSavedAreas(automation::ScenarioDriver& driver, const std::string& folder)
{
    check(driver.tapSymbol("rectangle.fill.badge.plus"));
    check(driver.wait(0.3));
    writeLightAndDark(folder, "saved-area-alert");
    check(driver.tapTitle("Cancel"));
    check(driver.wait(0.3));
    const char* names[] = { "Home", "Work", "7 seas" };
    // The box starts in the middle of the screen; each area is saved in
    // another place.
    saveArea(driver, names[0]);
    moveBox(driver, CGPointMake(195, 422), CGPointMake(175, 262));
    saveArea(driver, names[1]);
    moveBox(driver, CGPointMake(175, 262), CGPointMake(215, 562));
    saveArea(driver, names[2]);
    check(driver.tapSymbol("square.grid.2x2.fill"));
    check(driver.wait(0.3));
    writeLightAndDark(folder, "saved-areas");
    check(driver.longPressTitle("Home"));
    // The row's press fades out as the menu comes up.
    check(driver.wait(0.7));
    writeLightAndDark(folder, "saved-area-menu");
    check(driver.runStep("choose Set Area As Default"));
    for (const char* name : names) {
        check(driver.longPressTitle(name));
        check(driver.runStep("choose Delete Area"));
    }
    writeLightAndDark(folder, "saved-areas-empty");
    check(driver.tapTitle("Cancel"));
    check(driver.wait(0.3));
}
// SpringBoard's own interface: Control Center, the red pill of a system
// recording and the alert it opens, and the banner of the saved recording.
void writeSystemInterface(automation::ScenarioDriver& driver, const std::string& folder)
{
    check(driver.runStep("control-center open"));
    write(folder, "control-center");
    check(driver.runStep("control-center close"));
    check(driver.runStep("record-start"));
    check(driver.wait(0.5));
    write(folder, "recording-pill");
    check(driver.runStep("tap-statusbar"));
    writeLightAndDark(folder, "recording-alert");
    check(driver.tapTitle("Stop"));
    check(driver.wait(1));
    writeLightAndDark(folder, "banner");
    // The banner goes before the overlay's pictures.
    check(driver.wait(6));
}

// The tutorial's pictures after the first, each one screenful further
// down; the last shows its end (the scroll stops there).
constexpr const char* tutorialScrolls[] = { "settings-tutorial-end" };

// The settings bundle's screens, light and dark, taken by the Settings app
// in a process of its own on the same scratch device: the home with its
// first-run hint, the home, the tutorial from top to bottom, the settings page and the
// default-area editor.
void writeSettingsScreens(const std::string& folder, const std::string& scratch)
{
    std::string script;
    auto shoot = [&](const std::string& name) {
        std::string path = (std::filesystem::path(folder) / name).string();
        script += "snapshot " + path + ".png\nappearance dark\nwait 0.1\nsnapshot " + path + "-dark.png\nappearance light\nwait 0.1\n";
    };
    script += "boot\nwait 0.5\n";
    shoot("settings-home-hint");
    script += "tap-title OK\nwait 0.5\n";
    shoot("settings-home");
    script += "tap-title Tutorial\nwait 0.5\n";
    shoot("settings-tutorial");
    // The later pages, scrolled into view a screenful at a time.
    for (const char* name : tutorialScrolls) {
        script += "drag 195 800 195 100 20\nwait 0.5\n";
        shoot(name);
    }
    script += "tap-symbol xmark\nwait 0.5\ntap-title Settings\nwait 0.5\n";
    shoot("settings-list");
    script += "tap-title Default Area\nwait 1\n";
    shoot("settings-default-area");

    std::string scriptPath = (std::filesystem::path(scratch) / "settings-snapshots.scn").string();
    if (auto written = foundation::writeFileAtomically(scriptPath, script); !written)
        throw CommandError(written.error());
    std::error_code ec;
    std::string self = std::filesystem::read_symlink("/proc/self/exe", ec).string();
    std::vector<std::string> arguments { self, "--root", scratch, "settings", "--script", scriptPath };
    if (auditing)
        arguments.push_back("--audit");
    std::vector<char*> argv;
    for (auto& argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    // The steps it prints are ours to summarise; its errors go through.
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t child = 0;
    int spawned = posix_spawn(&child, self.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0)
        throw CommandError("cannot start the Settings app: " + std::string(std::strerror(spawned)));
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) { }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        // Its findings are listed above; the pictures were all taken.
        if (auditing && WIFEXITED(status) && WEXITSTATUS(status) == auditFindingsStatus)
            throw CommandError("the audit found faults in the pictures (listed above)", auditFindingsStatus);
        throw CommandError("the Settings app's pictures could not be taken (see the message above)");
    }
    std::vector<std::string> names { "settings-home-hint", "settings-home", "settings-tutorial" };
    names.insert(names.end(), std::begin(tutorialScrolls), std::end(tutorialScrolls));
    names.insert(names.end(), { "settings-list", "settings-default-area" });
    for (const auto& name : names)
        for (const char* suffix : { "", "-dark" })
            std::cout << "wrote " << (std::filesystem::path(folder) / (name + suffix + ".png")).string() << '\n';
}
}  // namespace

void addSnapshotCommand(CLI::App& app, GlobalOptions& options)
{
    auto* command = app.add_subcommand("snapshot",
        "Write pictures of SpringBoard's own interface (Control Center, the recording pill, its alert, a banner), of the overlay (just opened with the microphone off, during a drag, expanded, microphone on) and of the "
        "saved areas (the name alert, the list of three, a row's menu, the empty list), and of the settings app (the home "
        "with its first-run hint, the home, the tutorial's top and end, the settings page, the default-area editor), light and dark, into a folder. "
        "They are taken on a scratch device with the default preferences, so the device root is not touched");
    static std::string folder = "snapshots";
    command->add_option("FOLDER", folder, "Where the PNG files go (created if missing)")->capture_default_str();
    command->add_flag("--audit", auditing,
        "Check every picture as it is taken: text cut off or wrapped past its bounds, text over text, text whose contrast "
        "with what is behind it is below 3:1 (4.5:1 for a message), views drawn outside the screen. Each finding is "
        "printed with the picture's name; any finding ends the command with status 3");
    command->callback([&options] {
        findings = 0;
        // The pictures go into the folder named, never through a link to
        // another; in it, only regular files are replaced (by the writer).
        std::error_code ec;
        auto existing = std::filesystem::symlink_status(folder, ec);
        if (std::filesystem::is_symlink(existing))
            throw CommandError(folder + " is a symbolic link; name the folder itself (pictures are not written through a link)", 2);
        if (std::filesystem::exists(existing) && !std::filesystem::is_directory(existing))
            throw CommandError(folder + " exists and is not a folder; name a folder for the pictures (it is created if missing)", 2);
        std::filesystem::create_directories(folder, ec);
        if (ec)
            throw CommandError("cannot create " + folder + ": " + ec.message());
        folder = std::filesystem::absolute(folder).string();
        std::string pattern = (std::filesystem::temp_directory_path() / "marqel-snapshot-XXXXXX").string();
        if (!mkdtemp(pattern.data()))
            throw CommandError("cannot create a scratch device under " + std::filesystem::temp_directory_path().string() + ": " + std::strerror(errno));
        std::string scratch = pattern;
        GlobalOptions scratchOptions = options;
        scratchOptions.root = scratch;
        prepareDevice(scratchOptions);
        try {
            ensureInstalled();
            if (!MarqelPreferences::write(MarqelPreferences::toggleMarqel, true))
                throw CommandError(std::string("cannot enable the tweak: ") + MarqelPreferences::domain + " cannot be written");
            RunLoop::main().reset(ClockKind::Virtual);
            automation::ScenarioDriver driver;
            prepareDriver(driver);
            check(driver.boot());
            writeSystemInterface(driver, folder);
            scenario::invoke();
            check(driver.wait(0.3));
            write(folder, "overlay-open");
            check(driver.touch("down", CGPointMake(195, 422)));
            check(driver.touch("move", CGPointMake(175, 402)));
            check(driver.wait(0.2));
            write(folder, "overlay-drag");
            check(driver.touch("up", CGPointMake(175, 402)));
            check(driver.wait(0.2));
            check(driver.tapSymbol("arrow.up.left.and.arrow.down.right"));
            check(driver.wait(0.3));
            write(folder, "overlay-expanded");
            check(driver.tapSymbol("arrow.down.right.and.arrow.up.left"));
            check(driver.tapSymbol("mic.slash.fill"));
            check(driver.wait(0.3));
            write(folder, "overlay-microphone-on");
            // Off again is the overlay as it opened (the microphone is off by
            // default), which overlay-open already shows.
            check(driver.tapSymbol("mic.fill"));
            check(driver.wait(0.3));
            writeSavedAreas(driver, folder);
            NSDistributedNotificationCenter::defaultCenter()->shutdown();
            writeSettingsScreens(folder, scratch);
            if (findings > 0)
                throw CommandError("the audit found " + std::to_string(findings) + " fault" + (findings == 1 ? "" : "s")
                        + " in the pictures (listed above)",
                    auditFindingsStatus);
        } catch (...) {
            std::filesystem::remove_all(scratch, ec);
            throw;
        }
        std::filesystem::remove_all(scratch, ec);
    });
}

}  // namespace tools
