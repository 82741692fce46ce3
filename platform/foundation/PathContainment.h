#pragma once

// Whether a path stays inside a folder once every symbolic link on the way
// is followed, dangling ones included: a link planted inside the device
// root must not carry a write out of it. Header-only, so the photo store
// (which links nothing of the platform) shares it.
//
// Links are followed the way the kernel follows them: a ".." after a link is
// taken from where the link leads, never cancelled against the link's name
// ("l/.." with l -> ../.. is two folders up, not where l lies). The links
// can come from the disk or from a tree that is not laid yet (a package
// about to be installed), through a LinkReader.

#include <filesystem>
#include <functional>
#include <optional>

namespace pathcontainment {

// The target of the link at `path`, or nothing when `path` is not a link.
using LinkReader = std::function<std::optional<std::filesystem::path>(const std::filesystem::path&)>;

inline std::optional<std::filesystem::path> linkOnDisk(const std::filesystem::path& path)
{
    namespace fs = std::filesystem;
    std::error_code error;
    if (!fs::is_symlink(fs::symlink_status(path, error)))
        return std::nullopt;
    fs::path target = fs::read_symlink(path, error);
    // A link that cannot be read leads nowhere a folder could contain.
    return error ? fs::path("/\x01unreadable-link") : target;
}

namespace detail {
// As many links as the kernel follows for one path before it gives up.
constexpr int maxLinks = 40;

// `path` (absolute) with each link on the way replaced by its target. A
// chain of links too long to be real, or a step that climbs out of `floor`
// (when one is given) by "..", resolves to nothing, which no folder
// contains.
inline std::filesystem::path followLinks(const std::filesystem::path& path, const LinkReader& readLink,
    const std::filesystem::path& floor, int& linksLeft)
{
    namespace fs = std::filesystem;
    fs::path out = path.root_path();
    for (const auto& part : path.relative_path()) {
        if (part.empty() || part == ".")
            continue;
        if (part == "..") {
            if (!floor.empty() && out == floor)
                return {};
            out = out.parent_path();
            continue;
        }
        fs::path next = out / part;
        auto target = readLink(next);
        if (!target) {
            out = next;
            continue;
        }
        if (--linksLeft < 0 || target->empty())
            return {};
        out = followLinks(target->is_absolute() ? *target : out / *target, readLink, floor, linksLeft);
        if (out.empty())
            return {};
    }
    return out;
}

inline std::filesystem::path normalFolder(const std::filesystem::path& folder)
{
    std::filesystem::path normal = folder.lexically_normal();
    return !normal.has_filename() && normal.has_relative_path() ? normal.parent_path() : normal;
}

inline bool startsWith(const std::filesystem::path& path, const std::filesystem::path& folder)
{
    auto p = path.begin();
    for (auto f = folder.begin(); f != folder.end(); ++f, ++p) {
        if (f->empty())
            continue;  // a trailing separator
        if (p == path.end() || *p != *f)
            return false;
    }
    return true;
}
}  // namespace detail

// `path` with its links followed (through `readLink`), or nothing when it
// leaves `folder` at any step on the way, even if it comes back, or its links
// loop. `folder` is taken as it is, with no link of its own.
inline std::optional<std::filesystem::path> resolveInside(const std::filesystem::path& path, const std::filesystem::path& folder,
    const LinkReader& readLink)
{
    int linksLeft = detail::maxLinks;
    std::filesystem::path floor = detail::normalFolder(folder);
    std::filesystem::path real = detail::followLinks(path, readLink, floor, linksLeft);
    if (real.empty() || !detail::startsWith(real, floor))
        return std::nullopt;
    return real;
}

inline bool staysInside(const std::filesystem::path& path, const std::filesystem::path& folder, const LinkReader& readLink = linkOnDisk)
{
    namespace fs = std::filesystem;
    std::error_code error;
    int linksLeft = detail::maxLinks;
    fs::path realFolder = detail::followLinks(detail::normalFolder(fs::absolute(folder, error)), linkOnDisk, {}, linksLeft);
    linksLeft = detail::maxLinks;
    fs::path real = detail::followLinks(fs::absolute(path, error), readLink, realFolder, linksLeft);
    if (error || real.empty() || realFolder.empty())
        return false;
    return detail::startsWith(real, realFolder);
}

}  // namespace pathcontainment
