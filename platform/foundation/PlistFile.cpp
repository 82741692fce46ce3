#include "platform/foundation/AtomicFile.h"
#include "platform/foundation/PropertyList.h"

#include <cerrno>
#include <cstdint>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace plist {

namespace {

foundation::Error tooLarge(const std::string& hostPath, std::uint64_t size)
{
    return foundation::Error { foundation::ErrorCode::UnreadableInput,
        hostPath + ": larger than the " + std::to_string(maxInputBytes / (1024 * 1024)) + " MB a property list may be ("
            + std::to_string(size) + " bytes)" };
}

// The whole file, read with the system calls: a stream reading a folder throws.
foundation::Result<std::string> readBytes(const std::string& hostPath)
{
    using foundation::Error;
    int fd = ::open(hostPath.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return Error::fromErrno("read", hostPath);
    struct stat info { };
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        int error = info.st_mode == 0 ? errno : (S_ISDIR(info.st_mode) ? EISDIR : EINVAL);
        ::close(fd);
        return Error::fromErrno("read", hostPath, error);
    }
    if (static_cast<std::uint64_t>(info.st_size) > maxInputBytes) {
        ::close(fd);
        return tooLarge(hostPath, static_cast<std::uint64_t>(info.st_size));
    }
    std::string bytes;
    char buffer[65536];
    for (;;) {
        ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            int error = errno;
            ::close(fd);
            return Error::fromErrno("read", hostPath, error);
        }
        if (n == 0)
            break;
        bytes.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return bytes;
}

}  // namespace

foundation::Result<PlistValue> readFile(const std::string& hostPath)
{
    std::string bytes = TRY(readBytes(hostPath));
    return parse(bytes).withContext(hostPath);
}

foundation::Status writeFileAtomically(const PlistValue& value, const std::string& hostPath)
{
    std::error_code ec;
    std::filesystem::create_directories(std::filesystem::path(hostPath).parent_path(), ec);
    return foundation::writeFileAtomically(hostPath, toXML(value), 0644);
}

}  // namespace plist
