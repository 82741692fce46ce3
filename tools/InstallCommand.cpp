#include "tools/Command.h"
#include "tools/Installer.h"

#include "platform/foundation/DevicePath.h"

#include <iostream>

namespace tools {

void addInstallCommand(CLI::App& app, GlobalOptions& options)
{
    auto* command = app.add_subcommand("install", "Lay the tweak and its substrate filter (and the settings bundle, once it is built) into the device root");
    static bool force = false;
    command->add_flag("--force", force, "Copy everything even when it is up to date");
    command->callback([&options] {
        prepareDevice(options);
        auto installed = Installer::forThisExecutable().install(force);
        if (!installed)
            throw CommandError(installed.error());
        std::cout << "device root: " << DevicePath::root() << '\n';
        if (installed.value().empty())
            std::cout << "everything is up to date\n";
        for (const auto& path : installed.value())
            std::cout << "installed " << path << '\n';
    });
}

}  // namespace tools
