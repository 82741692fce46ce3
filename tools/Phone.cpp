#include "tools/Phone.h"

#include "platform/foundation/Foundation.h"
#include "platform/springboard/AppLauncher.h"
#include "platform/springboard/SpringBoardHost.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace tools {

using foundation::Error;
using foundation::ErrorCode;

namespace {

std::string describeStatus(int status)
{
    if (WIFEXITED(status))
        return "exited with status " + std::to_string(WEXITSTATUS(status));
    if (WIFSIGNALED(status))
        return std::string("was killed by ") + strsignal(WTERMSIG(status));
    return "ended";
}

}  // namespace

Phone::Phone(Options options)
    : m_options(std::move(options))
{
    m_socketPath = "/tmp/marqel-display." + std::to_string(::getpid()) + ".sock";
    m_server.setLifecycleHandler([this](display::ClientId from, const display::Lifecycle& lifecycle) { handleLifecycle(from, lifecycle); });
    m_server.setMessageHandler([this](display::ClientId from, const display::Payload& payload) { handleMessage(from, payload); });
}

Phone::~Phone()
{
    for (auto& [pid, process] : m_processes)
        ::kill(pid, SIGTERM);
    for (auto& [pid, process] : m_processes)
        stopProcess(pid);
}

foundation::Status Phone::start()
{
    TRY(m_server.listen(m_socketPath));
    return spawn(SpringBoardHost::bundleIdentifier, "");
}

std::vector<std::string> Phone::argumentsFor(const std::string& bundleIdentifier) const
{
    std::vector<std::string> arguments { m_options.executable };
    if (bundleIdentifier == SpringBoardHost::bundleIdentifier)
        arguments.push_back("springboard");
    else if (bundleIdentifier == AppLauncher::settingsBundleIdentifier)
        arguments.insert(arguments.end(), { "settings", "--entries" });
    else if (bundleIdentifier == AppLauncher::photosBundleIdentifier)
        arguments.push_back("photos");
    else
        return {};
    arguments.insert(arguments.end(), { "--root", m_options.root, "--display", m_socketPath });
    if (m_options.scripted)
        arguments.push_back("--scripted");
    if (m_options.verbose)
        arguments.push_back("--verbose");
    return arguments;
}

foundation::Status Phone::spawn(const std::string& bundleIdentifier, const std::string& url)
{
    auto arguments = argumentsFor(bundleIdentifier);
    if (arguments.empty())
        return Error { ErrorCode::NotFound, "no app with the bundle identifier " + bundleIdentifier + " is installed on this phone" };
    std::vector<char*> argv;
    for (auto& argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (int failed = posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ); failed != 0)
        return Error { ErrorCode::Failed, "cannot start " + bundleIdentifier + " (" + arguments[0] + "): " + std::strerror(failed) };
    m_processes[pid] = Process { pid, bundleIdentifier, url, false };
    NSLog("display: started %@ (process %@)", bundleIdentifier, std::to_string(pid));
    return {};
}

std::optional<pid_t> Phone::processOf(const std::string& bundleIdentifier) const
{
    for (auto& [pid, process] : m_processes)
        if (process.bundleIdentifier == bundleIdentifier)
            return pid;
    return std::nullopt;
}

void Phone::stopProcess(pid_t pid)
{
    ::kill(pid, SIGTERM);
    // A process that does not end in a few seconds is stuck; the phone
    // kills it, as its watchdog would.
    for (int i = 0; i < 300; ++i) {
        int status = 0;
        pid_t done = ::waitpid(pid, &status, WNOHANG);
        if (done == pid || (done < 0 && errno == ECHILD))
            return;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ::kill(pid, SIGKILL);
    int status = 0;
    ::waitpid(pid, &status, 0);
}

void Phone::serve(int timeoutMilliseconds)
{
    m_server.serveOnce(timeoutMilliseconds);
    reap();
    greetNewcomers();
}

void Phone::serveAndAct(int timeoutMilliseconds)
{
    serve(timeoutMilliseconds);
    if (m_respringRequested) {
        m_respringRequested = false;
        respring();
    }
}

void Phone::reap()
{
    for (;;) {
        int status = 0;
        pid_t pid = ::waitpid(-1, &status, WNOHANG);
        if (pid <= 0)
            return;
        auto it = m_processes.find(pid);
        if (it == m_processes.end())
            continue;
        Process process = it->second;
        m_processes.erase(it);
        ended(process, status);
    }
}

void Phone::ended(const Process& process, int status)
{
    NSLog("display: %@ (process %@) %@", process.bundleIdentifier, std::to_string(process.pid), describeStatus(status));
    // Its socket closes with it: the display forgets its windows on the
    // next read.
    m_server.serveOnce(0);
    if (process.bundleIdentifier == SpringBoardHost::bundleIdentifier) {
        if (!process.introduced) {
            m_failure = "SpringBoard (process " + std::to_string(process.pid) + ") " + describeStatus(status)
                + " before it reached the display; its messages above say why";
            return;
        }
        if (!m_respringing)
            respring();
        return;
    }
    if (m_front == process.bundleIdentifier) {
        m_front.clear();
        tellSpringBoard({ display::LifecycleAction::Home, "", "" });
    }
}

void Phone::greetNewcomers()
{
    for (auto& [pid, process] : m_processes) {
        if (process.introduced)
            continue;
        auto client = m_server.clientOf(process.bundleIdentifier);
        if (!client)
            continue;
        process.introduced = true;
        if (process.bundleIdentifier == SpringBoardHost::bundleIdentifier)
            continue;
        // Sent home (or another app opened) before it was up.
        m_server.setShown(*client, m_front == process.bundleIdentifier);
        m_server.sendTo(*client, display::Lifecycle { display::LifecycleAction::Launch, process.bundleIdentifier, process.pendingURL });
        process.pendingURL.clear();
    }
}

void Phone::tellSpringBoard(const display::Lifecycle& lifecycle)
{
    if (auto springBoard = m_server.springBoard())
        m_server.sendTo(*springBoard, lifecycle);
}

foundation::Status Phone::launch(const std::string& bundleIdentifier, const std::string& url)
{
    if (argumentsFor(bundleIdentifier).empty())
        return Error { ErrorCode::NotFound, "no app with the bundle identifier " + bundleIdentifier + " is installed on this phone" };
    if (!m_front.empty() && m_front != bundleIdentifier)
        if (auto previous = m_server.clientOf(m_front))
            m_server.setShown(*previous, false);
    m_front = bundleIdentifier;
    tellSpringBoard({ display::LifecycleAction::ToFront, bundleIdentifier, "" });
    if (auto running = processOf(bundleIdentifier)) {
        Process& process = m_processes[*running];
        if (!process.introduced) {
            process.pendingURL = url;
            return {};
        }
        if (auto client = m_server.clientOf(bundleIdentifier)) {
            m_server.setShown(*client, true);
            m_server.sendTo(*client, display::Lifecycle { display::LifecycleAction::Launch, bundleIdentifier, url });
        }
        return {};
    }
    return spawn(bundleIdentifier, url);
}

void Phone::home()
{
    if (m_front.empty())
        return;
    if (auto client = m_server.clientOf(m_front))
        m_server.setShown(*client, false);
    m_front.clear();
    tellSpringBoard({ display::LifecycleAction::Home, "", "" });
}

void Phone::respring()
{
    m_respringing = true;
    NSLog("display: respring");
    // Apps first, as the phone closes them with SpringBoard.
    std::vector<pid_t> order;
    for (auto& [pid, process] : m_processes)
        if (process.bundleIdentifier != SpringBoardHost::bundleIdentifier)
            order.push_back(pid);
    for (auto& [pid, process] : m_processes)
        if (process.bundleIdentifier == SpringBoardHost::bundleIdentifier)
            order.push_back(pid);
    for (pid_t pid : order) {
        stopProcess(pid);
        m_processes.erase(pid);
    }
    m_front.clear();
    // Every socket is closed now: the screen goes black.
    m_server.serveOnce(0);
    ++m_resprings;
    if (auto started = spawn(SpringBoardHost::bundleIdentifier, ""); !started)
        NSLog("display: SpringBoard did not start again: %@", started.message());
    m_respringing = false;
}

void Phone::handleLifecycle(display::ClientId, const display::Lifecycle& lifecycle)
{
    switch (lifecycle.action) {
    case display::LifecycleAction::Launch:
    case display::LifecycleAction::ToFront:
        if (auto launched = launch(lifecycle.bundleIdentifier, lifecycle.url); !launched)
            NSLog("display: %@", launched.message());
        break;
    case display::LifecycleAction::Home:
        home();
        break;
    case display::LifecycleAction::Terminate:
        if (auto pid = processOf(lifecycle.bundleIdentifier))
            ::kill(*pid, SIGTERM);
        break;
    case display::LifecycleAction::Respring:
        // Not from inside the server's own read of SpringBoard's socket:
        // the next pass does it.
        m_respringRequested = true;
        break;
    }
}

void Phone::handleMessage(display::ClientId from, const display::Payload& payload)
{
    if (auto* notTaken = std::get_if<display::KeyNotTaken>(&payload)) {
        auto springBoard = m_server.springBoard();
        // An app's unused key is SpringBoard's next (its shortcuts), then
        // the display's.
        if (springBoard && *springBoard != from) {
            m_server.sendTo(*springBoard, notTaken->key);
            return;
        }
        if (m_unusedKey)
            m_unusedKey(notTaken->key.name);
    } else if (std::holds_alternative<display::Reached>(payload)) {
        m_reached[from] = true;
    } else if (auto* done = std::get_if<display::StepDone>(&payload)) {
        m_stepDone = *done;
    }
}

foundation::Status Phone::waitFor(const std::function<bool()>& done, const std::string& what)
{
    auto deadline = std::chrono::steady_clock::now() + answerLimit;
    while (!done()) {
        if (!m_failure.empty())
            return Error { ErrorCode::Failed, m_failure };
        if (RunLoop::stopRequestedBySignal())
            return Error { ErrorCode::Cancelled, "stopped while waiting for " + what };
        if (std::chrono::steady_clock::now() > deadline)
            return Error { ErrorCode::Failed, what + " did not come within " + std::to_string(answerLimit.count()) + " s" };
        serveAndAct(20);
    }
    return {};
}

foundation::Status Phone::advance(double seconds)
{
    m_reached.clear();
    // Every picture handed over so far is shown (and acknowledged) first,
    // so each process can hand over its newest one before it answers.
    m_server.composite();
    m_server.serveOnce(0);
    std::vector<display::ClientId> asked;
    for (const auto& client : m_server.clients())
        if (client.introduced && m_server.sendTo(client.id, display::Advance { seconds }))
            asked.push_back(client.id);
    return waitFor(
        [&] {
            for (auto id : asked)
                if (!m_reached[id] && m_server.client(id))
                    return false;
            return true;
        },
        "every process's answer to the clock");
}

foundation::Status Phone::settle()
{
    // A launch asked for while the clocks ran starts a process; it is
    // waited for, and then every clock catches up with what is due.
    for (int round = 0; round < 4; ++round) {
        TRY(waitFor(
            [&] {
                for (auto& [pid, process] : m_processes)
                    if (!process.introduced)
                        return false;
                return true;
            },
            "the hello of every process started"));
        std::size_t before = m_processes.size();
        std::uint64_t resprings = m_resprings;
        TRY(advance(0));
        bool allIntroduced = true;
        for (auto& [pid, process] : m_processes)
            allIntroduced = allIntroduced && process.introduced;
        if (allIntroduced && m_processes.size() == before && resprings == m_resprings)
            return {};
    }
    return {};
}

foundation::Status Phone::playStep(const std::string& line)
{
    std::vector<display::ClientId> order;
    if (!m_front.empty())
        if (auto app = m_server.clientOf(m_front); app && m_server.isShown(*app))
            order.push_back(*app);
    if (auto springBoard = m_server.springBoard())
        order.push_back(*springBoard);
    if (order.empty())
        return Error { ErrorCode::InvalidState, "no process is running to play \"" + line + "\" (start the phone with `boot`)" };
    std::string notHere;
    for (auto id : order) {
        m_stepDone.reset();
        m_server.composite();
        m_server.serveOnce(0);
        if (!m_server.sendTo(id, display::Step { line }))
            continue;
        std::string name = m_server.client(id) ? m_server.client(id)->hello.bundleIdentifier : "a process";
        TRY(waitFor([&] { return m_stepDone.has_value() || !m_server.client(id); }, name + "'s answer to \"" + line + "\""));
        if (!m_stepDone)
            return Error { ErrorCode::Failed, name + " ended while playing \"" + line + "\"" };
        display::StepDone done = *m_stepDone;
        if (done.outcome == display::StepOutcome::NotHere) {
            notHere += (notHere.empty() ? "" : "; ") + name + ": " + done.message;
            continue;
        }
        TRY(settle());
        if (done.outcome == display::StepOutcome::Failed)
            return Error { ErrorCode::Failed, done.message };
        return {};
    }
    return Error { ErrorCode::NotFound, notHere };
}

}  // namespace tools
