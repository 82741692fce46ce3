// marqel: the device, the simulated phone's processes and the product's
// tools, from one command.

#include "platform/foundation/AtomicFile.h"
#include "platform/foundation/Foundation.h"
#include "platform/springboard/SpringBoardHost.h"
#include "tools/Command.h"

#include "platform/render/Window.h"
#include "tools/InstallRecord.h"
#include "tools/Installer.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <optional>
#include <string_view>
#include <vector>

extern "C" {
#include <libavutil/log.h>
}

// This executable is the SpringBoard process too; the tweak finds the
// bulletin server's queue through this symbol.
MARQEL_DEFINE_BULLETIN_SERVER_QUEUE_SYMBOL()

namespace tools {

void prepareDevice(const GlobalOptions& options)
{
    DevicePath::setRoot(options.root.empty() ? DevicePath::defaultRoot() : options.root);
    SystemLog::shared().setEcho(options.verbose);
    // A process killed mid-write leaves its half file behind; whoever starts
    // next on this root clears those whose owner is gone.
    for (const char* folder : { "/var/mobile/Library/ReplayKit", "/tmp" }) {
        auto mapped = DevicePath::toHost(folder);
        if (!mapped) {
            SystemLog::shared().write("marqel: left " + std::string(folder) + " alone: " + mapped.message());
            continue;
        }
        for (const auto& removed : foundation::AtomicFile::removeStaleTemporaries(mapped.value()))
            SystemLog::shared().write("marqel: removed " + removed + ", left by a process that is gone");
    }
}

std::string hostPath(const std::string& devicePath)
{
    auto mapped = DevicePath::toHost(devicePath);
    if (!mapped)
        throw CommandError(mapped.message() + " (the device root is " + DevicePath::root() + ")");
    return mapped.release();
}

void ensureInstalled()
{
    auto record = InstallRecord::load();
    if (!record)
        throw CommandError(record.error());
    if (!record.value()) {
        // Only a root that never had the product gets it without asking:
        // after an uninstall, putting it back is the user's decision.
        std::error_code ec;
        if (std::filesystem::exists(hostPath(uninstalledMarkerDevicePath), ec))
            throw CommandError("the product is not installed in " + DevicePath::root()
                + " (it was uninstalled); run `marqel install`, or `marqel install --package FILE` for the package");
        if (auto installed = Installer::forThisExecutable().install(); !installed)
            throw CommandError(installed.error());
        return;
    }
    const InstallRecord& installed = *record.value();
    for (const auto& file : installed.files) {
        if (auto problem = Installer::folderProblem(file))
            throw CommandError("the install in " + DevicePath::root() + " cannot be used: " + problem->what + " (for " + file + "); "
                + (installed.fromPackage() ? "remove it (`rm " + problem->hostPath + "`; what it points to is not touched) and reinstall with `marqel install --package " + installed.source + "`"
                                           : std::string("run `marqel install --force` to put a real folder in its place (the link is removed, never followed)")));
    }
    std::vector<std::string> missing;
    for (const auto& file : installed.files) {
        auto host = DevicePath::toHost(file);
        if (!host)
            throw CommandError("the install in " + DevicePath::root() + " cannot be used: " + host.message() + "; "
                + (installed.fromPackage() ? "then reinstall with `marqel install --package " + installed.source + "`"
                                           : std::string("`marqel install --force` also replaces it (never following it)")));
        std::error_code ec;
        if (!std::filesystem::exists(std::filesystem::symlink_status(host.value(), ec)))
            missing.push_back(file);
    }
    std::string missingText;
    for (const auto& file : missing)
        missingText += (missingText.empty() ? "" : ", ") + file;
    // A package is the user's to replace: the build's files over it would
    // swap what they chose for something else.
    if (installed.fromPackage()) {
        if (!missing.empty())
            throw CommandError("the installed package " + installed.package + " " + installed.version + " is damaged: "
                + missingText + " missing; reinstall it with `marqel install --package " + installed.source + "`");
        return;
    }
    if (!missing.empty())
        throw CommandError("the install in " + DevicePath::root() + " is damaged: " + missingText
            + " missing; run `marqel install` to lay it again");
    // The build changed since it was laid: its newer files go in.
    if (auto updated = Installer::forThisExecutable().install(); !updated)
        throw CommandError(updated.error());
}

namespace {
std::optional<double> finiteNumber(const std::string& text)
{
    double value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

// What wants the display: "--window", or a command that is nothing but a
// window ("`marqel phone`"), which cannot be left out.
std::string& displayUser()
{
    static std::string user = "--window";
    return user;
}

std::string displayAdvice()
{
    std::string advice = "on a machine without a screen start a virtual one, e.g. `Xvfb :99 &` and `export DISPLAY=:99` "
                         "(or run the command under `xvfb-run -a`)";
    if (displayUser() == "--window")
        advice += ", or leave out --window";
    return advice;
}
}  // namespace

std::string checkSeconds(const std::string& text)
{
    auto value = finiteNumber(text);
    if (!value || *value < 0)
        return "\"" + text + "\" is not a number of seconds (0 or more; leave the option out to run until Ctrl-C)";
    return {};
}

std::string checkZoom(const std::string& text, const char* unit)
{
    auto value = finiteNumber(text);
    if (!value || *value <= 0 || *value > 8)
        return "\"" + text + "\" is not a zoom: window pixels per " + unit + ", above 0 and at most 8 (e.g. 0.5)";
    return {};
}

void requireDisplay(const std::string& user)
{
    displayUser() = user;
    // A driver chosen on purpose (SDL_VIDEODRIVER=offscreen in a test) is
    // the user's word.
    if (const char* chosen = std::getenv("SDL_VIDEODRIVER"); chosen && *chosen)
        return;
    std::string drivers;
    if (const char* wayland = std::getenv("WAYLAND_DISPLAY"); wayland && *wayland)
        drivers = "wayland";
    if (const char* x11 = std::getenv("DISPLAY"); x11 && *x11)
        drivers += drivers.empty() ? "x11" : ",x11";
    if (drivers.empty())
        throw CommandError(user + " needs a display and there is none (DISPLAY is not set): " + displayAdvice());
    // Only a real display: a display that cannot be reached would otherwise
    // fall back to drawing off screen, a window nobody sees.
    setenv("SDL_VIDEODRIVER", drivers.c_str(), 1);
}

void showDesktopWindow(double zoom, const std::string& title, const std::string& help,
    const std::function<void(const std::string& key)>& onKey)
{
    auto opened = render::Window::open({ zoom, title });
    if (!opened) {
        const char* display = std::getenv("DISPLAY");
        throw CommandError(opened.message() + " (DISPLAY is \"" + (display ? display : "") + "\": is a display running there? " + displayAdvice() + ")");
    }
    auto window = opened.release();
    window->setKeyHandler([&window, &onKey](const render::Window::KeyPress& key) {
        if (key.name == "Escape" || key.name == "Q")
            window->close();
        else if (onKey)
            onKey(key.name);
    });
    std::cout << help << '\n'
              << std::flush;
    window->run();
}

void addProcessRunOptions(CLI::App& command, ProcessRunOptions& options, const std::string& windowHelp)
{
    command.add_option("--for", options.seconds, "Run for this many seconds (0 or more), then exit (default: until Ctrl-C)")
        ->check(CLI::Validator(checkSeconds, "SECONDS"));
    command.add_flag("--virtual-clock", options.virtualClock, "Run on the virtual clock (time jumps when idle)");
    command.add_flag("--window", options.window, windowHelp);
    command.add_option("--zoom", options.zoom, "Window pixels per screen pixel with --window, above 0 and at most 8")
        ->capture_default_str()
        ->check(CLI::Validator([](std::string& text) { return checkZoom(text); }, "ZOOM"));
}

void addAuditOption(CLI::App& command, bool& audit)
{
    command.add_flag("--audit", audit,
        "With --script: check every picture its snapshot steps take (text cut off or overlapping, contrast, views off the "
        "screen); any finding fails the run");
}

void prepareAppProcess(const GlobalOptions& options, const ProcessRunOptions& run, const std::string& script, bool audit)
{
    if (audit && script.empty())
        throw CommandError("--audit checks the pictures a scenario takes: give it with --script FILE.scn");
    if (script.empty() && !run.window)
        RunLoop::stopOnSignals({ SIGINT, SIGTERM });
    if (run.window)
        requireDisplay();
    prepareDevice(options);
    ensureInstalled();
}

void runMainLoop(double seconds)
{
    if (seconds >= 0) {
        RunLoop::main().runFor(seconds);
    } else {
        while (!RunLoop::stopRequestedBySignal())
            RunLoop::main().runFor(3600);
    }
    NSDistributedNotificationCenter::defaultCenter()->shutdown();
}

void addGlobalOptions(CLI::App& app, GlobalOptions& options)
{
    app.add_option("--root", options.root, "Device root folder (default: $MARQEL_ROOT, else $XDG_DATA_HOME/marqel/device, else ~/.local/share/marqel/device)")
        ->check(CLI::Validator(
            [](std::string& value) { return value.empty() ? std::string("the device root must not be empty") : std::string(); }, "DIR"))
        ->group("Global options (before or after the subcommand)");
    app.add_flag("--verbose", options.verbose, "Also print the system log on stderr")
        ->group("Global options (before or after the subcommand)");
}

namespace {
std::size_t editDistance(const std::string& a, const std::string& b)
{
    std::vector<std::size_t> row(b.size() + 1);
    for (std::size_t j = 0; j <= b.size(); ++j)
        row[j] = j;
    for (std::size_t i = 1; i <= a.size(); ++i) {
        std::size_t diagonal = row[0];
        row[0] = i;
        for (std::size_t j = 1; j <= b.size(); ++j) {
            std::size_t above = row[j];
            row[j] = std::min({ row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1) });
            diagonal = above;
        }
    }
    return row[b.size()];
}

// The subcommand a user most likely meant: the words other tools use for
// the same thing first, then the closest spelling.
std::optional<std::string> nearestSubcommand(const std::string& word, const std::vector<std::string>& names)
{
    static const std::pair<const char*, const char*> synonyms[] = {
        { "ls", "list" },
        { "delete", "rm" },
        { "remove", "rm" },
        { "del", "rm" },
        { "show", "list" },
        { "get", "list" },
    };
    for (const auto& [typed, meant] : synonyms)
        if (word == typed && std::find(names.begin(), names.end(), meant) != names.end())
            return meant;
    std::optional<std::string> best;
    std::size_t bestDistance = 0;
    for (const auto& name : names) {
        std::size_t distance = editDistance(word, name);
        if (name.starts_with(word) || word.starts_with(name))
            distance = std::min<std::size_t>(distance, 1);
        if (!best || distance < bestDistance) {
            best = name;
            bestDistance = distance;
        }
    }
    // A guess further than half the word away would mislead more than help;
    // two slips (a swapped pair of letters) still point somewhere.
    bool close = bestDistance * 2 <= std::max(word.size(), best ? best->size() : 0)
        || (bestDistance <= 2 && bestDistance < word.size());
    if (!close)
        return std::nullopt;
    return best;
}
}  // namespace

std::optional<std::string> unknownSubcommand(CLI::App& app, int argc, char** argv)
{
    CLI::App* current = &app;
    std::string path = "marqel";
    for (int i = 1; i < argc; ++i) {
        std::string word = argv[i];
        if (word == "--")
            return std::nullopt;
        if (word.size() > 1 && word[0] == '-') {
            // An option of this level that takes a value takes the next word too.
            auto* option = current->get_option_no_throw(word.substr(0, word.find('=')));
            if (option && option->get_items_expected_max() > 0 && word.find('=') == std::string::npos)
                ++i;
            continue;
        }
        auto subcommands = current->get_subcommands([](CLI::App*) { return true; });
        if (subcommands.empty())
            return std::nullopt;
        auto named = std::find_if(subcommands.begin(), subcommands.end(), [&word](CLI::App* sub) { return sub->check_name(word); });
        if (named != subcommands.end()) {
            current = *named;
            path += " " + word;
            continue;
        }
        // A level with arguments of its own takes the word as one of them.
        if (!current->get_options([](const CLI::Option* o) { return !o->nonpositional(); }).empty())
            return std::nullopt;
        std::vector<std::string> names;
        for (auto* sub : subcommands)
            names.push_back(sub->get_name());
        std::string known;
        for (const auto& name : names)
            known += (known.empty() ? "" : ", ") + name;
        std::string message = "\"" + word + "\" is not a subcommand of `" + path + "`";
        if (auto nearest = nearestSubcommand(word, names))
            message += "; did you mean `" + path + " " + *nearest + "`?";
        return message + " (its subcommands: " + known + "; see `" + path + " --help`)";
    }
    return std::nullopt;
}

}  // namespace tools

int main(int argc, char** argv)
{
    // FFmpeg and x264 report through av_log; the command speaks for itself.
    av_log_set_level(AV_LOG_ERROR);
    tools::GlobalOptions options;
    CLI::App app { "marqel: record a chosen rectangle of a simulated iPhone's screen.\n"
                   "Everything the phone keeps on disk lives under the device root." };
    app.set_help_all_flag("--help-all", "Show the help of every subcommand");
    app.require_subcommand(1);
    tools::addGlobalOptions(app, options);
    tools::addRunCommand(app, options);
    tools::addInstallCommand(app, options);
    tools::addPrefsCommand(app, options);
    tools::addSpringBoardCommand(app, options);
    tools::addPhoneCommand(app, options);
    tools::addSettingsCommand(app, options);
    tools::addPhotosCommand(app, options);
    tools::addAppCommand(app, options);
    tools::addInvokeCommand(app, options);
    tools::addCropCommand(app, options);
    tools::addLibraryCommand(app, options);
    tools::addSnapshotCommand(app, options);
    tools::addNoticesCommand(app, options);
    tools::addAreasCommand(app, options);
    // A user puts --root where they think of it, often after the subcommand:
    // every subcommand takes the global options and its help lists them.
    std::function<void(CLI::App&)> addEverywhere = [&](CLI::App& parent) {
        for (auto* sub : parent.get_subcommands([](CLI::App*) { return true; })) {
            tools::addGlobalOptions(*sub, options);
            addEverywhere(*sub);
        }
    };
    addEverywhere(app);
    // The option parser reads "--screen=" as "--screen" and takes the next
    // word as its value, which then blames some other option; say it here.
    for (int i = 1; i < argc; ++i) {
        std::string_view word = argv[i];
        if (word == "--")
            break;
        if (word.size() > 3 && word.starts_with("--") && word.ends_with('=')) {
            std::cerr << "marqel: " << word << " has no value after '='\n";
            return 2;
        }
    }
    if (auto unknown = tools::unknownSubcommand(app, argc, argv)) {
        std::cerr << "marqel: " << *unknown << '\n';
        return 2;
    }
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        // A command line that cannot be used ends like every other refused
        // input, with status 2 (CLI11's own codes start at 100).
        int status = app.exit(e);
        return status == 0 ? 0 : 2;
    } catch (const tools::CommandError& e) {
        std::cerr << "marqel: " << e.what() << '\n';
        return e.status();
    } catch (const std::exception& e) {
        std::cerr << "marqel: " << e.what() << '\n';
        return 1;
    }
    return 0;
}
