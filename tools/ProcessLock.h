#pragma once

// One process at a time for a role on a device root. Two SpringBoards on
// one root would both answer the same recording's notice and crop the same
// movie; the second is told who holds the root instead. The lock is an
// advisory lock on a file under the root, so the system drops it when its
// holder dies, however it dies.

#include "platform/foundation/Result.h"

#include <optional>
#include <string>

namespace tools {

class ProcessLock {
public:
    // Takes the lock named `role` on the current device root, or fails
    // naming the process that holds it.
    static foundation::Result<ProcessLock> acquire(const std::string& role);
    // The process holding the lock `role` on the current device root ("1234"
    // or "another process"), or nothing while no process holds it. Looks
    // without taking it.
    static std::optional<std::string> holder(const std::string& role);

    ProcessLock(ProcessLock&& other) noexcept;
    ProcessLock& operator=(ProcessLock&&) = delete;
    ~ProcessLock();

private:
    explicit ProcessLock(int fd)
        : m_fd(fd)
    {
    }
    int m_fd = -1;
};

}  // namespace tools
