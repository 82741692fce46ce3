#pragma once

// Every file the platform reads whole is opened here: opening never blocks
// and only a regular file is read. A FIFO in place of a file would block
// open() and then read() for ever; a device or a socket is no file either.
// The open is non-blocking, the type is judged on what was opened (fstat,
// so nothing can be swapped in between), and anything but a regular file is
// refused with a message naming the path, what is there and what to do.
// Links are followed, as any reader follows them.

#include "platform/foundation/FileDescriptor.h"
#include "platform/foundation/Result.h"

#include <cstdint>
#include <string>
#include <sys/types.h>

namespace foundation {

class RegularFile {
public:
    // NotFound for a missing file, PermissionDenied for one we may not read,
    // FileSystem for a folder or anything else that is not a regular file.
    [[nodiscard]] static Result<RegularFile> open(const std::string& path);

    int fd() const { return m_fd.get(); }
    // The size when it was opened.
    std::uint64_t size() const { return m_size; }
    const std::string& path() const { return m_path; }
    // From the current position to the end.
    [[nodiscard]] Result<std::string> readRest();

    // "a FIFO", "a folder", "a socket"...: what a listing of the path shows.
    static const char* kindOf(mode_t mode);

private:
    RegularFile(int fd, std::uint64_t size, std::string path);

    FileDescriptor m_fd;
    std::uint64_t m_size = 0;
    std::string m_path;
};

}  // namespace foundation
