#include "scenario/OverlaySteps.h"

#include "platform/automation/ScenarioDriver.h"
#include "platform/automation/StepContext.h"
#include "platform/foundation/Foundation.h"
#include "platform/uikit/UIKit.h"
#include "scenario/OverlayQueries.h"
#include "tweak/core/RecordingFlow.h"

#include <cmath>
#include <cstdio>

namespace scenario {

using automation::StepContext;
using foundation::Status;

namespace {

std::string text(double v)
{
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%g", v);
    return buffer;
}

Status expectBox(StepContext& c)
{
    TRY(c.need(4));
    double want[4];
    for (std::size_t i = 0; i < 4; ++i)
        want[i] = TRY(c.number(i));
    auto box = findBox();
    if (!box)
        return StepContext::mismatch("a crop box on screen", "none");
    CGRect f = box->frame();
    double got[4] = { f.origin.x, f.origin.y, f.size.width, f.size.height };
    for (int i = 0; i < 4; ++i)
        if (std::fabs(want[i] - got[i]) > 1e-3)
            return StepContext::mismatch("box " + c.argument(0) + " " + c.argument(1) + " " + c.argument(2) + " " + c.argument(3), "box " + text(got[0]) + " " + text(got[1]) + " " + text(got[2]) + " " + text(got[3]));
    return {};
}

Status expectToolbars(StepContext& c)
{
    TRY(c.need(1));
    double want = TRY(c.number(0));
    auto top = toolBarHolding("xmark");
    auto bottom = toolBarHolding("record.circle");
    if (!top || !bottom)
        return StepContext::mismatch("the overlay's tool bars", "none");
    if (std::fabs(top->presentationAlpha() - want) > 0.01 || std::fabs(bottom->presentationAlpha() - want) > 0.01)
        return StepContext::mismatch("tool bars at alpha " + c.argument(0),
            "top " + text(top->presentationAlpha()) + ", bottom " + text(bottom->presentationAlpha()));
    return {};
}

Status expectWindow(StepContext& c)
{
    TRY(c.need(1));
    double want = TRY(c.number(0));
    auto window = overlayWindow();
    if (!window)
        return StepContext::mismatch("the overlay window", "none");
    if (std::fabs(window->presentationAlpha() - want) > 0.01)
        return StepContext::mismatch("window alpha " + c.argument(0), text(window->presentationAlpha()));
    return {};
}

Status expectReadout(StepContext& c)
{
    TRY(c.need(1));
    auto label = boxReadout();
    if (!label)
        return StepContext::mismatch("a read-out in the box", "none");
    std::string want = c.joined(0);
    std::string found = label->presentationAlpha() > 0.01 ? label->text() : "hidden";
    if (found != want)
        return StepContext::mismatch("read-out " + want, found);
    return {};
}

Status expectDash(StepContext& c)
{
    TRY(c.need(1));
    auto outline = boxOutline();
    if (!outline)
        return StepContext::mismatch("the box's outline", "none");
    std::string found;
    for (int v : outline->lineDashPattern())
        found += (found.empty() ? "" : ",") + std::to_string(v);
    if (found.empty())
        found = "solid";
    if (found != c.argument(0))
        return StepContext::mismatch("dash " + c.argument(0), "dash " + found);
    return {};
}

// Probes just inside the rectangle's corners and centre, which must show
// the screen, and just outside its edges, which must be dimmed.
Status expectCutout(StepContext& c)
{
    TRY(c.need(4));
    CGRect want = CGRectMake(TRY(c.number(0)), TRY(c.number(1)), TRY(c.number(2)), TRY(c.number(3)));
    auto dimming = dimmingView();
    auto mask = dimming ? std::dynamic_pointer_cast<CAShapeLayer>(dimming->layer()->mask()) : nullptr;
    if (!mask)
        return StepContext::mismatch("a dimmed screen with a cut-out", "none");
    auto parent = dimming->superview();
    const double in = 0.5, minX = CGRectGetMinX(want), minY = CGRectGetMinY(want), maxX = CGRectGetMaxX(want), maxY = CGRectGetMaxY(want);
    const double midX = CGRectGetMidX(want), midY = CGRectGetMidY(want);
    struct Probe {
        CGPoint point;
        bool clear;
    };
    const Probe probes[] = {
        { { minX + in, minY + in }, true },
        { { maxX - in, minY + in }, true },
        { { minX + in, maxY - in }, true },
        { { maxX - in, maxY - in }, true },
        { { midX, midY }, true },
        { { minX - in, midY }, false },
        { { maxX + in, midY }, false },
        { { midX, minY - in }, false },
        { { midX, maxY + in }, false },
    };
    for (const auto& probe : probes) {
        CGPoint p = dimming->convertPointFromView(probe.point, parent.get());
        if (!CGRectContainsPoint(dimming->bounds(), p))
            continue;  // off the dimmed area: nothing to see there
        bool clear = !CGPathContainsPoint(mask->path(), p, mask->usesEvenOddFillRule());
        if (clear != probe.clear)
            return StepContext::mismatch("a cut-out " + c.joined(0),
                std::string(clear ? "clear" : "dimmed") + " at (" + text(probe.point.x) + ", " + text(probe.point.y) + ")");
    }
    return {};
}

}  // namespace

void invoke()
{
    NSDistributedNotificationCenter::defaultCenter()->postNotificationName(RecordingFlow::invokeNotification, nullptr);
    RunLoop::main().drain();
}

Status registerOverlaySteps(automation::ScenarioDriver& d)
{
    TRY(d.registerStep("invoke", "invoke", [](StepContext& c) -> Status {
        TRY(c.driver().requireHost(automation::ScenarioDriver::springBoard, "invoke"));
        TRY(c.driver().requireBooted("invoke"));
        invoke();
        return {};
    }));
    TRY(d.registerExpectation("box", "expect box X Y W H", expectBox));
    TRY(d.registerExpectation("toolbars", "expect toolbars ALPHA", expectToolbars));
    TRY(d.registerExpectation("window", "expect window ALPHA", expectWindow));
    TRY(d.registerExpectation("readout", "expect readout TEXT|hidden", expectReadout));
    TRY(d.registerExpectation("cutout", "expect cutout X Y W H", expectCutout));
    TRY(d.registerExpectation("dash", "expect dash solid|A,B", expectDash));
    return {};
}

}  // namespace scenario
