#include "tools/Command.h"

#include "platform/uikit/UIScreen.h"

#include <CLI/CLI.hpp>

namespace tools {

void addPhoneCommand(CLI::App& app, GlobalOptions& options)
{
    auto* command = app.add_subcommand("phone",
        "The phone in a desktop window: SpringBoard booted with the tweak, the mouse a finger, the keyboard the phone's keyboard");
    static double zoom = 1;
    command->add_option("--zoom", zoom, "Window pixels per point (the phone's screen has 3 pixels a point), above 0 and at most 8")
        ->capture_default_str()
        ->check(CLI::Validator([](std::string& text) { return checkZoom(text, "point"); }, "ZOOM"));
    command->callback([&options] {
        requireDisplay("`marqel phone`");
        claimSpringBoard(options);
        bootSpringBoard(ClockKind::Real,
            "Marqel is switched off (toggleMarqel is false), so the overlay will not open: turn it on with "
            "`marqel prefs set toggleMarqel true`, then restart with `marqel phone`");
        showSpringBoardWindow(zoom / UIScreen::mainScreen()->scale());
    });
}

}  // namespace tools
