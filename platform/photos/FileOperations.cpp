#include "platform/photos/FileOperations.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace photos {

int FileOperations::renameNoReplace(const std::filesystem::path& from, const std::filesystem::path& to)
{
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return 0;
    int error = errno;
    if (error != EINVAL && error != ENOSYS && error != EOPNOTSUPP)
        return error;
    // The filesystem cannot do a no-replace rename; a hard link fails the
    // same way when the target exists.
    if (::link(from.c_str(), to.c_str()) != 0)
        return errno;
    ::unlink(from.c_str());
    return 0;
}

void FileOperations::syncDirectory(const std::filesystem::path& folder)
{
    int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
}

Status FileOperations::removeFile(const std::filesystem::path& file)
{
    if (::unlink(file.c_str()) != 0 && errno != ENOENT)
        return Error::fromErrno("remove", file.string());
    return {};
}

std::vector<std::filesystem::path> FileOperations::listFolder(const std::filesystem::path& folder)
{
    std::vector<std::filesystem::path> entries;
    std::error_code error;
    std::filesystem::directory_iterator it(folder, error);
    for (; !error && it != std::filesystem::directory_iterator(); it.increment(error))
        entries.push_back(it->path());
    return entries;
}

}  // namespace photos
