#include "platform/foundation/RegularFile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace foundation {

RegularFile::RegularFile(int fd, std::uint64_t size, std::string path)
    : m_fd(fd)
    , m_size(size)
    , m_path(std::move(path))
{
}

const char* RegularFile::kindOf(mode_t mode)
{
    if (S_ISREG(mode))
        return "a regular file";
    if (S_ISDIR(mode))
        return "a folder";
    if (S_ISFIFO(mode))
        return "a FIFO";
    if (S_ISSOCK(mode))
        return "a socket";
    if (S_ISCHR(mode))
        return "a character device";
    if (S_ISBLK(mode))
        return "a block device";
    if (S_ISLNK(mode))
        return "a symbolic link";
    return "not a regular file";
}

Result<RegularFile> RegularFile::open(const std::string& path)
{
    // O_NONBLOCK: opening a FIFO for reading would otherwise wait for a
    // writer that may never come. A regular file ignores the flag.
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0)
        return Error::fromErrno("read", path);
    RegularFile file(fd, 0, path);
    struct stat info { };
    if (::fstat(fd, &info) != 0)
        return Error::fromErrno("read", path);
    if (S_ISDIR(info.st_mode))
        return Error::fromErrno("read", path, EISDIR);
    if (!S_ISREG(info.st_mode))
        return Error { ErrorCode::FileSystem,
            "cannot read " + path + ": it is " + kindOf(info.st_mode)
                + ", not a regular file; nothing was read from it (remove it, or put the file it stands for in its place)" };
    file.m_size = static_cast<std::uint64_t>(info.st_size);
    return file;
}

Result<std::string> RegularFile::readRest()
{
    std::string bytes;
    char buffer[65536];
    for (;;) {
        ssize_t n = ::read(m_fd.get(), buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return Error::fromErrno("read", m_path);
        if (n == 0)
            return bytes;
        bytes.append(buffer, static_cast<std::size_t>(n));
    }
}

}  // namespace foundation
