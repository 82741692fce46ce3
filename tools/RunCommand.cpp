#include "tools/Command.h"

#include "platform/foundation/Foundation.h"
#include "platform/springboard/SpringBoardHost.h"
#include "tweak/core/MarqelPreferences.h"

#include <iostream>

namespace tools {

void addRunCommand(CLI::App& app, GlobalOptions& options)
{
    auto* command = app.add_subcommand("run", "The main job: install, enable the tweak, boot SpringBoard and show what the tweak installed");
    command->callback([&options] {
        prepareDevice(options);
        std::cout << "[1/3] installing into " << DevicePath::root() << '\n';
        ensureInstalled();
        std::cout << "[2/3] enabling the tweak (toggleMarqel = true)\n";
        MarqelPreferences::write(MarqelPreferences::toggleMarqel, true);
        std::cout << "[3/3] booting SpringBoard\n";
        RunLoop::main().reset(ClockKind::Virtual);
        auto report = SpringBoardHost::shared().boot();
        std::cout << host::describe(report);
        RunLoop::main().runFor(1);
    });
}

}  // namespace tools
