#include "tools/DebianPackage.h"

#include "platform/foundation/PathContainment.h"
#include "platform/foundation/RegularFile.h"

#include <archive.h>
#include <archive_entry.h>

#include <cerrno>
#include <charconv>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <set>
#include <sstream>
#include <string_view>
#include <unistd.h>

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

namespace {

// The outer ar archive's layout, judged from its headers alone before a
// byte of it is read into memory: a file that is no archive, or whose
// members claim more than the file holds, is refused at once however large
// it is (a 3 GB file would otherwise be read whole first).
foundation::Status checkArchiveLayout(const foundation::RegularFile& file)
{
    constexpr std::string_view magic = "!<arch>\n";
    constexpr std::uint64_t headerSize = 60;
    const std::uint64_t size = file.size();
    // Each member is at most the unpacked budget; three of them with their
    // headers is the most a package can be.
    const std::uint64_t largest = 3 * (std::uint64_t(DebianPackage::maxUnpackedBytes) + headerSize) + magic.size();
    auto readAt = [&](std::uint64_t offset, std::size_t length) -> foundation::Result<std::string> {
        std::string bytes(length, '\0');
        std::size_t got = 0;
        while (got < length) {
            ssize_t n = ::pread(file.fd(), bytes.data() + got, length - got, static_cast<off_t>(offset + got));
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0)
                return Error::fromErrno("read the package", file.path());
            if (n == 0)
                break;
            got += std::size_t(n);
        }
        bytes.resize(got);
        return bytes;
    };
    if (TRY(readAt(0, magic.size())) != magic)
        return refused("it is not a Debian package: it does not begin as an ar archive does (\"!<arch>\")");
    if (size > largest)
        return refused("it is " + std::to_string(size) + " bytes, larger than any package of at most "
            + std::to_string(DebianPackage::maxUnpackedBytes >> 20) + " MB unpacked can be");
    for (std::uint64_t at = magic.size(); at < size;) {
        std::string header = TRY(readAt(at, headerSize));
        if (header.size() < headerSize || header.compare(58, 2, "`\n") != 0)
            return refused("it is damaged: the member header at byte " + std::to_string(at) + " is cut short or malformed");
        std::uint64_t length = 0;
        std::string_view digits(header.data() + 48, 10);
        while (!digits.empty() && digits.back() == ' ')
            digits.remove_suffix(1);
        auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), length);
        if (digits.empty() || ec != std::errc() || end != digits.data() + digits.size())
            return refused("it is damaged: the member header at byte " + std::to_string(at) + " gives no size");
        if (length > size - at - headerSize)
            return refused("it is damaged: the member at byte " + std::to_string(at) + " claims " + std::to_string(length)
                + " bytes, more than the file holds");
        at += headerSize + length + (length & 1);
    }
    return {};
}

}  // namespace

foundation::Result<DebianPackage> DebianPackage::read(const std::string& hostPath)
{
    // Never blocks: a FIFO or a device named as the package is refused.
    auto file = TRY(foundation::RegularFile::open(hostPath));
    TRY(checkArchiveLayout(file));
    return fromBytes(TRY(file.readRest()));
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
