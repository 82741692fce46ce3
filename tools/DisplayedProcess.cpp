#include "tools/DisplayedProcess.h"

#include "platform/automation/ScenarioDriver.h"
#include "platform/foundation/Foundation.h"
#include "platform/springboard/DisplayLink.h"
#include "platform/springboard/StatusBar.h"
#include "platform/uikit/UIKit.h"
#include "tools/CommandError.h"

#include <CLI/CLI.hpp>
#include <csignal>
#include <sys/prctl.h>

namespace tools {

void addDisplayOptions(CLI::App& command, DisplayedProcess& displayed)
{
    command.add_option("--display", displayed.socket, "Draw on the phone's display at this socket (`marqel phone` starts its processes so)")
        ->group("Started by the phone's display");
    command.add_flag("--scripted", displayed.scripted, "With --display: run on a virtual clock the display advances, playing its steps")
        ->group("Started by the phone's display");
}

std::unique_ptr<DisplayLink> connectToDisplay(const DisplayedProcess& displayed, display::ProcessRole role,
    const std::string& bundleIdentifier)
{
    // The display ends its processes with TERM; they end cleanly. A display
    // that is killed outright takes them with it, as the phone's would.
    RunLoop::stopOnSignals({ SIGINT, SIGTERM });
    ::prctl(PR_SET_PDEATHSIG, SIGTERM);
    auto link = DisplayLink::connect(displayed.socket, role, bundleIdentifier);
    if (!link)
        throw CommandError(link.message() + " (is `marqel phone` running?)");
    return link.release();
}

void runOnDisplay(DisplayLink& link, const DisplayedProcess& displayed, automation::ScenarioDriver* driver)
{
    if (driver)
        link.setStepRunner([driver](const std::string& line) { return driver->runStep(line); });
    if (auto published = link.publishWindows(); !published)
        throw CommandError("the display refused this process's windows: " + published.message());
    auto ran = displayed.scripted ? link.runScripted() : link.runLive();
    NSDistributedNotificationCenter::defaultCenter()->shutdown();
    // The display going away is how a phone's processes end.
    if (!ran)
        NSLog("display: %@", ran.message());
}

void leaveRoomForStatusBar(UIWindow& window)
{
    auto root = window.rootViewController();
    if (!root)
        return;
    const auto& view = root->view();
    CGRect bounds = window.bounds();
    view->setFrame(CGRectMake(0, StatusBar::height, bounds.size.width, bounds.size.height - StatusBar::height));
    // Under the status bar the app's top continues: a navigation bar's
    // colour when it has one, else its view's.
    std::shared_ptr<UIColor> colour;
    if (auto navigation = objc_cast<UINavigationController>(root))
        colour = navigation->navigationBar()->backgroundColor();
    if (!colour)
        colour = view->backgroundColor();
    window.setBackgroundColor(colour ? colour : UIColor::systemGroupedBackgroundColor());
}

}  // namespace tools
