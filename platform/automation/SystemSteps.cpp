#include "platform/automation/SystemSteps.h"

#include "platform/automation/ScenarioDriver.h"
#include "platform/automation/ScreenQueries.h"
#include "platform/automation/StepContext.h"
#include "platform/foundation/Foundation.h"
#include "platform/springboard/BannerCenter.h"
#include "platform/springboard/StatusBar.h"
#include "platform/springboard/controlcenter/ControlCenter.h"
#include "platform/uikit/UIKit.h"

namespace automation {

using foundation::Error;
using foundation::ErrorCode;
using foundation::Status;

namespace {

std::string oneOf(StepContext& c, std::initializer_list<const char*> choices)
{
    if (!c.has(0))
        return "";
    for (const char* choice : choices)
        if (c.argument(0) == choice)
            return choice;
    return "";
}

Status tapStatusBar(StepContext& c)
{
    TRY(c.driver().requireSpringBoard("tap-statusbar"));
    const auto& pill = StatusBar::shared().recordingPill();
    if (!pill)
        return StepContext::failure("the status bar is not shown");
    // Where the time is: on the pill while the system records.
    return c.driver().tap(pill->convertPointToScreen(CGPointMake(CGRectGetMidX(pill->bounds()), CGRectGetMidY(pill->bounds()))));
}

Status controlCenter(StepContext& c)
{
    std::string how = oneOf(c, { "open", "close" });
    if (how.empty())
        return Error { ErrorCode::InvalidArgument, "usage: " + c.usage() };
    TRY(c.driver().requireSpringBoard("control-center"));
    CGSize screen = UIScreen::mainScreen()->bounds().size;
    if (how == "open") {
        // Down from the right third of the status bar, as a thumb does.
        CGRect area = StatusBar::shared().controlCenterArea();
        if (area.size.width <= 0 || area.size.height <= 0)
            return StepContext::failure("the status bar is not shown, so Control Center cannot be pulled down");
        CGPoint from = CGPointMake(CGRectGetMidX(area), CGRectGetMidY(area));
        TRY(c.driver().drag(from, CGPointMake(from.x, from.y + screen.height / 3), 10));
        if (!ControlCenter::shared().isOpen())
            return StepContext::failure("Control Center did not open");
    } else {
        if (!ControlCenter::shared().isOpen())
            return StepContext::failure("Control Center is not open");
        // Up from below the tiles.
        CGPoint from = CGPointMake(screen.width / 2, screen.height * 0.8);
        TRY(c.driver().drag(from, CGPointMake(from.x, screen.height * 0.4), 10));
    }
    // A person waits for the panel to settle.
    return c.driver().wait(ControlCenter::animationDuration);
}

Status tapTile(StepContext& c)
{
    TRY(c.need(1));
    TRY(c.driver().requireSpringBoard("tap-tile"));
    std::string title = c.rest(0);
    if (!ControlCenter::shared().isOpen())
        return StepContext::failure("Control Center is not open (open it with `control-center open`)");
    auto tile = ControlCenter::shared().tileTitled(title);
    if (!tile) {
        std::string titles;
        for (const auto& module : ControlCenter::shared().modules())
            titles += (titles.empty() ? "" : ", ") + module->title();
        return StepContext::failure("Control Center has no tile \"" + title + "\" (its tiles: " + titles + ")");
    }
    return c.driver().tap(screenCentre(tile));
}

Status tapBanner(StepContext& c)
{
    TRY(c.driver().requireSpringBoard("tap-banner"));
    auto banner = BannerCenter::shared().bannerView();
    if (!banner || !onScreen(banner))
        return StepContext::failure("no banner is on screen");
    return c.driver().tap(screenCentre(banner));
}

Status expectStatusBar(StepContext& c)
{
    TRY(c.driver().requireHost(ScenarioDriver::springBoard, "expect statusbar"));
    std::string want = oneOf(c, { "recording", "idle" });
    if (want.empty())
        return Error { ErrorCode::InvalidArgument, "usage: " + c.usage() };
    const auto& pill = StatusBar::shared().recordingPill();
    std::string found = pill && StatusBar::shared().showsRecording() && onScreen(pill) ? "recording" : "idle";
    if (found != want)
        return StepContext::mismatch("the status bar " + want, "it " + found);
    return {};
}

Status expectControlCenter(StepContext& c)
{
    TRY(c.driver().requireHost(ScenarioDriver::springBoard, "expect control-center"));
    std::string want = oneOf(c, { "open", "closed" });
    if (want.empty())
        return Error { ErrorCode::InvalidArgument, "usage: " + c.usage() };
    const auto& window = ControlCenter::shared().window();
    bool shown = ControlCenter::shared().isOpen() && window && onScreen(window);
    std::string found = shown ? "open" : "closed";
    if (found != want)
        return StepContext::mismatch("Control Center " + want, "it " + found);
    return {};
}

Status expectBanner(StepContext& c)
{
    TRY(c.need(1));
    TRY(c.driver().requireHost(ScenarioDriver::springBoard, "expect banner"));
    std::string want = c.rest(0);
    auto banner = BannerCenter::shared().bannerView();
    auto notice = BannerCenter::shared().currentNotice();
    bool shown = banner && notice && onScreen(banner);
    std::string found = shown ? "a banner \"" + notice->message + "\"" : "none";
    if (want == "none") {
        if (shown)
            return StepContext::mismatch("no banner", found);
        return {};
    }
    if (!shown || notice->message.compare(0, want.size(), want) != 0)
        return StepContext::mismatch("a banner whose message begins \"" + want + "\"", found);
    return {};
}

}  // namespace

Status registerSystemSteps(ScenarioDriver& d)
{
    TRY(d.registerStep("tap-statusbar", "tap-statusbar", tapStatusBar));
    TRY(d.registerStep("control-center", "control-center open|close", controlCenter));
    TRY(d.registerStep("tap-tile", "tap-tile TITLE", tapTile));
    TRY(d.registerStep("tap-banner", "tap-banner", tapBanner));
    TRY(d.registerExpectation("statusbar", "expect statusbar recording|idle", expectStatusBar));
    TRY(d.registerExpectation("control-center", "expect control-center open|closed", expectControlCenter));
    TRY(d.registerExpectation("banner", "expect banner TEXT|none", expectBanner));
    return {};
}

}  // namespace automation
