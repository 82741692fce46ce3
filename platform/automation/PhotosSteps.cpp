#include "platform/automation/PhotosSteps.h"

#include "platform/automation/ScenarioDriver.h"
#include "platform/automation/StepContext.h"
#include "platform/foundation/RunLoop.h"
#include "platform/photosapp/PhotosAppHost.h"
#include "platform/photosapp/PhotosPlayerView.h"
#include "platform/photosapp/PhotosViewController.h"
#include "platform/uikit/UIKit.h"

#include <algorithm>
#include <cstdio>

namespace automation {

using foundation::Status;

namespace {

Status needPhotos(StepContext& c, const std::string& step)
{
    TRY(c.driver().requireBooted(step));
    if (!PhotosAppHost::shared().isBooted())
        return StepContext::failure(step + " needs the Photos app, which is not running here (" + c.driver().hostName() + " is)");
    return {};
}

std::string tabName()
{
    auto controller = PhotosAppHost::shared().viewController();
    return controller && controller->tab() == photosapp::Tab::RecentlyDeleted ? "Recently Deleted" : "the library";
}

std::string seconds(double value)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.2f s", value);
    return text;
}

std::string videos(std::int64_t count) { return std::to_string(count) + (count == 1 ? " video" : " videos"); }

Status expectPhotos(StepContext& c)
{
    TRY(c.need(1));
    TRY(needPhotos(c, "expect photos"));
    auto want = TRY(c.count(0));
    const std::int64_t shown = PhotosAppHost::shared().videoCount();
    if (shown != want)
        return StepContext::mismatch(videos(want) + " in the grid", videos(shown) + " in " + tabName());
    return {};
}

Status play(StepContext& c)
{
    TRY(c.need(1));
    TRY(needPhotos(c, "play"));
    auto place = TRY(c.count(0));
    auto controller = PhotosAppHost::shared().viewController();
    const std::int64_t shown = controller->videoCount();
    if (place < 1 || place > shown)
        return StepContext::mismatch("a video " + std::to_string(place) + " to play (1 is the newest)", videos(shown) + " in " + tabName());
    if (controller->player())
        return StepContext::failure("the player is open over the grid: close it first (tap-symbol xmark)");
    auto grid = controller->collectionView();
    NSIndexPath item { 0, place - 1 };
    // A person scrolls until the video is in view, then taps it.
    CGRect frame = grid->frameForItemAtIndexPath(item);
    CGRect visible = grid->bounds();
    if (frame.origin.y < visible.origin.y || CGRectGetMaxY(frame) > CGRectGetMaxY(visible)) {
        grid->setContentOffset(CGPointMake(0, std::max<CGFloat>(0, frame.origin.y - PhotosViewController::spacing)));
        // The layout pass puts the cells of the new offset in place.
        RunLoop::main().drain();
    }
    auto cell = grid->cellForItemAtIndexPath(item);
    if (!cell)
        return StepContext::failure("video " + std::to_string(place) + " is not on screen after scrolling to it");
    TRY(c.driver().tap(cell->convertPointToScreen(CGPointMake(CGRectGetMidX(cell->bounds()), CGRectGetMidY(cell->bounds())))));
    if (!controller->player())
        return StepContext::failure("tapping video " + std::to_string(place) + " opened no player (the system log says why)");
    return {};
}

Status expectPlaying(StepContext& c)
{
    TRY(needPhotos(c, "expect playing"));
    auto controller = PhotosAppHost::shared().viewController();
    auto player = controller->player();
    if (!player)
        return StepContext::mismatch("a video playing", "the grid of " + tabName() + ", no player open");
    if (!player->isPlaying())
        return StepContext::mismatch("a video playing", "the player paused at " + seconds(player->position()) + " of " + seconds(player->duration()));
    return {};
}

}  // namespace

Status registerPhotosSteps(ScenarioDriver& d)
{
    TRY(d.registerStep("play", "play I", play));
    TRY(d.registerExpectation("photos", "expect photos N", expectPhotos));
    TRY(d.registerExpectation("playing", "expect playing", expectPlaying));
    return {};
}

}  // namespace automation
