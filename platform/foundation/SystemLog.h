#pragma once

// The device's system log: one file under the device root that every
// simulated process appends to, plus this process's own lines in memory.

#include <mutex>
#include <string>
#include <vector>

class SystemLog {
public:
    static SystemLog& shared();
    static constexpr const char* devicePath = "/var/log/system.log";

    void write(const std::string& message);
    // Also print each line on stderr (the command's --verbose).
    void setEcho(bool echo);
    // This process's lines, from index `from` on.
    std::vector<std::string> lines(std::size_t from = 0) const;
    std::size_t lineCount() const;
    // Forgets this process's lines (the file keeps them), for a test that
    // starts afresh.
    void clear();

private:
    mutable std::mutex m_mutex;
    std::vector<std::string> m_lines;
    bool m_echo = false;
    // The log file stays open while the device root stays the same.
    int m_fd = -1;
    std::string m_fdPath;
};
