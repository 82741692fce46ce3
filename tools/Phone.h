#pragma once

// The display process's side of the phone: the display server, the
// processes it starts (SpringBoard, then each app on its first launch),
// which app is in front, and what a death means. SpringBoard asks for
// launches, home and respring; the phone starts the app's process afresh
// (the same executable, so the substrate loader runs in it as in every
// app), shows one app at a time above the home screen and restarts
// SpringBoard when it ends. Live, its processes run on the real clock;
// scripted, each runs a virtual clock that the phone advances in step, and
// plays the scenario steps the phone hands it.

#include "platform/display/DisplayServer.h"
#include "platform/foundation/Result.h"

#include <chrono>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace tools {

class Phone {
public:
    struct Options {
        std::string executable;  // this program
        std::string root;  // the device root, handed to every process
        bool scripted = false;
        bool verbose = false;
    };

    explicit Phone(Options options);
    ~Phone();
    Phone(const Phone&) = delete;
    Phone& operator=(const Phone&) = delete;

    // Listens and starts SpringBoard.
    foundation::Status start();
    // One pass of the display: messages, process ends, what they mean.
    void serve(int timeoutMilliseconds);
    // Serves, then acts on a respring SpringBoard asked for.
    void serveAndAct(int timeoutMilliseconds);

    display::DisplayServer& server() { return m_server; }

    // The bundle in front, or empty on the home screen.
    const std::string& frontApp() const { return m_front; }
    foundation::Status launch(const std::string& bundleIdentifier, const std::string& url = "");
    void home();
    // SpringBoard and every app end; a fresh SpringBoard starts. The screen
    // is black between.
    void respring();
    std::uint64_t respringCount() const { return m_resprings; }
    // The pid of the process of `bundleIdentifier`, if it runs.
    std::optional<pid_t> processOf(const std::string& bundleIdentifier) const;

    // Set by the live window: the display's shortcuts for keys no process
    // took (home, respring, quit).
    void setUnusedKeyHandler(std::function<void(const std::string& keyName)> handler) { m_unusedKey = std::move(handler); }

    // Scripted: runs every process's clock `seconds` and waits (up to a
    // real-time limit) until each has answered with its windows published.
    foundation::Status advance(double seconds);
    // Scripted: waits until every process started has said hello, then
    // lets every clock run what is due now.
    foundation::Status settle();
    // Scripted: plays `line` in the front app, then SpringBoard; the
    // first process whose answer is not "not here" decides.
    foundation::Status playStep(const std::string& line);

    // Serves until `done` holds, for up to answerLimit of real time; the
    // error names `what` was waited for.
    foundation::Status waitFor(const std::function<bool()>& done, const std::string& what);

    // Why the phone cannot go on (SpringBoard ended before it ever reached
    // the display: starting it again would only fail again); empty while
    // it can.
    const std::string& failure() const { return m_failure; }

    // How long a scripted process may take to answer, in real time.
    static constexpr std::chrono::seconds answerLimit { 120 };

private:
    struct Process {
        pid_t pid = 0;
        std::string bundleIdentifier;
        std::string pendingURL;  // handed over once it says hello
        bool introduced = false;
    };
    foundation::Status spawn(const std::string& bundleIdentifier, const std::string& url);
    std::vector<std::string> argumentsFor(const std::string& bundleIdentifier) const;
    void reap();
    void ended(const Process& process, int status);
    void handleLifecycle(display::ClientId from, const display::Lifecycle& lifecycle);
    void handleMessage(display::ClientId from, const display::Payload& payload);
    void greetNewcomers();
    void tellSpringBoard(const display::Lifecycle& lifecycle);
    void stopProcess(pid_t pid);

    Options m_options;
    display::DisplayServer m_server;
    std::string m_socketPath;
    std::map<pid_t, Process> m_processes;
    std::string m_front;
    std::uint64_t m_resprings = 0;
    bool m_respringing = false;
    bool m_respringRequested = false;
    std::string m_failure;
    std::function<void(const std::string&)> m_unusedKey;
    // Scripted answers.
    std::map<display::ClientId, bool> m_reached;
    std::optional<display::StepDone> m_stepDone;
};

}  // namespace tools
