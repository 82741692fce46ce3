#pragma once

// An exclusive hold on "<file>.lock" beside a file for one whole
// read-change-write of that file, so that two writers, in one process or
// in several, never load the same old copy and then write over each
// other's change. Every writer of the file takes it; readers need not,
// since each write replaces the file whole. It is flock(2): the kernel
// lets go when the holder closes it or dies, so a killed writer never
// leaves the file locked. Holding it twice in one thread waits for ever.

#include "platform/foundation/Result.h"

#include <string>

class ZRFileLock {
public:
    // Waits until no one else holds the lock of the file at `hostPath` (a
    // host path, already checked to lie inside the device root). Fails,
    // saying why, when the lock file cannot be opened: its folder is
    // missing, is not a folder, or may not be written.
    static foundation::Result<ZRFileLock> acquire(const std::string& hostPath);

    ZRFileLock(ZRFileLock&& other) noexcept;
    ZRFileLock(const ZRFileLock&) = delete;
    ZRFileLock& operator=(const ZRFileLock&) = delete;
    ZRFileLock& operator=(ZRFileLock&&) = delete;
    ~ZRFileLock();

private:
    explicit ZRFileLock(int fd)
        : m_fd(fd)
    {
    }
    int m_fd = -1;
};
