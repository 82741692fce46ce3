// marqel: the device, the simulated phone's processes and the product's
// tools, from one command.

#include "platform/foundation/Foundation.h"
#include "platform/springboard/SpringBoardHost.h"
#include "tools/Command.h"
#include "tools/Installer.h"

#include <iostream>

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
}

void ensureInstalled()
{
    if (auto installed = Installer::forThisExecutable().install(); !installed)
        throw CommandError(installed.error());
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
    app.add_option("--root", options.root, "Device root folder (default: $MARQEL_ROOT, else $XDG_DATA_HOME/marqel/device, else ~/.local/share/marqel/device)");
    app.add_flag("--verbose", options.verbose, "Also print the system log on stderr");
    tools::addRunCommand(app, options);
    tools::addInstallCommand(app, options);
    tools::addPrefsCommand(app, options);
    tools::addSpringBoardCommand(app, options);
    tools::addAppCommand(app, options);
    tools::addInvokeCommand(app, options);
    tools::addCropCommand(app, options);
    tools::addLibraryCommand(app, options);
    tools::addSnapshotCommand(app, options);
    tools::addNoticesCommand(app, options);
    tools::addAreasCommand(app, options);
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
