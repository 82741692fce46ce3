// Arbitrary bytes as a Debian package, through the reader `marqel install
// --package` uses. Whatever it accepts must be safe to lay: every member a
// plain device path inside the root, no member twice, nothing under a file
// or link of the package, and every link, followed through the package's
// own links, still inside the root.

#include "tools/DebianPackage.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>

namespace {
[[noreturn]] void fault(const char* what, const std::string& path)
{
    std::fprintf(stderr, "the package reader let in %s: %s\n", what, path.c_str());
    std::abort();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    auto package = tools::DebianPackage::fromBytes(std::string(reinterpret_cast<const char*>(data), size));
    if (!package)
        return 0;
    const auto& members = package.value().members();
    std::set<std::string> seen, notFolders;
    for (const auto& member : members) {
        if (member.devicePath.size() < 2 || member.devicePath.front() != '/')
            fault("a member that is not an absolute device path", member.devicePath);
        for (const auto& part : std::filesystem::path(member.devicePath))
            if (part == ".." || part == ".")
                fault("a member with a dot part", member.devicePath);
        if (!seen.insert(member.devicePath).second)
            fault("a member twice", member.devicePath);
        if (member.kind != tools::DebianPackage::Kind::Directory)
            notFolders.insert(member.devicePath);
    }
    for (const auto& member : members) {
        for (auto slash = member.devicePath.find('/', 1); slash != std::string::npos; slash = member.devicePath.find('/', slash + 1))
            if (notFolders.contains(member.devicePath.substr(0, slash)))
                fault("a member under a file or link of the package", member.devicePath);
        if (member.kind != tools::DebianPackage::Kind::Link)
            continue;
        if (member.linkTarget.empty() || member.linkTarget.front() == '/')
            fault("a link with no target or an absolute one", member.devicePath);
        if (!tools::DebianPackage::resolveLink(members, member, "/", {}))
            fault("a link that leads out of the root", member.devicePath + " -> " + member.linkTarget);
    }
    return 0;
}
