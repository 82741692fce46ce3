#include "platform/automation/GenericSteps.h"

#include "platform/automation/PhotosSteps.h"
#include "platform/automation/ScenarioDriver.h"
#include "platform/automation/ScreenQueries.h"
#include "platform/automation/StepContext.h"
#include "platform/automation/SystemSteps.h"
#include "platform/springboard/NoticeCenter.h"
#include "platform/uikit/UIKit.h"

#include <cstdio>
#include <cstdlib>

namespace automation {

using foundation::Status;

namespace {

const char* styleName(std::int64_t style)
{
    switch (style) {
    case UIImpactFeedbackStyleSoft: return "soft";
    case UIImpactFeedbackStyleLight: return "light";
    case UIImpactFeedbackStyleMedium: return "medium";
    case UIImpactFeedbackStyleHeavy: return "heavy";
    case UIImpactFeedbackStyleRigid: return "rigid";
    }
    return "unknown";
}

foundation::Result<CGPoint> pointAt(const StepContext& c, std::size_t index)
{
    double x = TRY(c.number(index));
    double y = TRY(c.number(index + 1));
    return CGPointMake(x, y);
}

std::size_t logLinesContaining(const StepContext& c, const std::string& text)
{
    std::size_t count = 0;
    for (const auto& line : c.driver().logSinceBoot())
        count += line.find(text) != std::string::npos;
    return count;
}

bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// The generic names are fixed and distinct: a refusal is a programming error.
void mustSucceed(const Status& status)
{
    if (!status) {
        std::fprintf(stderr, "scenario driver: %s\n", status.message().c_str());
        std::abort();
    }
}

void registerActions(ScenarioDriver& d)
{
    auto add = [&d](const char* name, const char* usage, ScenarioDriver::Handler handler) {
        mustSucceed(d.registerStep(name, usage, std::move(handler)));
    };
    add("screen", "screen WxH@SCALE", [](StepContext& c) -> Status {
        TRY(c.need(1));
        double width = 0, height = 0, scale = 0;
        char tail = 0;
        if (std::sscanf(c.argument(0).c_str(), "%lfx%lf@%lf%c", &width, &height, &scale, &tail) != 3)
            return StepContext::failure("usage: screen WxH@SCALE, e.g. screen 390x844@3");
        return c.driver().screen(width, height, scale);
    });
    add("boot", "boot", [](StepContext& c) { return c.driver().boot(); });
    add("pref", "pref KEY VALUE", [](StepContext& c) -> Status {
        TRY(c.need(2));
        return c.driver().writePreference(c.argument(0), c.rest(1));
    });
    for (const char* phase : { "down", "move", "up" }) {
        add(phase, "down|move|up X Y", [phase](StepContext& c) -> Status {
            TRY(c.need(2));
            return c.driver().touch(phase, TRY(pointAt(c, 0)));
        });
    }
    add("cancel", "cancel", [](StepContext& c) {
        auto touch = UIApplication::sharedApplication()->currentTouch();
        return c.driver().touch("cancel", touch ? touch->locationInView(nullptr) : CGPointZero);
    });
    add("drag", "drag X1 Y1 X2 Y2 [STEPS]", [](StepContext& c) -> Status {
        TRY(c.need(4));
        CGPoint from = TRY(pointAt(c, 0));
        CGPoint to = TRY(pointAt(c, 2));
        std::int64_t steps = c.has(4) ? TRY(c.count(4)) : 10;
        if (steps > ScenarioDriver::maxDragSteps)
            return StepContext::failure("a drag takes at most " + std::to_string(ScenarioDriver::maxDragSteps) + " steps, not " + c.argument(4));
        return c.driver().drag(from, to, static_cast<int>(steps));
    });
    add("tap", "tap X Y", [](StepContext& c) -> Status {
        TRY(c.need(2));
        return c.driver().tap(TRY(pointAt(c, 0)));
    });
    add("long-press", "long-press X Y", [](StepContext& c) -> Status {
        TRY(c.need(2));
        return c.driver().longPress(TRY(pointAt(c, 0)));
    });
    add("tap-symbol", "tap-symbol NAME", [](StepContext& c) -> Status {
        TRY(c.need(1));
        return c.driver().tapSymbol(c.argument(0));
    });
    add("tap-title", "tap-title TEXT", [](StepContext& c) -> Status {
        TRY(c.need(1));
        return c.driver().tapTitle(c.rest(0));
    });
    add("long-press-title", "long-press-title TEXT", [](StepContext& c) -> Status {
        TRY(c.need(1));
        return c.driver().longPressTitle(c.rest(0));
    });
    add("type", "type TEXT", [](StepContext& c) { return c.driver().type(c.rest(0)); });
    add("key", "key Return|Escape|Backspace|Tab|Left|Right", [](StepContext& c) -> Status {
        TRY(c.need(1));
        return c.driver().key(c.argument(0));
    });
    add("wait", "wait SECONDS", [](StepContext& c) -> Status {
        TRY(c.need(1));
        return c.driver().wait(TRY(c.number(0)));
    });
    add("snapshot", "snapshot FILE.png", [](StepContext& c) -> Status {
        TRY(c.need(1));
        return c.driver().snapshot(c.rest(0));
    });
    add("appearance", "appearance light|dark", [](StepContext& c) -> Status {
        TRY(c.need(1));
        return c.driver().appearance(c.argument(0));
    });
    add("back", "back", [](StepContext& c) { return c.driver().back(); });
}

// Adds an expectation to `d`'s table.
auto expectationAdder(ScenarioDriver& d)
{
    return [&d](const char* name, const char* usage, ScenarioDriver::Handler handler) {
        mustSucceed(d.registerExpectation(name, usage, std::move(handler)));
    };
}

// What the run has left behind: preferences, log lines, haptic impacts.
void registerRecordExpectations(ScenarioDriver& d)
{
    auto add = expectationAdder(d);
    add("pref", "expect pref KEY VALUE", [](StepContext& c) -> Status {
        TRY(c.need(2));
        if (!c.driver().hasPreferences())
            return StepContext::failure("preferences are not available in this runner");
        auto value = c.driver().readPreference(c.argument(0));
        if (!value)
            return StepContext::failure("unknown preference key " + c.argument(0));
        if (*value != c.argument(1))
            return StepContext::mismatch(c.argument(0) + " = " + c.argument(1), c.argument(0) + " = " + *value);
        return {};
    });
    add("log", "expect log TEXT", [](StepContext& c) -> Status {
        TRY(c.need(1));
        std::string text = c.joined(0);
        if (logLinesContaining(c, text) == 0)
            return StepContext::mismatch("a log line containing \"" + text + "\"", "none");
        return {};
    });
    add("no-log", "expect no-log TEXT", [](StepContext& c) -> Status {
        TRY(c.need(1));
        std::string text = c.joined(0);
        if (auto count = logLinesContaining(c, text))
            return StepContext::mismatch("no log line containing \"" + text + "\"", std::to_string(count));
        return {};
    });
    add("log-count", "expect log-count N TEXT", [](StepContext& c) -> Status {
        TRY(c.need(2));
        std::string text = c.joined(1);
        return c.expectCount(0, logLinesContaining(c, text), "log lines containing \"" + text + "\"");
    });
    add("haptic", "expect haptic soft|light|medium|none", [](StepContext& c) -> Status {
        TRY(c.need(1));
        auto since = c.driver().takeImpacts();
        std::string found = since.empty() ? "none" : styleName(since.back().style);
        if (found != c.argument(0))
            return StepContext::mismatch("haptic " + c.argument(0), "haptic " + found);
        return {};
    });
    add("haptics", "expect haptics N", [](StepContext& c) -> Status {
        TRY(c.need(1));
        TRY(c.count(0));
        return c.expectCount(0, c.driver().takeImpacts().size(), "impacts");
    });
}

// What is on the screen now: symbols, texts, alerts, presented screens and
// notices.
void registerScreenExpectations(ScenarioDriver& d)
{
    auto add = expectationAdder(d);
    add("symbol", "expect symbol NAME", [](StepContext& c) -> Status {
        TRY(c.need(1));
        if (!findSymbol(c.argument(0)))
            return StepContext::mismatch("a visible view showing \"" + c.argument(0) + "\"", "none");
        return {};
    });
    add("text", "expect text TEXT", [](StepContext& c) -> Status {
        TRY(c.need(1));
        std::string text = c.rest(0);
        if (auto alert = alertOnScreen(); alert && (contains(alert->title(), text) || contains(alert->message(), text)))
            return {};
        for (const auto& view : visibleViews())
            if (contains(titleOf(view), text) && onScreen(view))
                return {};
        return StepContext::mismatch("a label, button or alert on screen containing \"" + text + "\"", "none");
    });
    add("alert", "expect alert TITLE|none", [](StepContext& c) -> Status {
        TRY(c.need(1));
        std::string want = c.rest(0);
        auto alert = alertOnScreen();
        std::string found = alert ? "\"" + alert->title() + "\"" : "none";
        if (found != (want == "none" ? want : "\"" + want + "\""))
            return StepContext::mismatch(want == "none" ? "no alert" : "an alert titled \"" + want + "\"", found);
        return {};
    });
    add("presented", "expect presented CLASS|none", [](StepContext& c) -> Status {
        TRY(c.need(1));
        auto top = topPresentedController();
        std::string found = top ? top->className() : "none";
        if (found != c.argument(0))
            return StepContext::mismatch("presented " + c.argument(0), "presented " + found);
        return {};
    });
    add("notices", "expect notices N", [](StepContext& c) -> Status {
        TRY(c.need(1));
        // Only SpringBoard shows notices: elsewhere none is a vacuous pass.
        TRY(c.driver().requireHost(ScenarioDriver::springBoard, "expect notices"));
        return c.expectCount(0, NoticeCenter::notices().size(), "notices");
    });
}

}  // namespace

void registerGenericSteps(ScenarioDriver& driver)
{
    registerActions(driver);
    registerRecordExpectations(driver);
    registerScreenExpectations(driver);
    mustSucceed(registerSystemSteps(driver));
    mustSucceed(registerPhotosSteps(driver));
}

}  // namespace automation
