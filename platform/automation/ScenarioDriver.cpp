#include "platform/automation/ScenarioDriver.h"

#include "platform/automation/GenericSteps.h"
#include "platform/automation/ScreenQueries.h"
#include "platform/automation/StepContext.h"
#include "platform/foundation/Foundation.h"
#include "platform/photosapp/PhotosAppHost.h"
#include "platform/springboard/SettingsAppHost.h"
#include "platform/springboard/SpringBoardHost.h"
#include "platform/uikit/UIKit.h"

#include <cmath>
#include <cstdio>
#include <sstream>

namespace automation {

using foundation::Error;
using foundation::ErrorCode;
using foundation::Status;

namespace {

std::string firstWord(const std::string& line, std::size_t index)
{
    std::istringstream in(line);
    std::string word;
    for (std::size_t i = 0; i <= index; ++i)
        if (!(in >> word))
            return "";
    return word;
}

// A size as a whole number; past what an integer holds (a screen of 1e300
// points is a line away) it is printed as it came.
std::string pixelCount(double pixels)
{
    if (pixels < 1e15)
        return std::to_string(static_cast<long long>(pixels));
    std::ostringstream out;
    out << pixels;
    return out.str();
}

}  // namespace

ScenarioDriver::Booter ScenarioDriver::settingsAppBooter(SettingsAppHost::Start start)
{
    return { settingsApp,
        [start]() -> Status {
            auto booted = SettingsAppHost::shared().boot(start);
            if (!booted)
                return booted.error();
            return {};
        },
        [] { return SettingsAppHost::shared().isBooted(); } };
}

ScenarioDriver::Booter ScenarioDriver::photosAppBooter()
{
    return { photosApp,
        []() -> Status {
            auto booted = PhotosAppHost::shared().boot();
            if (!booted)
                return booted.error();
            return {};
        },
        [] { return PhotosAppHost::shared().isBooted(); } };
}

ScenarioDriver::ScenarioDriver()
    : m_output([](const std::string&) {})
{
    m_booter = { springBoard,
        [this]() -> Status {
            auto report = TRY(SpringBoardHost::shared().boot());
            if (report.loadedTweaks.empty())
                say("warning: no tweak was injected (is the tweak installed in the device root?)");
            return {};
        },
        [] { return SpringBoardHost::shared().isBooted(); } };
    // `expect` is a step like any other; its handler picks the expectation.
    (void)registerStep("expect", "expect WHAT ...", [](StepContext& context) { return context.driver().expect(context); });
    registerGenericSteps(*this);
}

Status ScenarioDriver::registerIn(std::map<std::string, Entry>& table, const char* kind, const std::string& name,
    std::string usage, Handler handler)
{
    if (name.empty() || name.find_first_of(" \t\r\n#") != std::string::npos)
        return Error { ErrorCode::InvalidArgument, std::string("a ") + kind + " name is one word without '#': \"" + name + "\"" };
    if (!handler)
        return Error { ErrorCode::InvalidArgument, std::string("the ") + kind + " \"" + name + "\" has no handler" };
    if (table.count(name))
        return Error { ErrorCode::InvalidState, std::string("the ") + kind + " \"" + name + "\" is already registered" };
    table.emplace(name, Entry { std::move(usage), std::move(handler) });
    return {};
}

Status ScenarioDriver::registerStep(const std::string& name, std::string usage, Handler handler)
{
    return registerIn(m_steps, "step", name, std::move(usage), std::move(handler));
}

Status ScenarioDriver::registerExpectation(const std::string& name, std::string usage, Handler handler)
{
    return registerIn(m_expectations, "expectation", name, std::move(usage), std::move(handler));
}

Status ScenarioDriver::setBooter(Booter booter)
{
    if (!booter.boot || !booter.isBooted || booter.hostName.empty())
        return Error { ErrorCode::InvalidArgument, "a booter needs a host name, a boot and an isBooted" };
    if (m_booter.isBooted())
        return Error { ErrorCode::InvalidState, "the booted process is chosen before boot: " + m_booter.hostName + " is already running" };
    m_booter = std::move(booter);
    return {};
}

void ScenarioDriver::setPreferences(PreferenceWriter writer, PreferenceReader reader)
{
    m_writePreference = std::move(writer);
    m_readPreference = std::move(reader);
}

Status ScenarioDriver::runStep(const std::string& line)
{
    std::string name = firstWord(line, 0);
    if (name.empty())
        return {};
    auto entry = m_steps.find(name);
    if (entry == m_steps.end())
        return Error { ErrorCode::NotFound, "unknown step \"" + name + "\"" };
    StepContext context(*this, line, entry->second.usage, 1);
    return entry->second.handler(context);
}

Status ScenarioDriver::expect(StepContext& step)
{
    TRY(step.need(1));
    const std::string& what = step.argument(0);
    auto entry = m_expectations.find(what);
    if (entry == m_expectations.end())
        return Error { ErrorCode::NotFound, "unknown expectation \"" + what + "\"" };
    StepContext context(*this, step.line(), entry->second.usage, 2);
    return entry->second.handler(context);
}

Status ScenarioDriver::screen(double width, double height, double scale)
{
    if (m_booter.isBooted())
        return Error { ErrorCode::InvalidState, "the screen is set before boot" };
    if (!(width > 0 && height > 0 && scale > 0))
        return Error { ErrorCode::InvalidArgument, "a screen needs a positive size and scale" };
    // The recorder encodes the screen at its pixel size; H.264 stops at
    // this many pixels a side.
    constexpr double largestSide = 16384;
    if (width * scale > largestSide || height * scale > largestSide)
        return Error { ErrorCode::InvalidArgument,
            "a screen of " + pixelCount(width * scale) + "x" + pixelCount(height * scale) + " pixels is larger than the recorder can encode (at most "
                + std::to_string(static_cast<int>(largestSide)) + " a side)" };
    // Both were checked above, so neither half is left applied alone.
    TRY(UIScreen::mainScreen()->setSize(CGSizeMake(width, height)));
    TRY(UIScreen::mainScreen()->setScale(scale));
    return {};
}

Status ScenarioDriver::boot()
{
    if (m_booter.isBooted())
        return Error { ErrorCode::InvalidState, m_booter.hostName + " is already running" };
    m_logMark = SystemLog::shared().lineCount();
    TRY(m_booter.boot());
    m_hapticMark = HapticsLog::shared().count();
    for (const auto& observer : m_bootObservers)
        observer();
    RunLoop::main().drain();
    return {};
}

Status ScenarioDriver::requireBooted(const std::string& step) const
{
    if (!m_booter.isBooted())
        return Error { ErrorCode::InvalidState, step + " before boot: " + m_booter.hostName + " is not running yet (put a `boot` step first)" };
    return {};
}

Status ScenarioDriver::requireHost(const std::string& hostName, const std::string& step) const
{
    // Not found here, rather than refused: on the whole phone the display
    // then hands the step to the process it is for.
    if (hostName != m_booter.hostName)
        return Error { ErrorCode::NotFound, step + " works in " + hostName + ", and this scenario runs in " + m_booter.hostName };
    return {};
}

Status ScenarioDriver::requireSpringBoard(const std::string& step) const
{
    TRY(requireHost(springBoard, step));
    return requireBooted(step);
}

Status ScenarioDriver::writePreference(const std::string& key, const std::string& value)
{
    if (!m_writePreference)
        return Error { ErrorCode::InvalidState, "preferences are not available in this runner" };
    return m_writePreference(key, value);
}

std::optional<std::string> ScenarioDriver::readPreference(const std::string& key) const
{
    return m_readPreference ? m_readPreference(key) : std::nullopt;
}

Status ScenarioDriver::touch(const std::string& phase, CGPoint point)
{
    static const std::map<std::string, UITouchPhase> phases { { "down", UITouchPhaseBegan }, { "move", UITouchPhaseMoved },
        { "up", UITouchPhaseEnded }, { "cancel", UITouchPhaseCancelled } };
    auto found = phases.find(phase);
    if (found == phases.end())
        return Error { ErrorCode::InvalidArgument, "a touch is down, move, up or cancel, not \"" + phase + "\"" };
    if (m_touchesNeedBoot)
        TRY(requireBooted(phase == "down" ? std::string("a touch") : "a touch " + phase));
    if (!(std::fabs(point.x) <= maxCoordinate && std::fabs(point.y) <= maxCoordinate))
        return Error { ErrorCode::InvalidArgument, "a touch at " + NSStringFromCGPoint(point) + " is off any screen" };
    auto app = UIApplication::sharedApplication();
    if (phase != "down" && !app->currentTouch())
        return Error { ErrorCode::InvalidState, "no finger is down" };
    app->sendTouch(found->second, point);
    RunLoop::main().drain();
    return {};
}

Status ScenarioDriver::drag(CGPoint from, CGPoint to, int steps)
{
    if (steps < 1)
        return Error { ErrorCode::InvalidArgument, "a drag needs at least one step" };
    if (steps > maxDragSteps)
        return Error { ErrorCode::InvalidArgument, "a drag takes at most " + std::to_string(maxDragSteps) + " steps, not " + std::to_string(steps) };
    TRY(touch("down", from));
    for (int i = 1; i <= steps; ++i) {
        double t = static_cast<double>(i) / steps;
        TRY(touch("move", CGPointMake(from.x + (to.x - from.x) * t, from.y + (to.y - from.y) * t)));
    }
    return touch("up", to);
}

Status ScenarioDriver::tap(CGPoint point)
{
    TRY(touch("down", point));
    return touch("up", point);
}

Status ScenarioDriver::longPress(CGPoint point)
{
    TRY(touch("down", point));
    RunLoop::main().runFor(longPressDuration);
    return touch("up", point);
}

Status ScenarioDriver::tapSymbol(const std::string& name)
{
    auto view = findSymbol(name);
    if (!view)
        return Error { ErrorCode::NotFound, "no visible view shows the symbol \"" + name + "\"" };
    return tap(screenCentre(view));
}

Status ScenarioDriver::tapTitle(const std::string& title)
{
    if (auto alert = alertOnScreen(); alert && alert->tapActionWithTitle(title)) {
        RunLoop::main().drain();
        return {};
    }
    auto view = findTitled(title);
    if (!view)
        return Error { ErrorCode::NotFound, "nothing on screen is titled \"" + title + "\"" };
    return tap(screenCentre(view));
}

Status ScenarioDriver::longPressTitle(const std::string& title)
{
    auto view = findTitled(title);
    if (!view)
        return Error { ErrorCode::NotFound, "nothing on screen is titled \"" + title + "\"" };
    return longPress(screenCentre(view));
}

Status ScenarioDriver::type(const std::string& text)
{
    auto alert = alertOnScreen();
    if (!alert || alert->textFields().empty())
        return Error { ErrorCode::NotFound, "no alert with a text field is on screen" };
    alert->textFields().front()->setText(text);
    return {};
}

Status ScenarioDriver::key(const std::string& name)
{
    static const struct {
        const char* name;
        UIKeyboardHIDUsage code;
        const char* input;
    } keys[] = {
        { "Return", UIKeyboardHIDUsageKeyboardReturnOrEnter, "\r" },
        { "Escape", UIKeyboardHIDUsageKeyboardEscape, UIKeyInputEscape },
        { "Backspace", UIKeyboardHIDUsageKeyboardDeleteOrBackspace, "\b" },
        { "Tab", UIKeyboardHIDUsageKeyboardTab, "\t" },
        { "Left", UIKeyboardHIDUsageKeyboardLeftArrow, UIKeyInputLeftArrow },
        { "Right", UIKeyboardHIDUsageKeyboardRightArrow, UIKeyInputRightArrow },
    };
    for (const auto& known : keys) {
        if (name != known.name)
            continue;
        if (!UIApplication::sharedApplication()->sendKeyPress(UIKey::keyWithInput(known.code, known.input)))
            return Error { ErrorCode::NotFound, "nothing on screen took the " + name + " key (no field is being typed in and no alert is up)" };
        RunLoop::main().drain();
        return {};
    }
    return Error { ErrorCode::InvalidArgument, "\"" + name + "\" is not a key this step presses (Return, Escape, Backspace, Tab, Left, Right)" };
}

Status ScenarioDriver::checkWait(double seconds, const std::string& step)
{
    if (seconds < 0)
        return Error { ErrorCode::InvalidArgument, "time only goes forward" };
    double now = RunLoop::main().now();
    if (!m_firstWaitAt || *m_firstWaitAt > now)
        m_firstWaitAt = now;
    double covered = now - *m_firstWaitAt;
    if (seconds > maxScenarioSeconds - covered) {
        char text[160];
        std::snprintf(text, sizeof text, "%s %g would take the scenario to %g s of the clock; a scenario covers at most %g s in all "
                                         "(it would record that long); wait less",
            step.c_str(), seconds, covered + seconds, maxScenarioSeconds);
        return Error { ErrorCode::InvalidArgument, text };
    }
    return {};
}

Status ScenarioDriver::wait(double seconds)
{
    TRY(checkWait(seconds, "wait"));
    RunLoop::main().runFor(seconds);
    return {};
}

Status ScenarioDriver::snapshot(const std::string& path)
{
    if (!m_snapshot)
        return Error { ErrorCode::InvalidState, "snapshots are not available in this runner" };
    return m_snapshot(path);
}

Status ScenarioDriver::appearance(const std::string& style)
{
    if (style != "light" && style != "dark")
        return Error { ErrorCode::InvalidArgument, "the appearance is light or dark, not \"" + style + "\"" };
    UITraitCollection::setSystemUserInterfaceStyle(style == "dark" ? UIUserInterfaceStyleDark : UIUserInterfaceStyleLight);
    RunLoop::main().drain();
    return {};
}

Status ScenarioDriver::back()
{
    auto navigation = topNavigationController();
    if (!navigation)
        return Error { ErrorCode::NotFound, "nothing to go back from: no navigation controller is in front" };
    if (navigation->viewControllers().size() < 2) {
        auto top = navigation->topViewController();
        return Error { ErrorCode::InvalidState,
            std::string("nothing to go back to: ") + (top ? top->className() : "nothing") + " is the navigation controller's first screen" };
    }
    // Through the runtime, as the bar's button sends it, so hooks see it.
    (void)msgSend<id>(navigation, "popViewControllerAnimated:", true);
    RunLoop::main().drain();
    return {};
}

std::vector<std::string> ScenarioDriver::logSinceBoot() const { return SystemLog::shared().lines(m_logMark); }

std::vector<HapticImpact> ScenarioDriver::takeImpacts()
{
    auto impacts = HapticsLog::shared().impacts();
    std::vector<HapticImpact> since(impacts.begin() + static_cast<long>(std::min(m_hapticMark, impacts.size())), impacts.end());
    m_hapticMark = impacts.size();
    return since;
}

}  // namespace automation
