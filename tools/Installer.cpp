#include "tools/Installer.h"

#include "tools/InstallRecord.h"
#include "tools/PackageTransaction.h"

#include "platform/foundation/AtomicFile.h"
#include "platform/foundation/DevicePath.h"
#include "platform/foundation/PathContainment.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <optional>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace tools {

namespace {
using foundation::AtomicFile;
using foundation::Error;
using foundation::ErrorCode;

bool sameFile(const fs::path& a, const fs::path& b)
{
    std::error_code ec;
    if (!fs::is_regular_file(fs::symlink_status(b, ec)) || fs::file_size(a, ec) != fs::file_size(b, ec))
        return false;
    std::ifstream x(a, std::ios::binary), y(b, std::ios::binary);
    return std::equal(std::istreambuf_iterator<char>(x), std::istreambuf_iterator<char>(), std::istreambuf_iterator<char>(y));
}

// Every folder between the root and `devicePath` must be a real folder, so
// that nothing is written through a link to somewhere else. `advice` says
// what to run when one is not.
foundation::Status checkParents(const std::string& devicePath, const std::string& advice)
{
    if (auto problem = Installer::folderProblem(devicePath))
        return Error { ErrorCode::InvalidArgument, "cannot install " + devicePath + ": " + problem->what + "; " + advice };
    TRY(DevicePath::toHost(devicePath));
    return {};
}

std::string removeAndInstallAgain(const Installer::FolderProblem& problem)
{
    return "remove it (`rm " + problem.hostPath + "`; what it points to is not touched) and install the package again";
}

const char* forceRepairs = "run `marqel install --force` to put a real folder in its place (the link is removed, never followed)";

// With --force, a link or file where a folder of ours belongs is removed
// (never followed) and the folder made.
foundation::Status repairFolders(const std::string& devicePath)
{
    while (auto problem = Installer::folderProblem(devicePath)) {
        if (::unlink(problem->hostPath.c_str()) != 0)
            return Error::fromErrno("remove", problem->hostPath).withContext("cannot install " + devicePath);
        if (::mkdir(problem->hostPath.c_str(), 0755) != 0)
            return Error::fromErrno("create the folder", problem->hostPath).withContext("cannot install " + devicePath);
    }
    return {};
}

// Copies through the one writer, so a running process never loads a
// half-written library. Adds the device path to `installed` when it wrote.
foundation::Status copyInto(const fs::path& from, const std::string& devicePath, bool force, std::vector<std::string>& installed)
{
    if (force)
        TRY(repairFolders(devicePath));
    if (auto problem = Installer::folderProblem(devicePath))
        return Error { ErrorCode::InvalidArgument, "cannot install " + devicePath + ": " + problem->what + "; " + forceRepairs };
    // A link where the file belongs is what --force replaces: removed, never
    // followed.
    std::string lexical = (fs::path(DevicePath::root()) / fs::path(devicePath).relative_path()).string();
    std::error_code linkCheck;
    if (fs::is_symlink(fs::symlink_status(lexical, linkCheck))) {
        if (!force)
            return Error { ErrorCode::InvalidArgument,
                "cannot install " + devicePath + ": " + lexical + " is a link to " + fs::read_symlink(lexical, linkCheck).string()
                    + ", where the file belongs; run `marqel install --force` to put the file in its place (the link is removed, never followed)" };
        if (::unlink(lexical.c_str()) != 0)
            return Error::fromErrno("remove the link", lexical).withContext("cannot install " + devicePath);
    }
    TRY(checkParents(devicePath, forceRepairs));
    auto to = TRY(DevicePath::toHost(devicePath));
    if (!force && sameFile(from, to))
        return {};
    std::error_code ec;
    fs::create_directories(fs::path(to).parent_path(), ec);
    struct stat info { };
    if (::stat(from.c_str(), &info) != 0)
        return Error::fromErrno("inspect", from.string()).withContext("cannot install " + devicePath);
    auto file = AtomicFile::create(to, info.st_mode & 0777);
    foundation::Status copied = file ? file.value().copyFrom(from.string()) : foundation::Status(file.error());
    if (copied)
        copied = file.value().commit();
    // On a failure the writer has left nothing half-copied behind.
    TRY(std::move(copied).withContext("cannot install " + devicePath));
    installed.push_back(devicePath);
    return {};
}

// Removes empty folders from `devicePath`'s parent upwards, never the root.
void removeEmptyParents(const std::string& devicePath)
{
    fs::path root(DevicePath::root());
    auto host = DevicePath::toHost(devicePath);
    if (!host)
        return;
    for (fs::path folder = fs::path(host.value()).parent_path(); folder != root && folder.has_relative_path(); folder = folder.parent_path()) {
        std::error_code ec;
        if (fs::is_symlink(fs::symlink_status(folder, ec)) || !fs::is_empty(folder, ec) || ec || !fs::remove(folder, ec))
            return;
    }
}

// Removes a recorded file or link; a folder at that path is not ours, and
// neither is anything past a link where one of its folders should be (it is
// not in the root): that is left, and said in `kept`.
foundation::Status removeRecorded(const std::string& devicePath, std::vector<std::string>& removed, std::vector<std::string>* kept = nullptr)
{
    if (auto problem = Installer::folderProblem(devicePath); problem && kept) {
        kept->push_back(devicePath + " (" + problem->what + "; it is not followed)");
        return {};
    }
    TRY(checkParents(devicePath, forceRepairs));
    auto host = TRY(DevicePath::toHost(devicePath));
    std::error_code ec;
    auto status = fs::symlink_status(host, ec);
    if (!fs::exists(status) || fs::is_directory(status))
        return {};
    // A file already gone counts as removed.
    fs::remove(host, ec);
    if (ec)
        return Error::fromErrno("remove", devicePath, ec);
    removed.push_back(devicePath);
    removeEmptyParents(devicePath);
    return {};
}

// Replacing an install removes what the new one no longer lays.
foundation::Status removeLeftovers(const std::optional<InstallRecord>& previous, const std::vector<std::string>& laid)
{
    if (!previous)
        return {};
    std::set<std::string> keep(laid.begin(), laid.end());
    std::vector<std::string> removed;
    for (const auto& file : previous->files)
        if (!keep.contains(file))
            TRY(removeRecorded(file, removed));
    return {};
}
}  // namespace

Installer::Installer(std::string buildLibraryFolder, std::string resourceFolder)
    : m_libraryFolder(std::move(buildLibraryFolder))
    , m_resourceFolder(std::move(resourceFolder))
{
}

Installer Installer::forThisExecutable()
{
    std::error_code ec;
    fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    fs::path buildRoot = exe.parent_path().parent_path();
    return Installer((buildRoot / "lib").string(), (buildRoot / "resources").string());
}

bool Installer::isInstalled() const
{
    auto tweak = DevicePath::toHost(tweakDevicePath);
    auto filter = DevicePath::toHost(filterDevicePath);
    std::error_code ec;
    return tweak && filter && fs::exists(tweak.value(), ec) && fs::exists(filter.value(), ec);
}

bool Installer::installedFromPackage()
{
    auto record = InstallRecord::load();
    return record && record.value() && record.value()->fromPackage();
}

foundation::Result<std::vector<std::string>> Installer::install(bool force) const
{
    // A forced install writes a new record, so a damaged one does not stop it.
    auto loaded = InstallRecord::load();
    if (!loaded && !force)
        return loaded.error();
    std::optional<InstallRecord> previous = loaded ? loaded.value() : std::nullopt;
    std::vector<std::string> installed;
    std::vector<std::string> laid;
    fs::path tweak = fs::path(m_libraryFolder) / "Marqel.so";
    fs::path filter = fs::path(m_resourceFolder) / "Marqel.plist";
    for (const auto& needed : { tweak, filter })
        if (!fs::exists(needed))
            return Error { ErrorCode::NotFound, "the tweak is not built: " + needed.string() + " is missing (run the build first)" };
    TRY(copyInto(tweak, tweakDevicePath, force, installed));
    laid.push_back(tweakDevicePath);

    // An existing filter is the device owner's to change; only a forced
    // install puts ours back.
    auto filterHost = TRY(DevicePath::toHost(filterDevicePath));
    std::error_code exists;
    if (force || !fs::exists(fs::symlink_status(filterHost, exists)))
        TRY(copyInto(filter, filterDevicePath, true, installed));
    laid.push_back(filterDevicePath);

    // The settings bundle: its executable and resources, when built, and the
    // entry that lists it in Settings. One file that cannot be copied does
    // not stop the others; the install still fails, naming the last one.
    std::optional<Error> failure;
    auto copyBundleFile = [&](const fs::path& from, const std::string& devicePath) {
        if (auto copied = copyInto(from, devicePath, force, installed); !copied)
            failure = copied.error();
        laid.push_back(devicePath);
    };
    fs::path prefs = fs::path(m_libraryFolder) / "MarqelPrefs.so";
    if (fs::exists(prefs)) {
        copyBundleFile(prefs, std::string(bundleDevicePath) + "/MarqelPrefs.so");
        copyBundleFile(fs::path(m_resourceFolder) / "PreferenceLoader" / "MarqelPrefs.plist", settingsEntryDevicePath);
    }
    std::error_code ec;
    fs::path resources = fs::path(m_resourceFolder) / "MarqelPrefs.bundle";
    if (fs::is_directory(resources, ec)) {
        for (const auto& entry : fs::recursive_directory_iterator(resources, ec)) {
            if (!entry.is_regular_file())
                continue;
            std::string relative = fs::relative(entry.path(), resources).string();
            copyBundleFile(entry.path(), std::string(bundleDevicePath) + "/" + relative);
        }
    }
    if (failure)
        return *failure;
    TRY(removeLeftovers(previous, laid));
    TRY((InstallRecord { packageName, "build", InstallRecord::fromBuildFolder, laid }.save()));
    return installed;
}

foundation::Result<std::vector<std::string>> Installer::installPackage(const DebianPackage& package, const std::string& source,
    const StepCheck& beforeStep)
{
    if (package.field("Package") != packageName)
        return Error { ErrorCode::InvalidArgument, "refused package: it is \"" + package.field("Package") + "\", not " + packageName };
    if (package.field("Version").empty())
        return Error { ErrorCode::InvalidArgument, "refused package: it has no version" };
    auto previous = TRY(InstallRecord::load());
    auto step = [&](Step phase, std::size_t index) -> foundation::Status { return beforeStep ? beforeStep(phase, index) : foundation::Status(); };
    // Everything is checked before the first write.
    for (const auto& member : package.members()) {
        if (auto problem = folderProblem(member.devicePath))
            return Error { ErrorCode::InvalidArgument, "cannot install " + member.devicePath + ": " + problem->what + "; " + removeAndInstallAgain(*problem) };
        TRY(checkParents(member.devicePath, ""));
        auto host = TRY(DevicePath::toHost(member.devicePath));
        std::error_code ec;
        auto status = fs::symlink_status(host, ec);
        bool isFolder = member.kind == DebianPackage::Kind::Directory;
        if (fs::exists(status) && fs::is_directory(status) != isFolder)
            return Error { ErrorCode::InvalidArgument,
                "cannot install " + member.devicePath + ": a " + (isFolder ? "file" : "folder") + " is in its place" };
        // A file replaces only a file, a link a file or a link: what the
        // writer would refuse is refused here, before anything is laid.
        bool replaceable = !fs::exists(status) || isFolder || fs::is_regular_file(status)
            || (member.kind == DebianPackage::Kind::Link && fs::is_symlink(status));
        if (!replaceable)
            return Error { ErrorCode::InvalidArgument,
                "cannot install " + member.devicePath + ": " + (fs::is_symlink(status) ? "a link" : "something that is not a file")
                    + " is in its place (move it away and install again)" };
        // A link's target is followed as the root will be: through the
        // package's own links and the links already there.
        if (member.kind == DebianPackage::Kind::Link
            && !DebianPackage::resolveLink(package.members(), member, DevicePath::root(), pathcontainment::linkOnDisk))
            return Error { ErrorCode::InvalidArgument,
                "refused package: link \"" + member.devicePath + "\" points out of the device root (\"" + member.linkTarget
                    + "\"), once laid beside the links already in " + DevicePath::root() };
    }

    // Everything staged first, then moved into place; a failure anywhere
    // puts the root back as it was, and the record is written last.
    auto transaction = TRY(PackageTransaction::begin());
    auto undo = [&transaction](Error failure) -> Error {
        auto stuck = transaction.rollBack();
        if (stuck.empty())
            return failure;
        std::string text;
        for (const auto& line : stuck)
            text += "; " + line;
        failure.message += " (and the root could not be put back as it was" + text + "; install the package again)";
        return failure;
    };
    const auto& members = package.members();
    std::vector<std::string> staged(members.size());
    for (std::size_t i = 0; i < members.size(); ++i) {
        const auto& member = members[i];
        if (auto ready = step(Step::Stage, i); !ready)
            return undo(ready.error());
        std::string name = "member-" + std::to_string(i);
        foundation::Result<std::string> written = std::string();
        if (member.kind == DebianPackage::Kind::File)
            written = transaction.stageFile(name, member.contents, member.mode & 0777);
        else if (member.kind == DebianPackage::Kind::Link)
            written = transaction.stageLink(name, member.linkTarget);
        if (!written)
            return undo(std::move(written.error()).withContext("cannot install " + member.devicePath));
        staged[i] = written.value();
    }
    std::vector<std::string> laid;
    for (std::size_t i = 0; i < members.size(); ++i) {
        const auto& member = members[i];
        if (auto ready = step(Step::Commit, i); !ready)
            return undo(ready.error());
        auto host = DevicePath::toHost(member.devicePath);
        if (!host)
            return undo(host.error());
        bool isFolder = member.kind == DebianPackage::Kind::Directory;
        foundation::Status placed = transaction.makeFolders(isFolder ? host.value() : fs::path(host.value()).parent_path().string());
        if (placed && !isFolder)
            placed = transaction.place(staged[i], host.value());
        if (!placed)
            return undo(std::move(placed.error()).withContext("cannot install " + member.devicePath));
        if (!isFolder)
            laid.push_back(member.devicePath);
    }
    // What the old install laid and this one does not is moved aside too,
    // so that it comes back if the record cannot be written.
    std::vector<std::string> leftovers;
    if (previous) {
        std::set<std::string> keep(laid.begin(), laid.end());
        for (const auto& file : previous->files) {
            if (keep.contains(file))
                continue;
            if (auto ready = step(Step::RemoveLeftover, leftovers.size()); !ready)
                return undo(ready.error());
            auto host = DevicePath::toHost(file);
            foundation::Status parents = host ? checkParents(file, forceRepairs) : foundation::Status(host.error());
            if (!parents)
                return undo(std::move(parents.error()).withContext("cannot remove " + file + " of the old install"));
            std::error_code ec;
            auto status = fs::symlink_status(host.value(), ec);
            if (!fs::exists(status) || fs::is_directory(status))
                continue;
            if (auto aside = transaction.moveAside(host.value()); !aside)
                return undo(std::move(aside.error()).withContext("cannot remove " + file + " of the old install"));
            leftovers.push_back(file);
        }
    }
    if (auto ready = step(Step::SaveRecord, 0); !ready)
        return undo(ready.error());
    if (auto saved = InstallRecord { packageName, package.field("Version"), source, laid }.save(); !saved)
        return undo(saved.error());
    transaction.finish();
    for (const auto& file : leftovers)
        removeEmptyParents(file);
    return laid;
}

std::optional<Installer::FolderProblem> Installer::folderProblem(const std::string& devicePath)
{
    fs::path root(DevicePath::root());
    fs::path at = root;
    fs::path parent = fs::path(devicePath).relative_path().parent_path();
    for (const auto& part : parent) {
        if (part.empty() || part == "." || part == "..")
            return std::nullopt;  // DevicePath refuses such a path itself
        at /= part;
        struct stat info;
        if (::lstat(at.c_str(), &info) != 0 || S_ISDIR(info.st_mode))
            continue;
        if (!S_ISLNK(info.st_mode))
            return FolderProblem { at.string(), at.string() + " is not a folder" };
        std::error_code ec;
        std::string target = fs::read_symlink(at, ec).string();
        bool inside = pathcontainment::staysInside(at, root);
        return FolderProblem { at.string(),
            at.string() + " is a link to " + target + (inside ? "" : ", out of the device root") + ", where a folder belongs" };
    }
    return std::nullopt;
}

foundation::Result<Installer::Removal> Installer::uninstall()
{
    auto record = TRY(InstallRecord::load());
    if (!record)
        return Error { ErrorCode::NotFound, std::string("nothing to uninstall: no install is recorded in ") + InstallRecord::devicePath };
    Removal removal { record->version, {}, {} };
    for (const auto& file : record->files)
        TRY(removeRecorded(file, removal.removed, &removal.kept));
    TRY(InstallRecord::remove());
    removeEmptyParents(InstallRecord::devicePath);
    return removal;
}

}  // namespace tools
