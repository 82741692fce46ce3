#include "platform/foundation/AtomicFile.h"

#include "platform/foundation/RegularFile.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <random>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

namespace foundation {

namespace {

constexpr std::string_view temporarySuffix = ".part";
constexpr std::size_t randomLength = 10;

std::string folderOf(const std::string& path)
{
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    if (slash == 0)
        return "/";
    return path.substr(0, slash);
}

std::string_view fileNameOf(std::string_view path)
{
    const auto slash = path.find_last_of('/');
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

std::string randomCharacters()
{
    static constexpr char alphabet[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    std::random_device device;
    std::uniform_int_distribution<int> pick(0, static_cast<int>(sizeof alphabet) - 2);
    std::string s(randomLength, 'x');
    for (char& ch : s)
        ch = alphabet[pick(device)];
    return s;
}

void syncFolder(const std::string& folder)
{
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    // Best effort: the rename already happened; this only hardens it
    // against a power cut.
    (void)::fsync(fd);
    ::close(fd);
}

// Nothing, or why what is at `destination` may not be replaced.
std::optional<Error> refusalOf(const std::string& destination, bool linkAllowed)
{
    struct stat existing;
    if (::lstat(destination.c_str(), &existing) != 0)
        return std::nullopt;
    if (S_ISREG(existing.st_mode) || (linkAllowed && S_ISLNK(existing.st_mode)))
        return std::nullopt;
    std::string what = RegularFile::kindOf(existing.st_mode);
    if (!S_ISLNK(existing.st_mode) && !S_ISDIR(existing.st_mode))
        what += ", not a regular file";
    return Error { ErrorCode::WriteFailed,
        destination + " exists and is " + what + "; it is not replaced (move it away and try again)" };
}

// A rename that fails with EEXIST rather than replace what appeared at `to`
// since it was last looked at. Where the file system cannot rename so, a
// hard link does the same (it never replaces either).
bool renameAsNew(const std::string& from, const std::string& to)
{
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS)
        return false;
    if (::link(from.c_str(), to.c_str()) != 0)
        return false;
    ::unlink(from.c_str());
    return true;
}

// Whatever the reason, a write that cannot happen is WriteFailed to the
// caller (the export session tells the user so).
Error writeFailure(std::string_view operation, std::string_view path, int error)
{
    Error failure = Error::fromErrno(operation, path, error);
    failure.code = ErrorCode::WriteFailed;
    return failure;
}

}  // namespace

AtomicFile::AtomicFile(int fd, std::string tempPath, std::string destination)
    : m_fd(fd)
    , m_tempPath(std::move(tempPath))
    , m_destination(std::move(destination))
{
}

AtomicFile::AtomicFile(AtomicFile&& other) noexcept
    : m_fd(other.m_fd)
    , m_tempPath(std::move(other.m_tempPath))
    , m_destination(std::move(other.m_destination))
{
    other.m_fd = -1;
    other.m_tempPath.clear();
}

AtomicFile& AtomicFile::operator=(AtomicFile&& other) noexcept
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

AtomicFile::~AtomicFile()
{
    discard();
}

std::string AtomicFile::temporaryName(std::string_view fileName, int pid, std::string_view random)
{
    std::string tail = "." + std::to_string(pid) + "-" + std::string(random) + std::string(temporarySuffix);
    const std::size_t room = NAME_MAX - 1 - tail.size();
    if (fileName.size() > room) {
        std::size_t cut = room;
        // Never half a UTF-8 character: back up over continuation bytes.
        while (cut > 0 && (static_cast<unsigned char>(fileName[cut]) & 0xC0) == 0x80)
            --cut;
        fileName = fileName.substr(0, cut);
    }
    return "." + std::string(fileName) + tail;
}

Result<AtomicFile> AtomicFile::create(const std::string& destination, std::optional<unsigned> mode)
{
    if (destination.empty() || destination.back() == '/')
        return Error { ErrorCode::InvalidArgument, "not a file name: '" + destination + "' (name a file to write)" };
    if (auto refused = refusalOf(destination, false))
        return *refused;
    const std::string folder = folderOf(destination);
    removeStaleTemporaries(folder);
    for (int attempt = 0; attempt < 64; ++attempt) {
        std::string temp = folder + "/" + temporaryName(fileNameOf(destination), ::getpid(), randomCharacters());
        const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode ? *mode : 0666);
        if (fd < 0 && errno == EEXIST)
            continue;
        if (fd < 0)
            return writeFailure("create a file next to", destination, errno);
        AtomicFile file(fd, std::move(temp), destination);
        if (mode && ::fchmod(fd, *mode) != 0)
            return writeFailure("set the permissions of", file.m_tempPath, errno);
        return file;
    }
    return Error { ErrorCode::WriteFailed, "cannot find a free temporary name next to " + destination + " (clear the folder's hidden .part files)" };
}

Status AtomicFile::write(std::string_view bytes)
{
    if (m_fd < 0)
        return Error { ErrorCode::InvalidState, "the file for " + m_destination + " was already finished" };
    while (!bytes.empty()) {
        const ssize_t n = ::write(m_fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return writeFailure("write", m_destination, n < 0 ? errno : EIO);
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return {};
}

Status AtomicFile::copyFrom(const std::string& sourcePath)
{
    const int source = ::open(sourcePath.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (source < 0)
        return Error::fromErrno("read", sourcePath);
    struct stat info;
    if (::fstat(source, &info) != 0 || !S_ISREG(info.st_mode)) {
        const int error = errno;
        ::close(source);
        return S_ISREG(info.st_mode) ? Error::fromErrno("inspect", sourcePath, error)
                                     : Error { ErrorCode::InvalidArgument, sourcePath + " is not a regular file; it is not copied" };
    }
    Status copied;
    char buffer[1 << 16];
    while (copied) {
        const ssize_t n = ::read(source, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            copied = Error::fromErrno("read", sourcePath);
        if (n <= 0)
            break;
        copied = write(std::string_view(buffer, static_cast<std::size_t>(n)));
    }
    ::close(source);
    return copied;
}

Status AtomicFile::commit()
{
    return finish(true);
}

Status AtomicFile::commitAsNew()
{
    return finish(false);
}

Status AtomicFile::finish(bool replace)
{
    if (m_fd < 0)
        return Error { ErrorCode::InvalidState, "the file for " + m_destination + " was already finished" };
    auto fail = [this](Error error) -> Status {
        discard();
        return error;
    };
    // Checked again: something may have taken the name while we wrote.
    if (auto refused = refusalOf(m_destination, false))
        return fail(*refused);
    struct stat existing;
    if (!replace && ::lstat(m_destination.c_str(), &existing) == 0)
        return fail(Error { ErrorCode::WriteFailed, m_destination + " already exists; it is not replaced (choose a new name)" });
    if (::fsync(m_fd) != 0)
        return fail(writeFailure("flush", m_destination, errno));
    const int closed = ::close(m_fd);
    m_fd = -1;
    if (closed != 0)
        return fail(writeFailure("close", m_destination, errno));
    if (replace ? ::rename(m_tempPath.c_str(), m_destination.c_str()) != 0 : !renameAsNew(m_tempPath, m_destination)) {
        if (!replace && errno == EEXIST)
            return fail(Error { ErrorCode::WriteFailed, m_destination + " already exists; it is not replaced (choose a new name)" });
        return fail(writeFailure("move the finished file to", m_destination, errno));
    }
    m_tempPath.clear();
    syncFolder(folderOf(m_destination));
    return {};
}

void AtomicFile::discard()
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

std::optional<int> AtomicFile::ownerOfTemporary(std::string_view fileName)
{
    // ".<name>.<pid>-<10 characters>.part", read from the end: the name may
    // hold dots and dashes of its own.
    if (fileName.size() < 1 + 1 + 1 + 1 + 1 + randomLength + temporarySuffix.size() || fileName.front() != '.'
        || !fileName.ends_with(temporarySuffix))
        return std::nullopt;
    std::string_view stem = fileName.substr(0, fileName.size() - temporarySuffix.size());
    std::string_view random = stem.substr(stem.size() - randomLength);
    if (random.find_first_not_of("abcdefghijklmnopqrstuvwxyz0123456789") != std::string_view::npos)
        return std::nullopt;
    stem.remove_suffix(randomLength);
    if (!stem.ends_with('-'))
        return std::nullopt;
    stem.remove_suffix(1);
    const auto dot = stem.find_last_of('.');
    if (dot == std::string_view::npos || dot <= 1)
        return std::nullopt;
    std::string_view digits = stem.substr(dot + 1);
    if (digits.empty() || digits.size() > 9 || digits.find_first_not_of("0123456789") != std::string_view::npos)
        return std::nullopt;
    int pid = 0;
    for (char ch : digits)
        pid = pid * 10 + (ch - '0');
    return pid > 0 ? std::optional<int>(pid) : std::nullopt;
}

std::vector<std::string> AtomicFile::removeStaleTemporaries(const std::string& folder)
{
    std::vector<std::string> removed;
    DIR* dir = ::opendir(folder.c_str());
    if (!dir)
        return removed;
    while (const dirent* entry = ::readdir(dir)) {
        auto owner = ownerOfTemporary(entry->d_name);
        // EPERM is a live process of another user: not ours to judge.
        if (!owner || ::kill(*owner, 0) == 0 || errno != ESRCH)
            continue;
        std::string path = folder + "/" + entry->d_name;
        struct stat st;
        if (::lstat(path.c_str(), &st) == 0 && (S_ISREG(st.st_mode) || S_ISLNK(st.st_mode)) && ::unlink(path.c_str()) == 0)
            removed.push_back(path);
    }
    ::closedir(dir);
    return removed;
}

Status writeFileAtomically(const std::string& destination, std::string_view bytes, std::optional<unsigned> mode)
{
    auto file = TRY(AtomicFile::create(destination, mode));
    TRY(file.write(bytes));
    return file.commit();
}

Status replaceWithSymlink(const std::string& destination, const std::string& linkTarget)
{
    if (auto refused = refusalOf(destination, true))
        return *refused;
    const std::string folder = folderOf(destination);
    AtomicFile::removeStaleTemporaries(folder);
    for (int attempt = 0; attempt < 64; ++attempt) {
        std::string temp = folder + "/" + AtomicFile::temporaryName(fileNameOf(destination), ::getpid(), randomCharacters());
        if (::symlink(linkTarget.c_str(), temp.c_str()) != 0) {
            if (errno == EEXIST)
                continue;
            return writeFailure("create a link next to", destination, errno);
        }
        if (::rename(temp.c_str(), destination.c_str()) != 0) {
            const int error = errno;
            ::unlink(temp.c_str());
            return writeFailure("move the new link to", destination, error);
        }
        syncFolder(folder);
        return {};
    }
    return Error { ErrorCode::WriteFailed, "cannot find a free temporary name next to " + destination + " (clear the folder's hidden .part files)" };
}

}  // namespace foundation
