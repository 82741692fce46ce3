#include "platform/photos/AssetFileWriter.h"

#include "platform/foundation/FileDescriptor.h"
#include "platform/photos/CameraRollNaming.h"
#include "platform/photos/FileOperations.h"
#include "platform/photos/IdentifierGenerator.h"
#include "platform/photos/MediaDirectory.h"
#include "platform/photos/SetAsideFile.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace photos {

namespace {

Status copyContents(int from, int to, const std::filesystem::path& source, const std::filesystem::path& target)
{
    std::vector<char> buffer(1 << 20);
    for (;;) {
        ssize_t got = ::read(from, buffer.data(), buffer.size());
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return Error::fromErrno("read", source.string(), errno);
        }
        if (got == 0)
            return {};
        const char* data = buffer.data();
        std::size_t left = static_cast<std::size_t>(got);
        while (left > 0) {
            ssize_t put = ::write(to, data, left);
            if (put < 0) {
                if (errno == EINTR)
                    continue;
                return Error::fromErrno("write", target.string(), errno);
            }
            data += put;
            left -= static_cast<std::size_t>(put);
        }
    }
}

}  // namespace

AssetFileWriter::AssetFileWriter(const MediaDirectory& directory)
    : m_directory(directory)
{
}

Result<std::string> AssetFileWriter::copyIn(const std::filesystem::path& source, std::string_view extension,
    std::int64_t firstNumber) const
{
    foundation::FileDescriptor input(::open(source.c_str(), O_RDONLY | O_CLOEXEC));
    if (input.get() < 0)
        return Error::fromErrno("open", source.string(), errno);
    struct stat info { };
    if (::fstat(input.get(), &info) != 0)
        return Error::fromErrno("inspect", source.string(), errno);
    if (!S_ISREG(info.st_mode))
        return Error { ErrorCode::InvalidArgument, source.string() + " is not a regular file" };

    auto folder = m_directory.cameraFolder();
    auto temporary = folder / (std::string(temporaryPrefix) + IdentifierGenerator::randomHex(12));
    foundation::FileDescriptor output(::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644));
    if (output.get() < 0)
        return Error::fromErrno("create", temporary.string(), errno);

    auto copied = copyContents(input.get(), output.get(), source, temporary);
    // The data must be on disk before the name points at it, or a power cut
    // could leave a named but empty asset.
    if (copied && ::fsync(output.get()) != 0)
        copied = Error::fromErrno("flush", temporary.string(), errno);
    if (output.close() != 0 && copied)
        copied = Error::fromErrno("finish writing", temporary.string(), errno);
    // A temporary that cannot be removed here is swept by a later open
    // (removeTemporariesOlderThan), so the copy's own failure is the one told.
    if (!copied) {
        (void)FileOperations::removeFile(temporary);
        return copied.error();
    }

    constexpr int maximumAttempts = 100000;
    std::int64_t number = std::max<std::int64_t>(firstNumber, 1);
    for (int attempt = 0; attempt < maximumAttempts; ++attempt, ++number) {
        std::string name = CameraRollNaming::fileName(number, extension);
        int error = FileOperations::renameNoReplace(temporary, folder / name);
        if (error == 0) {
            FileOperations::syncDirectory(folder);
            return name;
        }
        if (error != EEXIST) {
            (void)FileOperations::removeFile(temporary);
            return Error::fromErrno("name", (folder / name).string(), error);
        }
    }
    (void)FileOperations::removeFile(temporary);
    return Error { ErrorCode::FileSystem, "no free file name left in " + folder.string() };
}

std::int64_t AssetFileWriter::highestNumberOnDisk() const
{
    std::int64_t highest = 0;
    for (const auto& entry : FileOperations::listFolder(m_directory.cameraFolder())) {
        std::string name = entry.filename().string();
        if (auto original = SetAsideFile::originalNameOf(name))
            name = *original;
        if (auto number = CameraRollNaming::numberOf(name))
            highest = std::max(highest, *number);
    }
    return highest;
}

void AssetFileWriter::removeTemporariesOlderThan(std::chrono::seconds age) const
{
    auto now = std::filesystem::file_time_type::clock::now();
    for (const auto& entry : FileOperations::listFolder(m_directory.cameraFolder())) {
        if (entry.filename().string().rfind(temporaryPrefix, 0) != 0)
            continue;
        std::error_code error;
        auto written = std::filesystem::last_write_time(entry, error);
        if (!error && now - written > age)
            (void)FileOperations::removeFile(entry);
    }
}

}  // namespace photos
