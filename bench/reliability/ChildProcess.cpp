#include "bench/reliability/ChildProcess.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <stdexcept>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace reliability {

ChildProcess::ChildProcess(const Setup& setup)
{
    int pipeEnds[2];
    if (::pipe2(pipeEnds, O_CLOEXEC) != 0)
        throw std::runtime_error("cannot make a pipe");
    std::vector<char*> argv;
    for (const auto& argument : setup.arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    m_pid = ::fork();
    if (m_pid < 0)
        throw std::runtime_error("cannot fork");
    if (m_pid == 0) {
        ::setpgid(0, 0);
        ::dup2(pipeEnds[1], STDOUT_FILENO);
        int error = ::open(setup.errorLog.empty() ? "/dev/null" : setup.errorLog.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
        if (error >= 0)
            ::dup2(error, STDERR_FILENO);
        int input = ::open("/dev/null", O_RDONLY);
        if (input >= 0)
            ::dup2(input, STDIN_FILENO);
        if (setup.fileSizeLimit) {
            rlimit limit { static_cast<rlim_t>(*setup.fileSizeLimit), static_cast<rlim_t>(*setup.fileSizeLimit) };
            ::setrlimit(RLIMIT_FSIZE, &limit);
        }
        ::signal(SIGXFSZ, SIG_DFL);
        ::signal(SIGPIPE, SIG_DFL);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    // Set from both sides, so a kill straight after the fork finds the group.
    ::setpgid(m_pid, m_pid);
    ::close(pipeEnds[1]);
    m_output = pipeEnds[0];
}

ChildProcess::~ChildProcess()
{
    if (!m_reaped) {
        kill(SIGKILL);
        wait();
    }
    if (m_output >= 0)
        ::close(m_output);
}

std::optional<std::string> ChildProcess::readLine(std::chrono::milliseconds timeout)
{
    auto deadline = std::chrono::steady_clock::now() + timeout;
    while (true) {
        auto newline = m_buffer.find('\n');
        if (newline != std::string::npos) {
            std::string line = m_buffer.substr(0, newline);
            m_buffer.erase(0, newline + 1);
            return line;
        }
        if (m_output < 0)
            return std::nullopt;
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            return std::nullopt;
        pollfd entry { m_output, POLLIN, 0 };
        int ready = ::poll(&entry, 1, static_cast<int>(left.count()));
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0)
            return std::nullopt;
        char chunk[4096];
        ssize_t n = ::read(m_output, chunk, sizeof chunk);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            ::close(m_output);
            m_output = -1;
            continue;
        }
        m_buffer.append(chunk, static_cast<std::size_t>(n));
    }
}

std::string ChildProcess::readRest()
{
    std::string rest;
    while (auto line = readLine(std::chrono::minutes(10)))
        rest += *line + "\n";
    rest += m_buffer;
    m_buffer.clear();
    return rest;
}

void ChildProcess::kill(int signal)
{
    if (!m_reaped)
        ::kill(-m_pid, signal);
}

int ChildProcess::wait()
{
    while (!m_reaped) {
        int status = 0;
        if (::waitpid(m_pid, &status, 0) == m_pid) {
            m_reaped = true;
            m_status = status;
        } else if (errno != EINTR)
            break;
    }
    // Anything the child started dies with it rather than outliving the trial.
    ::kill(-m_pid, SIGKILL);
    return m_status;
}

bool ChildProcess::waitFor(std::chrono::milliseconds timeout, int& status)
{
    auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!m_reaped) {
        int raw = 0;
        pid_t done = ::waitpid(m_pid, &raw, WNOHANG);
        if (done == m_pid) {
            m_reaped = true;
            m_status = raw;
            ::kill(-m_pid, SIGKILL);
            break;
        }
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        // A harness process may wait on another process; only tests never sleep.
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    status = m_status;
    return true;
}

int runToEnd(const ChildProcess::Setup& setup, std::string* output, std::chrono::milliseconds timeout)
{
    ChildProcess child(setup);
    std::string text;
    auto deadline = std::chrono::steady_clock::now() + timeout;
    while (auto line = child.readLine(std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now())))
        text += *line + "\n";
    int status = 0;
    if (!child.waitFor(std::chrono::milliseconds(std::max<long long>(0, std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now()).count())), status)) {
        child.kill(SIGKILL);
        status = child.wait();
    }
    if (output)
        *output = text;
    if (WIFEXITED(status))
        return WEXITSTATUS(status);
    return 128 + (WIFSIGNALED(status) ? WTERMSIG(status) : 0);
}

ChildProcess::Setup marqelCommand(const std::string& marqel, const std::string& root, std::vector<std::string> words,
    const std::string& errorLog)
{
    words.insert(words.begin(), { marqel, "--root", root });
    return { words, errorLog };
}

}  // namespace reliability
