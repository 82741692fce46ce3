// marqel: the device, the simulated phone's processes and the product's
// tools, from one command.

#include "platform/foundation/AtomicFile.h"
#include "platform/foundation/Foundation.h"
#include "platform/springboard/SpringBoardHost.h"
#include "tools/Command.h"

#include "platform/render/Window.h"
#include "tools/Installer.h"

#include <CLI/CLI.hpp>
#include <iostream>
#include <string_view>

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
    // A package the user installed stays as it is until they install again.
    if (Installer::installedFromPackage())
        return;
    if (auto installed = Installer::forThisExecutable().install(); !installed)
        throw CommandError(installed.error());
}

void showDesktopWindow(double zoom, const std::string& title, const std::string& help,
    const std::function<void(const std::string& key)>& onKey)
{
    auto opened = render::Window::open({ zoom, title });
    if (!opened)
        throw CommandError("cannot open a window: " + opened.message() + " (is there a display? try without --window)");
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
    app.add_option("--root", options.root, "Device root folder (default: $MARQEL_ROOT, else $XDG_DATA_HOME/marqel/device, else ~/.local/share/marqel/device)")
        ->check(CLI::Validator(
            [](std::string& value) { return value.empty() ? std::string("the device root must not be empty") : std::string(); }, "DIR"));
    app.add_flag("--verbose", options.verbose, "Also print the system log on stderr");
    tools::addRunCommand(app, options);
    tools::addInstallCommand(app, options);
    tools::addPrefsCommand(app, options);
    tools::addSpringBoardCommand(app, options);
    tools::addSettingsCommand(app, options);
    tools::addAppCommand(app, options);
    tools::addInvokeCommand(app, options);
    tools::addCropCommand(app, options);
    tools::addLibraryCommand(app, options);
    tools::addSnapshotCommand(app, options);
    tools::addNoticesCommand(app, options);
    tools::addAreasCommand(app, options);
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
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        return app.exit(e);
    } catch (const tools::CommandError& e) {
        std::cerr << "marqel: " << e.what() << '\n';
        return e.status();
    } catch (const std::exception& e) {
        std::cerr << "marqel: " << e.what() << '\n';
        return 1;
    }
    return 0;
}
