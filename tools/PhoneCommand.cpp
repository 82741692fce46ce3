#include "tools/Command.h"

#include "platform/automation/ScenarioDriver.h"
#include "platform/automation/ScenarioFile.h"
#include "platform/automation/StepContext.h"
#include "platform/foundation/Foundation.h"
#include "platform/render/Window.h"
#include "platform/springboard/AppLauncher.h"
#include "platform/springboard/HomeScreen.h"
#include "platform/springboard/SpringBoardHost.h"
#include "platform/uikit/UIScreen.h"
#include "platform/uikit/UITouch.h"
#include "tools/Phone.h"
#include "tools/ProcessLock.h"
#include "tools/ScenarioRunner.h"

#include <CLI/CLI.hpp>
#include <chrono>
#include <climits>
#include <csignal>
#include <filesystem>
#include <iomanip>
#include <iostream>
#include <unistd.h>

namespace tools {

namespace {

std::string thisExecutable()
{
    std::error_code ec;
    auto path = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec)
        throw CommandError("cannot find this program to start the phone's processes: " + ec.message());
    return path.string();
}

display::TouchPhase displayPhase(std::int64_t phase)
{
    switch (phase) {
    case UITouchPhaseBegan:
        return display::TouchPhase::Began;
    case UITouchPhaseEnded:
        return display::TouchPhase::Ended;
    case UITouchPhaseCancelled:
        return display::TouchPhase::Cancelled;
    default:
        return display::TouchPhase::Moved;
    }
}

std::uint64_t nanosecondsNow()
{
    return static_cast<std::uint64_t>(
        std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch()).count());
}

Phone::Options phoneOptions(const GlobalOptions& options, bool scripted)
{
    return { thisExecutable(), DevicePath::root(), scripted, options.verbose };
}

const std::pair<const char*, const char*> appTitles[] = {
    { "Settings", AppLauncher::settingsBundleIdentifier },
    { "Photos", AppLauncher::photosBundleIdentifier },
};

std::string titleOf(const std::string& bundle)
{
    for (auto [title, identifier] : appTitles)
        if (bundle == identifier)
            return title;
    return bundle;
}

// The whole phone as a scenario plays it: the steps that are the phone's
// own (the display's finger, the clock of every process, home, apps,
// respring, the screen's picture) are played here; every other step goes
// to the process in front, then to SpringBoard.
class PhoneScenario {
public:
    explicit PhoneScenario(Phone& phone)
        : m_phone(phone)
    {
        prepareDriver(m_local);
    }

    foundation::Status runStep(const std::string& line)
    {
        automation::StepContext step(m_local, line, "", 1);
        if (step.words().empty())
            return {};
        const std::string& name = step.words()[0];
        if (name == "boot")
            return boot();
        if (name == "home") {
            TRY(requireBooted(name));
            m_phone.home();
            return m_phone.settle();
        }
        if (name == "respring") {
            TRY(requireBooted(name));
            m_phone.respring();
            return m_phone.settle();
        }
        if (name == "open-app")
            return openApp(step);
        if (name == "wait")
            return wait(step);
        if (name == "tap" && step.argumentCount() == 2)
            return tap(step);
        if (name == "snapshot")
            return snapshot(step);
        if (name == "expect" && step.has(0) && step.argument(0) == "app")
            return expectApp(step);
        // Before the phone runs, the steps that need no process (the
        // preferences a person set up earlier) are played here; the others
        // set SpringBoard up (how it announces recordings), so they are
        // played here to check them, then again in SpringBoard once it runs.
        if (!m_phone.server().springBoard()) {
            TRY(m_local.runStep(line));
            if (name != "pref")
                m_beforeBoot.push_back(line);
            return {};
        }
        return m_phone.playStep(line);
    }

private:
    foundation::Status requireBooted(const std::string& name)
    {
        if (!m_phone.processOf(SpringBoardHost::bundleIdentifier) && !m_phone.server().springBoard())
            return automation::StepContext::failure("\"" + name + "\" before `boot`: the phone is not running yet");
        return {};
    }

    foundation::Status boot()
    {
        if (m_phone.server().springBoard())
            return automation::StepContext::failure("the phone is already running");
        TRY(m_phone.start());
        TRY(m_phone.settle());
        for (const auto& line : m_beforeBoot)
            if (auto given = m_phone.playStep(line); !given)
                return automation::StepContext::failure("\"" + line + "\" (before boot) could not be given to SpringBoard: " + given.message());
        m_beforeBoot.clear();
        return {};
    }

    foundation::Status touch(display::TouchPhase phase, CGPoint point)
    {
        m_phone.server().composite();
        if (!m_phone.server().sendTouch(phase, point, nanosecondsNow()) && phase == display::TouchPhase::Began)
            return automation::StepContext::failure("nothing on the screen is at " + std::to_string(point.x) + ", " + std::to_string(point.y));
        return m_phone.advance(phase == display::TouchPhase::Began ? 0.05 : 0);
    }

    foundation::Status tapAt(CGPoint point)
    {
        TRY(touch(display::TouchPhase::Began, point));
        TRY(touch(display::TouchPhase::Ended, point));
        return m_phone.settle();
    }

    foundation::Status tap(automation::StepContext& step)
    {
        TRY(requireBooted("tap"));
        double x = TRY(step.number(0));
        double y = TRY(step.number(1));
        return tapAt({ x, y });
    }

    foundation::Status openApp(automation::StepContext& step)
    {
        TRY(requireBooted("open-app"));
        TRY(step.need(1));
        std::string title = step.rest(0);
        if (!m_phone.frontApp().empty())
            return automation::StepContext::failure("the home screen is not in front (" + titleOf(m_phone.frontApp())
                + " is): go home first with `home`");
        auto centre = HomeScreen::iconCentre(title);
        if (!centre)
            return automation::StepContext::failure("the home screen has no icon named \"" + title + "\"");
        std::string bundle = AppLauncher::bundleForIconName(title);
        if (bundle.empty())
            return automation::StepContext::failure("the " + title + " icon opens nothing on this phone (Settings and Photos do)");
        TRY(tapAt(*centre));
        if (m_phone.frontApp() != bundle)
            return automation::StepContext::failure("tapping " + title + " did not bring it to the front");
        return {};
    }

    foundation::Status wait(automation::StepContext& step)
    {
        TRY(requireBooted("wait"));
        TRY(step.need(1));
        double seconds = TRY(step.number(0));
        if (seconds < 0)
            return automation::StepContext::failure("a wait cannot go back in time");
        if (m_waited + seconds > automation::ScenarioDriver::maxScenarioSeconds)
            return automation::StepContext::failure("the scenario's waits would pass "
                + std::to_string(static_cast<int>(automation::ScenarioDriver::maxScenarioSeconds)) + " s of the clock");
        m_waited += seconds;
        // In slices, so what one process does for another (a launch, a
        // notice) is seen while the time passes, not only at its end.
        while (seconds > 0) {
            double slice = std::min(seconds, 0.25);
            TRY(m_phone.advance(slice));
            TRY(m_phone.settle());
            seconds -= slice;
        }
        return {};
    }

    foundation::Status snapshot(automation::StepContext& step)
    {
        TRY(step.need(1));
        const render::Surface& screen = m_phone.server().composite();
        if (!screen.isValid())
            return automation::StepContext::failure("the screen has no picture");
        return screen.writePNG(step.rest(0));
    }

    foundation::Status expectApp(automation::StepContext& step)
    {
        TRY(step.need(2));
        std::string expected = step.rest(1);
        std::string front = m_phone.frontApp().empty() ? "home" : titleOf(m_phone.frontApp());
        if (front != expected)
            return automation::StepContext::mismatch(expected == "home" ? "the home screen in front" : expected + " in front",
                front == "home" ? "the home screen" : front);
        return {};
    }

    Phone& m_phone;
    // Plays the steps before boot; never boots a process of its own.
    automation::ScenarioDriver m_local;
    std::vector<std::string> m_beforeBoot;
    double m_waited = 0;
};

void runPhoneScenario(const GlobalOptions& options, const std::string& path)
{
    Phone phone(phoneOptions(options, true));
    PhoneScenario scenario(phone);
    auto result = automation::runScenarioFile([&scenario](const std::string& line) { return scenario.runStep(line); }, path,
        [](int line, const std::string& step) { std::cout << std::setw(5) << line << "  " << step << '\n'
                                                          << std::flush; });
    if (!result)
        throw CommandError("scenario failed at " + result.message());
    std::cout << "scenario passed: " << path << '\n';
}

void showPhone(const GlobalOptions& options, double zoom)
{
    Phone phone(phoneOptions(options, false));
    if (auto started = phone.start(); !started)
        throw CommandError(started.message());
    auto opened = render::Window::open({ zoom / UIScreen::mainScreen()->scale(), "Marqel — iPhone" });
    if (!opened)
        throw CommandError(opened.message() + " (is a display running at DISPLAY?)");
    auto window = opened.release();
    auto& server = phone.server();
    render::Window::Input input;
    input.touch = [&server](std::int64_t phase, CGPoint point) { server.sendTouch(displayPhase(phase), point, nanosecondsNow()); };
    input.key = [&server](const render::Window::KeyEvent& key) {
        return server.sendKey({ display::KeyPhase::Down, key.keycode, key.modifiers, key.name, key.scancode });
    };
    input.text = [&server](const std::string& text) { server.sendText(text); };
    window->setInput(std::move(input));
    std::uint64_t generation = 0;
    window->setPicture([&server, &generation] { return render::Window::Picture { &server.composite(), ++generation }; });
    window->setTick([&phone](double seconds) { phone.serveAndAct(static_cast<int>(seconds * 1000)); });
    auto shortcut = [&window, &phone](const std::string& key) {
        if (key == "Escape" || key == "Q")
            window->close();
        else if (key == "R")
            phone.respring();
        else if (key == "H" || key == "Home")
            phone.home();
    };
    phone.setUnusedKeyHandler(shortcut);
    window->setKeyHandler([&shortcut](const render::Window::KeyPress& key) { shortcut(key.name); });
    std::cout << "window open: the mouse is a finger; drag up from the bottom edge (or H) for home, R resprings, "
                 "I invokes the overlay, S stops a recording (C: from Control Center), Escape quits\n"
              << std::flush;
    RunLoop::stopOnSignals({ SIGINT, SIGTERM });
    while (!window->isClosed() && !RunLoop::stopRequestedBySignal()) {
        if (!window->processEvents())
            break;
        phone.serveAndAct(16);
        if (!phone.failure().empty())
            throw CommandError(phone.failure());
        window->present();
    }
}

}  // namespace

void addPhoneCommand(CLI::App& app, GlobalOptions& options)
{
    auto* command = app.add_subcommand("phone",
        "The whole phone in a desktop window: a display process, SpringBoard (with the tweak) and the apps (Settings, Photos) "
        "as processes of their own; the mouse is a finger, the keyboard the phone's keyboard");
    static double zoom = 1;
    command->add_option("--zoom", zoom, "Window pixels per point (the phone's screen has 3 pixels a point), above 0 and at most 8")
        ->capture_default_str()
        ->check(CLI::Validator([](std::string& text) { return checkZoom(text, "point"); }, "ZOOM"));
    static std::string script;
    command->add_option("--script", script,
               "Play a scenario file on the whole phone (every process on a virtual clock, no window), then exit")
        ->check(CLI::ExistingFile);
    command->callback([&options] {
        if (script.empty())
            requireDisplay("`marqel phone`");
        prepareDevice(options);
        // One SpringBoard a root: the phone's would only fail to start.
        if (auto running = ProcessLock::holder("SpringBoard"))
            throw CommandError("a SpringBoard is already running on " + DevicePath::root() + " (process " + *running
                + "); end it first, or give this phone another root with --root");
        ensureInstalled();
        if (!script.empty()) {
            runPhoneScenario(options, script);
            return;
        }
        showPhone(options, zoom);
    });
}

}  // namespace tools
