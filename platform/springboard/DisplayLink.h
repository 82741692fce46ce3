#pragma once

// A process's place on the display (SpringBoard, an app): it publishes
// every window its compositor draws as a surface of its own, feeds the
// touches, keys and text the display sends to its UIApplication, and hands
// life-cycle requests to its host. Live, the process's run loop runs on the
// real clock between pumps; scripted, it sleeps until the display asks it
// to run its virtual clock (advance) or to play a scenario step.

#include "platform/display/DisplayClient.h"
#include "platform/foundation/Result.h"
#include "platform/replaykit/Forward.h"

#include <functional>
#include <map>
#include <memory>
#include <string>

class DisplayLink {
public:
    // The environment variable naming the display's socket in the
    // processes the display starts.
    static constexpr const char* socketVariable = "MARQEL_DISPLAY";

    static foundation::Result<std::unique_ptr<DisplayLink>> connect(const std::string& socketPath, display::ProcessRole role,
        const std::string& bundleIdentifier);

    // A key the application did not take, by SDL's name: true when the
    // host used it (SpringBoard's shortcuts); otherwise the display gets
    // it back.
    void setShortcutHandler(std::function<bool(const std::string& keyName)> handler) { m_shortcut = std::move(handler); }
    void setLifecycleHandler(std::function<void(const display::Lifecycle&)> handler) { m_lifecycle = std::move(handler); }
    // SpringBoard's: told whether the app in front wants the status bar's
    // content light.
    void setStatusBarStyleHandler(std::function<void(bool lightContent)> handler) { m_statusBarStyle = std::move(handler); }
    // Plays one scenario step in this process; NotFound means not here.
    void setStepRunner(std::function<foundation::Status(const std::string& line)> runner) { m_stepRunner = std::move(runner); }

    // SpringBoard's: the recorder and Control Center's backdrop take the
    // display's pictures of the whole screen (the app in front included),
    // as the phone records and frosts its display, not SpringBoard's
    // windows alone. The display is asked for them only while a recording
    // runs or an app is in front; otherwise, and until the display's first
    // picture arrives, SpringBoard's own picture stands in.
    void seeTheWholeDisplay(RPScreenRecorder& recorder);

    // Draws what changed and publishes it; windows no longer shown leave
    // the display.
    foundation::Status publishWindows();
    // Handles what the display sent.
    foundation::Status pump();
    foundation::Status request(const display::Lifecycle& lifecycle) { return m_client->request(lifecycle); }

    // Until the display goes, the process is told to end, or a signal
    // stops it: the run loop on the real clock, about 60 pictures a second.
    foundation::Status runLive();
    // Until the display goes or the process is told to end: waits for the
    // display's advance and step requests and answers each.
    foundation::Status runScripted();
    // Asks the run loops above to return.
    void finish() { m_finished = true; }

    std::uint64_t windowsPublished() const { return m_published; }

private:
    explicit DisplayLink(std::unique_ptr<display::DisplayClient> client);
    void handleKey(const display::Key& key);

    struct Published {
        bool keyWindow = false;
        bool lightContent = false;
        bool pending = true;  // drawn anew and not yet handed over
    };
    // Why SpringBoard wants the display's pictures now.
    struct ScreenUse {
        bool recording = false;
        bool appInFront = false;
        bool asked = false;
    };
    static void askForScreen(display::DisplayClient& client, ScreenUse& use);

    // Shared with the recorder's source, which outlives this link.
    std::shared_ptr<display::DisplayClient> m_client;
    std::shared_ptr<ScreenUse> m_screenUse;  // SpringBoard's only
    std::map<std::uint32_t, Published> m_windows;
    std::function<bool(const std::string&)> m_shortcut;
    std::function<void(const display::Lifecycle&)> m_lifecycle;
    std::function<void(bool)> m_statusBarStyle;
    std::function<foundation::Status(const std::string&)> m_stepRunner;
    bool m_finished = false;
    std::uint64_t m_published = 0;
};
