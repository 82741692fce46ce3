#include "kit/ZRFileLock.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#include <utility>

foundation::Result<ZRFileLock> ZRFileLock::acquire(const std::string& hostPath)
{
    using foundation::Error;
    using foundation::ErrorCode;
    std::string path = hostPath + ".lock";
    // No link is followed to the lock file itself: one planted there must not
    // make the lock create or lock a file somewhere else.
    int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0644);
    if (fd < 0)
        return Error { ErrorCode::WriteFailed, "cannot lock " + hostPath + " for writing (" + path + ": " + std::strerror(errno) + ")" };
    int locked = 0;
    while ((locked = ::flock(fd, LOCK_EX)) != 0 && errno == EINTR) { }
    if (locked != 0) {
        int error = errno;
        ::close(fd);
        return Error { ErrorCode::WriteFailed, "cannot lock " + hostPath + " for writing (" + path + ": " + std::strerror(error) + ")" };
    }
    return ZRFileLock(fd);
}

ZRFileLock::ZRFileLock(ZRFileLock&& other) noexcept
    : m_fd(std::exchange(other.m_fd, -1))
{
}

ZRFileLock::~ZRFileLock()
{
    if (m_fd >= 0)
        ::close(m_fd);  // closing the only descriptor lets the lock go
}
