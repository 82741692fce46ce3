#include "tools/PackageTransaction.h"

#include "platform/foundation/AtomicFile.h"
#include "platform/foundation/DevicePath.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace tools {

namespace {
using foundation::Error;
using foundation::ErrorCode;

// The pid in a staging folder's name, when the name is one.
std::optional<int> ownerOfStaging(const std::string& name)
{
    std::string prefix = PackageTransaction::stagingPrefix;
    if (!name.starts_with(prefix))
        return std::nullopt;
    auto dash = name.find('-', prefix.size());
    if (dash == std::string::npos || dash == prefix.size())
        return std::nullopt;
    int pid = 0;
    for (std::size_t i = prefix.size(); i < dash; ++i) {
        if (name[i] < '0' || name[i] > '9' || pid > 99999999)
            return std::nullopt;
        pid = pid * 10 + (name[i] - '0');
    }
    return pid > 0 ? std::optional<int>(pid) : std::nullopt;
}

void removeStaleStaging(const std::string& root)
{
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(root, ec)) {
        auto owner = ownerOfStaging(entry.path().filename().string());
        if (!owner || ::kill(*owner, 0) == 0 || errno != ESRCH || !entry.is_directory(ec) || entry.is_symlink(ec))
            continue;
        std::error_code removed;
        fs::remove_all(entry.path(), removed);
    }
}

// rename(2) with flags, falling back to plain rename where the file system
// has no such flag: `exchange` false means never replace.
int renameWith(const std::string& from, const std::string& to, unsigned flags)
{
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), flags) == 0)
        return 0;
    return errno;
}
}  // namespace

PackageTransaction::PackageTransaction(std::string root, std::string staging, bool madeRoot)
    : m_root(std::move(root))
    , m_staging(std::move(staging))
    , m_madeRoot(madeRoot)
    , m_open(true)
{
}

PackageTransaction::PackageTransaction(PackageTransaction&& other) noexcept
    : m_root(std::move(other.m_root))
    , m_staging(std::move(other.m_staging))
    , m_madeRoot(other.m_madeRoot)
    , m_open(other.m_open)
    , m_done(std::move(other.m_done))
    , m_asideCount(other.m_asideCount)
{
    other.m_open = false;
}

PackageTransaction::~PackageTransaction()
{
    if (m_open)
        rollBack();
}

foundation::Result<PackageTransaction> PackageTransaction::begin()
{
    std::string root = DevicePath::root();
    std::error_code ec;
    bool madeRoot = !fs::exists(fs::symlink_status(root, ec));
    if (madeRoot && !fs::create_directories(root, ec) && ec)
        return Error::fromErrno("create the device root", root, ec);
    removeStaleStaging(root);
    std::string pattern = root + "/" + stagingPrefix + std::to_string(::getpid()) + "-XXXXXX";
    if (!::mkdtemp(pattern.data())) {
        Error failure = Error::fromErrno("create a staging folder in", root);
        if (madeRoot)
            ::rmdir(root.c_str());
        return failure;
    }
    return PackageTransaction(root, pattern, madeRoot);
}

foundation::Result<std::string> PackageTransaction::stageFile(const std::string& name, const std::string& contents, unsigned mode)
{
    std::string staged = m_staging + "/" + name;
    TRY(foundation::writeFileAtomically(staged, contents, mode));
    return staged;
}

foundation::Result<std::string> PackageTransaction::stageLink(const std::string& name, const std::string& target)
{
    std::string staged = m_staging + "/" + name;
    TRY(foundation::replaceWithSymlink(staged, target));
    return staged;
}

foundation::Status PackageTransaction::makeFolders(const std::string& hostFolder)
{
    fs::path at(m_root);
    for (const auto& part : fs::path(hostFolder).lexically_relative(m_root)) {
        if (part.empty() || part == ".")
            continue;
        if (part == "..")
            return Error { ErrorCode::InvalidArgument, hostFolder + " is not inside the device root " + m_root };
        at /= part;
        struct stat info;
        if (::lstat(at.c_str(), &info) == 0) {
            if (S_ISDIR(info.st_mode))
                continue;
            return Error { ErrorCode::InvalidArgument,
                at.string() + (S_ISLNK(info.st_mode) ? " is a link" : " is not a folder") + " where a folder must be (move it away and install again)" };
        }
        if (::mkdir(at.c_str(), 0755) != 0)
            return Error::fromErrno("create the folder", at.string());
        m_done.push_back({ Done::Kind::MadeFolder, {}, at.string() });
    }
    return {};
}

foundation::Status PackageTransaction::place(const std::string& staged, const std::string& hostDestination)
{
    struct stat info;
    if (::lstat(hostDestination.c_str(), &info) != 0) {
        int error = renameWith(staged, hostDestination, RENAME_NOREPLACE);
        if (error == EINVAL || error == ENOSYS)
            error = ::rename(staged.c_str(), hostDestination.c_str()) == 0 ? 0 : errno;
        if (error != 0)
            return Error::fromErrno("move into place", hostDestination, error);
        m_done.push_back({ Done::Kind::Placed, staged, hostDestination });
        return {};
    }
    if (!S_ISREG(info.st_mode) && !S_ISLNK(info.st_mode))
        return Error { ErrorCode::InvalidArgument, hostDestination + " exists and is neither a file nor a link; it is not replaced (move it away and install again)" };
    int error = renameWith(staged, hostDestination, RENAME_EXCHANGE);
    if (error == 0) {
        m_done.push_back({ Done::Kind::Swapped, staged, hostDestination });
        return {};
    }
    if (error != EINVAL && error != ENOSYS)
        return Error::fromErrno("move into place", hostDestination, error);
    // No swapping on this file system: the old one aside, then the new one in.
    TRY(moveAside(hostDestination));
    if (::rename(staged.c_str(), hostDestination.c_str()) != 0)
        return Error::fromErrno("move into place", hostDestination);
    m_done.push_back({ Done::Kind::Placed, staged, hostDestination });
    return {};
}

foundation::Status PackageTransaction::moveAside(const std::string& hostPath)
{
    std::string aside = m_staging + "/old-" + std::to_string(++m_asideCount);
    if (::rename(hostPath.c_str(), aside.c_str()) != 0)
        return Error::fromErrno("move aside", hostPath);
    m_done.push_back({ Done::Kind::MovedAside, aside, hostPath });
    return {};
}

void PackageTransaction::finish()
{
    if (!m_open)
        return;
    m_open = false;
    m_done.clear();
    std::error_code ec;
    fs::remove_all(m_staging, ec);
}

std::vector<std::string> PackageTransaction::rollBack()
{
    std::vector<std::string> failures;
    if (!m_open)
        return failures;
    m_open = false;
    for (auto done = m_done.rbegin(); done != m_done.rend(); ++done) {
        int failed = 0;
        switch (done->kind) {
        case Done::Kind::MadeFolder:
            failed = ::rmdir(done->destination.c_str()) == 0 ? 0 : errno;
            break;
        case Done::Kind::Placed:
            failed = ::rename(done->destination.c_str(), done->staged.c_str()) == 0 ? 0 : errno;
            break;
        case Done::Kind::Swapped:
            failed = renameWith(done->staged, done->destination, RENAME_EXCHANGE);
            break;
        case Done::Kind::MovedAside:
            failed = ::rename(done->staged.c_str(), done->destination.c_str()) == 0 ? 0 : errno;
            break;
        }
        if (failed != 0)
            failures.push_back(Error::fromErrno("put back", done->destination, failed).message);
    }
    m_done.clear();
    std::error_code ec;
    fs::remove_all(m_staging, ec);
    if (m_madeRoot)
        ::rmdir(m_root.c_str());
    return failures;
}

}  // namespace tools
