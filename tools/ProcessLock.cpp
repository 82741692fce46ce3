#include "tools/ProcessLock.h"

#include "platform/foundation/DevicePath.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tools {

using foundation::Error;
using foundation::ErrorCode;

namespace {
std::string lockDevicePath(const std::string& role) { return "/var/run/marqel-" + role + ".lock"; }

// The pid the holder wrote into the file, for messages.
std::string holderText(int fd)
{
    char text[32] = {};
    ssize_t n = ::pread(fd, text, sizeof text - 1, 0);
    std::string holder = n > 0 ? std::string(text, static_cast<std::size_t>(n)) : std::string("another process");
    while (!holder.empty() && (holder.back() == '\n' || holder.back() == ' '))
        holder.pop_back();
    return holder;
}
}  // namespace

std::optional<std::string> ProcessLock::holder(const std::string& role)
{
    auto host = DevicePath::toHost(lockDevicePath(role));
    if (!host)
        return std::nullopt;
    int fd = ::open(host.value().c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    // A shared lock is refused only while a holder has the exclusive one.
    std::optional<std::string> holder;
    if (::flock(fd, LOCK_SH | LOCK_NB) != 0) {
        if (errno == EWOULDBLOCK)
            holder = holderText(fd);
    } else {
        ::flock(fd, LOCK_UN);
    }
    ::close(fd);
    return holder;
}

foundation::Result<ProcessLock> ProcessLock::acquire(const std::string& role)
{
    const std::string devicePath = lockDevicePath(role);
    TRY(DevicePath::makeParents(devicePath));
    auto host = TRY(DevicePath::toHost(devicePath));
    // A FIFO or a link planted at the lock's name is neither opened for
    // ever nor followed.
    int fd = ::open(host.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0644);
    if (fd < 0) {
        Error failure = Error::fromErrno("open the lock", host, errno, ErrorCode::WriteFailed);
        failure.message += " (if something else is at that name, move it away and try again)";
        return failure;
    }
    struct stat info;
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return Error { ErrorCode::WriteFailed, host + " is not a regular file, so it cannot serve as the lock; remove it and try again" };
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        int why = errno;
        std::string holder = holderText(fd);
        ::close(fd);
        if (why != EWOULDBLOCK)
            return Error { ErrorCode::Failed, "cannot lock " + host + ": " + std::strerror(why) };
        return Error { ErrorCode::InvalidState,
            "another " + role + " (process " + holder + ") is running on the device root " + DevicePath::root()
                + "; wait for it to end, or use another --root" };
    }
    // Who holds it, for the next one's message; the lock, not this text,
    // is what counts.
    std::string pid = std::to_string(::getpid()) + "\n";
    if (::ftruncate(fd, 0) == 0)
        (void)!::pwrite(fd, pid.data(), pid.size(), 0);  // only the message of a later refusal depends on it
    return ProcessLock(fd);
}

ProcessLock::ProcessLock(ProcessLock&& other) noexcept
    : m_fd(other.m_fd)
{
    other.m_fd = -1;
}

ProcessLock::~ProcessLock()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

}  // namespace tools
