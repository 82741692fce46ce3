#include "platform/av/AtomicOutputFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <dirent.h>
#include <signal.h>

#include <cerrno>
#include <cstring>
#include <random>

namespace av {

namespace {

std::string errnoText(int err)
{
    return std::strerror(err);
}

std::string directoryOf(const std::string& path)
{
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    if (slash == 0)
        return "/";
    return path.substr(0, slash);
}

std::string baseNameOf(const std::string& path)
{
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string randomSuffix()
{
    static constexpr char alphabet[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    std::random_device rd;
    std::uniform_int_distribution<int> pick(0, static_cast<int>(sizeof alphabet) - 2);
    std::string s(10, 'x');
    for (char& ch : s)
        ch = alphabet[pick(rd)];
    return s;
}

void syncDirectory(const std::string& dir)
{
    const int dfd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd < 0)
        return;
    // Best effort: the rename already happened; this only hardens it
    // against a power cut.
    (void)::fsync(dfd);
    ::close(dfd);
}

}  // namespace

AtomicOutputFile::AtomicOutputFile(int fd, std::string tempPath, std::string destination)
    : m_fd(fd)
    , m_tempPath(std::move(tempPath))
    , m_destination(std::move(destination))
{
}

AtomicOutputFile::AtomicOutputFile(AtomicOutputFile&& other) noexcept
    : m_fd(other.m_fd)
    , m_tempPath(std::move(other.m_tempPath))
    , m_destination(std::move(other.m_destination))
{
    other.m_fd = -1;
    other.m_tempPath.clear();
}

AtomicOutputFile& AtomicOutputFile::operator=(AtomicOutputFile&& other) noexcept
{
    if (this != &other) {
        discard();
        m_fd = other.m_fd;
        m_tempPath = std::move(other.m_tempPath);
        m_destination = std::move(other.m_destination);
        other.m_fd = -1;
        other.m_tempPath.clear();
    }
    return *this;
}

AtomicOutputFile::~AtomicOutputFile()
{
    discard();
}

Result<AtomicOutputFile> AtomicOutputFile::create(const std::string& destination)
{
    if (destination.empty() || destination.back() == '/')
        return Error { ErrorCode::InvalidArgument, "output path is not a file name: '" + destination + "'" };
    const std::string dir = directoryOf(destination);
    const std::string base = baseNameOf(destination);
    for (int attempt = 0; attempt < 64; ++attempt) {
        // The owner's pid in the name lets a later start-up tell the files
        // of a process that was killed from those still being written.
        std::string temp = dir + "/." + base + "." + std::to_string(::getpid()) + "-" + randomSuffix() + ".part";
        const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd >= 0)
            return AtomicOutputFile(fd, std::move(temp), destination);
        if (errno == EEXIST)
            continue;
        return Error { ErrorCode::WriteFailed,
            "cannot create a file next to " + destination + ": " + errnoText(errno) };
    }
    return Error { ErrorCode::WriteFailed, "cannot create a unique temporary file next to " + destination };
}

Status AtomicOutputFile::commit()
{
    if (m_fd < 0)
        return Error { ErrorCode::InvalidState, "output file was already finished" };
    // Renaming over a device, FIFO, socket or folder would replace something
    // that is not ours to replace; a symlink itself is replaced, not followed.
    struct stat existing;
    if (::lstat(m_destination.c_str(), &existing) == 0 && !S_ISREG(existing.st_mode) && !S_ISLNK(existing.st_mode)) {
        discard();
        return Error { ErrorCode::WriteFailed, m_destination + " exists and is not a regular file; it is not replaced" };
    }
    if (::fsync(m_fd) != 0) {
        const int err = errno;
        discard();
        return Error { ErrorCode::WriteFailed, "cannot flush " + m_destination + ": " + errnoText(err) };
    }
    const int closed = ::close(m_fd);
    m_fd = -1;
    if (closed != 0) {
        const int err = errno;
        discard();
        return Error { ErrorCode::WriteFailed, "cannot close " + m_destination + ": " + errnoText(err) };
    }
    if (::rename(m_tempPath.c_str(), m_destination.c_str()) != 0) {
        const int err = errno;
        discard();
        return Error { ErrorCode::WriteFailed, "cannot move the finished file to " + m_destination + ": " + errnoText(err) };
    }
    m_tempPath.clear();
    syncDirectory(directoryOf(m_destination));
    return {};
}

std::optional<int> AtomicOutputFile::ownerOfTemporary(const std::string& fileName)
{
    // ".<name>.<pid>-<10 characters>.part"
    static constexpr std::string_view suffix = ".part";
    if (fileName.size() < 1 + suffix.size() + 12 || fileName.front() != '.' || !fileName.ends_with(suffix))
        return std::nullopt;
    const std::string stem = fileName.substr(0, fileName.size() - suffix.size());
    const auto dash = stem.find_last_of('-');
    const auto dot = stem.find_last_of('.', dash);
    if (dash == std::string::npos || dot == std::string::npos || dot == 0 || stem.size() - dash - 1 != 10 || dash - dot - 1 == 0 || dash - dot - 1 > 9)
        return std::nullopt;
    int pid = 0;
    for (std::size_t i = dot + 1; i < dash; ++i) {
        if (stem[i] < '0' || stem[i] > '9')
            return std::nullopt;
        pid = pid * 10 + (stem[i] - '0');
    }
    return pid > 0 ? std::optional<int>(pid) : std::nullopt;
}

std::vector<std::string> AtomicOutputFile::removeStaleTemporaries(const std::string& folder)
{
    std::vector<std::string> removed;
    DIR* dir = ::opendir(folder.c_str());
    if (!dir)
        return removed;
    while (const dirent* entry = ::readdir(dir)) {
        auto owner = ownerOfTemporary(entry->d_name);
        // EPERM means a live process of another user: not ours to judge.
        if (!owner || ::kill(*owner, 0) == 0 || errno != ESRCH)
            continue;
        std::string path = folder + "/" + entry->d_name;
        struct stat st;
        if (::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::unlink(path.c_str()) == 0)
            removed.push_back(path);
    }
    ::closedir(dir);
    return removed;
}

void AtomicOutputFile::discard()
{
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
    if (!m_tempPath.empty()) {
        ::unlink(m_tempPath.c_str());
        m_tempPath.clear();
    }
}

}  // namespace av
