#pragma once

// A process the harness starts, reads and kills. It runs in a process group
// of its own, so a kill reaches whatever it started too, and its standard
// output comes back line by line through a pipe.

#include <chrono>
#include <optional>
#include <string>
#include <sys/types.h>
#include <utility>
#include <vector>

namespace reliability {

class ChildProcess {
public:
    struct Setup {
        Setup(std::vector<std::string> arguments, std::string errorLog = {}, std::optional<long long> fileSizeLimit = {})
            : arguments(std::move(arguments))
            , errorLog(std::move(errorLog))
            , fileSizeLimit(fileSizeLimit)
        {
        }
        std::vector<std::string> arguments;
        // Where standard error goes; /dev/null when empty.
        std::string errorLog;
        // RLIMIT_FSIZE in bytes, with SIGXFSZ left at its default.
        std::optional<long long> fileSizeLimit;
    };

    explicit ChildProcess(const Setup& setup);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    pid_t pid() const { return m_pid; }
    // The next whole line of output; nothing at the end of output or when
    // `timeout` passes first.
    std::optional<std::string> readLine(std::chrono::milliseconds timeout);
    // Everything left of its output, up to its end.
    std::string readRest();
    // Signals the whole group.
    void kill(int signal);
    // The raw wait status.
    int wait();
    // Waits for at most `timeout`; false when it still runs.
    bool waitFor(std::chrono::milliseconds timeout, int& status);

private:
    pid_t m_pid = -1;
    int m_output = -1;
    std::string m_buffer;
    bool m_reaped = false;
    int m_status = 0;
};

// `marqel --root ROOT WORDS...`, its standard error going to `errorLog`.
ChildProcess::Setup marqelCommand(const std::string& marqel, const std::string& root, std::vector<std::string> words,
    const std::string& errorLog);

// Runs a command to its end and returns its exit status (128 + signal for a
// signal), its output in `output`.
int runToEnd(const ChildProcess::Setup& setup, std::string* output = nullptr,
    std::chrono::milliseconds timeout = std::chrono::minutes(10));

}  // namespace reliability
