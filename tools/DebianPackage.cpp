#include "tools/DebianPackage.h"

#include "platform/foundation/PathContainment.h"

#include <archive.h>
#include <archive_entry.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <memory>
#include <set>
#include <sstream>

namespace tools {

namespace {
using foundation::Error;
using foundation::ErrorCode;

Error refused(const std::string& why) { return Error { ErrorCode::InvalidArgument, "refused package: " + why }; }

using ArchivePtr = std::unique_ptr<archive, decltype(&archive_read_free)>;

ArchivePtr openArchive(const std::string& bytes, bool outer)
{
    ArchivePtr handle(archive_read_new(), &archive_read_free);
    if (outer) {
        archive_read_support_format_ar(handle.get());
    } else {
        archive_read_support_filter_all(handle.get());
        archive_read_support_format_tar(handle.get());
    }
    if (archive_read_open_memory(handle.get(), bytes.data(), bytes.size()) != ARCHIVE_OK)
        return ArchivePtr(nullptr, &archive_read_free);
    return handle;
}

foundation::Result<std::string> readData(archive* handle, std::size_t& budget, const std::string& name)
{
    std::string data;
    char buffer[65536];
    for (;;) {
        la_ssize_t got = archive_read_data(handle, buffer, sizeof buffer);
        if (got < 0)
            return refused(name + " cannot be read: " + archive_error_string(handle));
        if (got == 0)
            return data;
        if (std::size_t(got) > budget)
            return refused("it unpacks to more than " + std::to_string(DebianPackage::maxUnpackedBytes >> 20) + " MB");
        budget -= std::size_t(got);
        data.append(buffer, std::size_t(got));
    }
}

// The member's name as the parts of a path under the root; a name with a
// ".." part or an absolute one is refused rather than repaired.
foundation::Result<std::vector<std::string>> pathParts(const std::string& name)
{
    if (!name.empty() && name.front() == '/')
        return refused("member \"" + name + "\" is an absolute path");
    std::vector<std::string> parts;
    std::stringstream in(name);
    std::string part;
    while (std::getline(in, part, '/')) {
        if (part.empty() || part == ".")
            continue;
        if (part == "..")
            return refused("member \"" + name + "\" leaves the device root");
        parts.push_back(part);
    }
    return parts;
}

std::string joined(const std::vector<std::string>& parts)
{
    std::string path;
    for (const auto& part : parts)
        path += "/" + part;
    return path;
}

// A link may point anywhere inside the root, relative to its own folder;
// an absolute target would mean the build machine's root once laid out.
foundation::Status checkLinkTarget(const std::string& name, const std::string& target)
{
    if (target.empty())
        return refused("link \"" + name + "\" has no target");
    if (target.front() == '/')
        return refused("link \"" + name + "\" points to the absolute path \"" + target + "\"");
    return {};
}

foundation::Status readControl(const std::string& bytes, std::map<std::string, std::string>& fields, std::vector<std::string>& scripts)
{
    auto handle = openArchive(bytes, false);
    if (!handle)
        return refused("its control archive cannot be opened");
    std::size_t budget = 1 << 20;
    archive_entry* entry = nullptr;
    bool found = false;
    int status;
    while ((status = archive_read_next_header(handle.get(), &entry)) == ARCHIVE_OK) {
        auto parts = TRY(pathParts(archive_entry_pathname(entry)));
        if (parts.size() != 1 || archive_entry_filetype(entry) != AE_IFREG)
            continue;
        if (parts[0] == "preinst" || parts[0] == "postinst" || parts[0] == "prerm" || parts[0] == "postrm")
            scripts.push_back(parts[0]);
        if (parts[0] != "control")
            continue;
        found = true;
        auto text = TRY(readData(handle.get(), budget, "control"));
        std::stringstream in(text);
        std::string line, key;
        while (std::getline(in, line)) {
            if (!line.empty() && (line.front() == ' ' || line.front() == '\t')) {
                if (!key.empty())
                    fields[key] += "\n" + line.substr(1);
                continue;
            }
            auto colon = line.find(':');
            if (colon == std::string::npos)
                continue;
            key = line.substr(0, colon);
            auto value = line.substr(colon + 1);
            value.erase(0, value.find_first_not_of(" \t"));
            fields[key] = value;
        }
    }
    if (status != ARCHIVE_EOF)
        return refused(std::string("its control archive is damaged: ") + archive_error_string(handle.get()));
    if (!found)
        return refused("it has no control file");
    return {};
}

foundation::Status readMembers(const std::string& bytes, std::vector<DebianPackage::Member>& members, std::size_t& budget)
{
    auto handle = openArchive(bytes, false);
    if (!handle)
        return refused("its data archive cannot be opened");
    std::map<std::string, DebianPackage::Kind> kinds;
    archive_entry* entry = nullptr;
    int status;
    while ((status = archive_read_next_header(handle.get(), &entry)) == ARCHIVE_OK) {
        std::string name = archive_entry_pathname(entry) ? archive_entry_pathname(entry) : "";
        auto parts = TRY(pathParts(name));
        if (archive_entry_hardlink(entry))
            return refused("member \"" + name + "\" is a hard link");
        if (parts.empty())
            continue;  // the root folder itself
        DebianPackage::Member member;
        member.devicePath = joined(parts);
        member.mode = archive_entry_perm(entry) & 0777;
        switch (archive_entry_filetype(entry)) {
        case AE_IFREG:
            member.kind = DebianPackage::Kind::File;
            member.contents = TRY(readData(handle.get(), budget, name));
            break;
        case AE_IFDIR:
            member.kind = DebianPackage::Kind::Directory;
            break;
        case AE_IFLNK:
            member.kind = DebianPackage::Kind::Link;
            member.linkTarget = archive_entry_symlink(entry) ? archive_entry_symlink(entry) : "";
            TRY(checkLinkTarget(name, member.linkTarget));
            break;
        default:
            return refused("member \"" + name + "\" is neither a file, a folder nor a link");
        }
        if (!kinds.emplace(member.devicePath, member.kind).second)
            return refused("member \"" + name + "\" appears twice");
        members.push_back(std::move(member));
    }
    if (status != ARCHIVE_EOF)
        return refused(std::string("its data archive is damaged: ") + archive_error_string(handle.get()));
    // Nothing may be laid through a file or a link of the package itself.
    for (const auto& member : members) {
        for (auto slash = member.devicePath.find('/', 1); slash != std::string::npos; slash = member.devicePath.find('/', slash + 1)) {
            auto parent = kinds.find(member.devicePath.substr(0, slash));
            if (parent != kinds.end() && parent->second != DebianPackage::Kind::Directory)
                return refused("member \"" + member.devicePath + "\" lies under a file or link of the package");
        }
    }
    // Each link followed through the package's own links as they will lie,
    // so that no chain of them climbs out of the root.
    for (const auto& member : members)
        if (member.kind == DebianPackage::Kind::Link && !DebianPackage::resolveLink(members, member, "/", pathcontainment::LinkReader()))
            return refused("link \"" + member.devicePath + "\" points out of the device root (\"" + member.linkTarget + "\")");
    return {};
}
}  // namespace

std::optional<std::string> DebianPackage::resolveLink(const std::vector<Member>& members, const Member& link, const std::string& hostRoot,
    const pathcontainment::LinkReader& beyond)
{
    namespace fs = std::filesystem;
    auto hostOf = [&](const std::string& devicePath) { return (fs::path(hostRoot) / fs::path(devicePath).relative_path()).lexically_normal(); };
    std::map<fs::path, const Member*> byPath;
    for (const auto& member : members)
        byPath.emplace(hostOf(member.devicePath), &member);
    // What the package lays takes the place of what is there; elsewhere the
    // links already in the root count.
    pathcontainment::LinkReader readLink = [&](const fs::path& path) -> std::optional<fs::path> {
        if (auto found = byPath.find(path); found != byPath.end())
            return found->second->kind == Kind::Link ? std::optional<fs::path>(found->second->linkTarget) : std::nullopt;
        return beyond ? beyond(path) : std::nullopt;
    };
    fs::path at = hostOf(link.devicePath);
    auto real = pathcontainment::resolveInside(at.parent_path() / link.linkTarget, hostRoot, readLink);
    if (!real)
        return std::nullopt;
    return real->string();
}

foundation::Result<DebianPackage> DebianPackage::read(const std::string& hostPath)
{
    // The stream opens and reads with the system calls, which leave errno.
    errno = 0;
    std::ifstream in(hostPath, std::ios::binary);
    if (!in)
        return Error::fromErrno("open the package", hostPath, errno ? errno : ENOENT);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad())
        return Error::fromErrno("read the package", hostPath, errno ? errno : EIO);
    return fromBytes(bytes);
}

foundation::Result<DebianPackage> DebianPackage::fromBytes(const std::string& bytes)
{
    auto handle = openArchive(bytes, true);
    if (!handle)
        return refused("it is not a Debian package (not an ar archive)");
    DebianPackage package;
    std::size_t budget = maxUnpackedBytes;
    bool sawVersion = false, sawControl = false, sawData = false;
    archive_entry* entry = nullptr;
    int status;
    while ((status = archive_read_next_header(handle.get(), &entry)) == ARCHIVE_OK) {
        std::string name = archive_entry_pathname(entry) ? archive_entry_pathname(entry) : "";
        if (!sawVersion) {
            if (name != "debian-binary")
                return refused("it does not start with debian-binary");
            auto version = TRY(readData(handle.get(), budget, name));
            if (!version.starts_with("2."))
                return refused("unknown package format " + version.substr(0, version.find('\n')));
            sawVersion = true;
        } else if (name.starts_with("control.tar") && !sawControl) {
            auto control = TRY(readData(handle.get(), budget, name));
            TRY(readControl(control, package.m_fields, package.m_maintainerScripts));
            sawControl = true;
        } else if (name.starts_with("data.tar") && !sawData) {
            auto data = TRY(readData(handle.get(), budget, name));
            TRY(readMembers(data, package.m_members, budget));
            sawData = true;
        }
    }
    if (status != ARCHIVE_EOF)
        return refused(std::string("it is damaged: ") + archive_error_string(handle.get()));
    if (!sawControl || !sawData)
        return refused(!sawVersion ? "it is not a Debian package" : "it lacks its control or data archive");
    return package;
}

std::string DebianPackage::field(const std::string& name) const
{
    auto found = m_fields.find(name);
    return found == m_fields.end() ? std::string() : found->second;
}

}  // namespace tools
