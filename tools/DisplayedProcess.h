#pragma once

// What the processes the phone's display starts share: the options that
// put them on the display, the connection, and their main loop there.

#include "platform/display/DisplayProtocol.h"

#include <memory>
#include <string>

class DisplayLink;
class UIWindow;
namespace CLI {
class App;
}
namespace automation {
class ScenarioDriver;
}

namespace tools {

struct DisplayedProcess {
    std::string socket;  // empty: not on the display
    bool scripted = false;
    bool onDisplay() const { return !socket.empty(); }
};

// --display SOCKET and --scripted, which the phone passes to the processes
// it starts (not for a person to type).
void addDisplayOptions(CLI::App& command, DisplayedProcess& displayed);
// Says hello; a CommandError when the display cannot be reached.
std::unique_ptr<DisplayLink> connectToDisplay(const DisplayedProcess& displayed, display::ProcessRole role,
    const std::string& bundleIdentifier);
// Publishes the windows, then runs until the display goes or the process is
// told to end: live on the real clock, or scripted, playing the steps the
// display hands it with `driver`.
void runOnDisplay(DisplayLink& link, const DisplayedProcess& displayed, automation::ScenarioDriver* driver);
// An app's window on the phone: its content starts below SpringBoard's
// status bar, and the strip beneath the bar is the content's own colour.
void leaveRoomForStatusBar(UIWindow& window);

}  // namespace tools
