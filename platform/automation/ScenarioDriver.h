#pragma once

// The simulated user: a table of named steps. A scenario line's first word
// picks a step handler; `expect WHAT ...` picks an expectation handler by
// its second word. The driver registers the generic steps of the platform
// (screen, boot, touches, taps, typing, waits, snapshots, the system log,
// preferences, haptics, alerts, text on screen); a product registers its
// own with registerStep and registerExpectation, without touching these.
// Every step is also a C++ call, for tools that drive the screen directly.

#include "platform/automation/Forward.h"
#include "platform/foundation/CGGeometry.h"
#include "platform/foundation/Result.h"
#include "platform/springboard/SettingsAppHost.h"
#include "platform/uikit/HapticsLog.h"

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace automation {

class ScenarioDriver {
public:
    using Handler = std::function<foundation::Status(StepContext&)>;
    // The preference domain's typed writes and reads are the product's
    // business; the command that runs scenarios hands them in.
    using PreferenceWriter = std::function<foundation::Status(const std::string& key, const std::string& value)>;
    using PreferenceReader = std::function<std::optional<std::string>(const std::string& key)>;
    using Snapshotter = std::function<foundation::Status(const std::string& path)>;

    struct Entry {
        std::string usage;
        Handler handler;
    };

    // Which process `boot` starts, named as messages name it ("SpringBoard",
    // "the Settings app").
    struct Booter {
        std::string hostName;
        std::function<foundation::Status()> boot;
        std::function<bool()> isBooted;
    };
    static constexpr const char* springBoard = "SpringBoard";
    static constexpr const char* settingsApp = "the Settings app";
    // The Settings app with the preference bundle at its root, or with the
    // list of installed entries there.
    static Booter settingsAppBooter(SettingsAppHost::Start start = SettingsAppHost::Start::InBundle);
    static constexpr const char* photosApp = "the Photos app";
    // The Photos app on its grid of the library's videos.
    static Booter photosAppBooter();

    // A driver with the generic steps registered, booting SpringBoard.
    ScenarioDriver();
    // The default booter refers to this driver.
    ScenarioDriver(const ScenarioDriver&) = delete;
    ScenarioDriver& operator=(const ScenarioDriver&) = delete;

    // `usage` is the line's form, e.g. "tap X Y" or "expect box X Y W H";
    // a step short of arguments reports it. Refuses a name already taken, a
    // name with spaces or '#', and an empty handler.
    foundation::Status registerStep(const std::string& name, std::string usage, Handler handler);
    foundation::Status registerExpectation(const std::string& name, std::string usage, Handler handler);
    const std::map<std::string, Entry>& steps() const { return m_steps; }
    const std::map<std::string, Entry>& expectations() const { return m_expectations; }

    void setPreferences(PreferenceWriter writer, PreferenceReader reader);
    void setSnapshotter(Snapshotter snapshotter) { m_snapshot = std::move(snapshotter); }
    void setOutput(std::function<void(const std::string&)> output) { m_output = std::move(output); }
    // Chosen before `boot`; refused once a process is running.
    foundation::Status setBooter(Booter booter);
    const std::string& hostName() const { return m_booter.hostName; }
    // Runs after every boot, so a product can take its own marks.
    void addBootObserver(std::function<void()> observer) { m_bootObservers.push_back(std::move(observer)); }

    // One line of the file format (without its comment). A blank line does
    // nothing; a failed expectation or a step that cannot be done comes
    // back as the error.
    foundation::Status runStep(const std::string& line);

    // The generic steps for C++ callers.
    foundation::Status screen(double width, double height, double scale);
    foundation::Status boot();
    // Fails, naming the step, while the host has not booted: a touch or an
    // invocation then reaches nothing and would pass unnoticed.
    foundation::Status requireBooted(const std::string& step) const;
    // For steps that only mean something in one process: fails, naming the
    // step and both processes, when this runner boots another one.
    foundation::Status requireHost(const std::string& hostName, const std::string& step) const;
    // Both, for SpringBoard's steps (its status bar, recorder, notices,
    // Control Center): on the whole phone an app's process answers that
    // the step is not its own.
    foundation::Status requireSpringBoard(const std::string& step) const;
    // For runners that drive the whole phone: touches before `boot` fail too.
    // (Tests of bare windows touch them without any SpringBoard.)
    void setTouchesNeedBoot(bool need) { m_touchesNeedBoot = need; }
    static constexpr int maxDragSteps = 1000;
    // Farther than this from the origin, a point is off any screen.
    static constexpr double maxCoordinate = 100000;
    foundation::Status writePreference(const std::string& key, const std::string& value);
    bool hasPreferences() const { return static_cast<bool>(m_readPreference); }
    std::optional<std::string> readPreference(const std::string& key) const;
    foundation::Status touch(const std::string& phase, CGPoint point);
    foundation::Status drag(CGPoint from, CGPoint to, int steps);
    foundation::Status tap(CGPoint point);
    foundation::Status longPress(CGPoint point);
    foundation::Status tapSymbol(const std::string& name);
    foundation::Status tapTitle(const std::string& title);
    foundation::Status longPressTitle(const std::string& title);
    foundation::Status type(const std::string& text);
    // A key of the hardware keyboard pressed once, as the desktop window
    // hands it over: Return, Escape, Backspace, Tab, Left or Right. Fails
    // when nothing on screen takes it (the window would have used it as a
    // shortcut).
    foundation::Status key(const std::string& name);
    foundation::Status wait(double seconds);
    foundation::Status snapshot(const std::string& path);
    // The system-wide light or dark setting; every view hears of it.
    foundation::Status appearance(const std::string& style);
    // The top navigation controller's back button: pops its top controller.
    foundation::Status back();

    // How long long-press holds the finger down.
    static constexpr double longPressDuration = 0.5;
    // The clock time one scenario may cover in all, counted from its first
    // wait. A recording runs while the clock does, so this is also the
    // longest movie a scenario can make: without it, one long wait would
    // encode until the disk is full.
    static constexpr double maxScenarioSeconds = 3600;
    // Fails, before any time passes, when waiting `seconds` more would take
    // the scenario past maxScenarioSeconds (`step` names the step for the
    // message).
    foundation::Status checkWait(double seconds, const std::string& step);

    // The system log since boot.
    std::vector<std::string> logSinceBoot() const;
    // Haptic impacts since the previous call (or boot); moves the mark.
    std::vector<HapticImpact> takeImpacts();
    void say(const std::string& line) const { m_output(line); }

private:
    bool m_touchesNeedBoot = false;
    Booter m_booter;
    foundation::Status registerIn(std::map<std::string, Entry>& table, const char* kind, const std::string& name,
        std::string usage, Handler handler);
    foundation::Status expect(StepContext& context);

    std::map<std::string, Entry> m_steps;
    std::map<std::string, Entry> m_expectations;
    PreferenceWriter m_writePreference;
    PreferenceReader m_readPreference;
    Snapshotter m_snapshot;
    std::function<void(const std::string&)> m_output;
    std::vector<std::function<void()>> m_bootObservers;
    std::optional<double> m_firstWaitAt;
    std::size_t m_logMark = 0;
    std::size_t m_hapticMark = 0;
};

}  // namespace automation
