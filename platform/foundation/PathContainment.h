#pragma once

// Whether a path stays inside a folder once every symbolic link on the way
// is followed, dangling ones included: a link planted inside the device
// root must not carry a write out of it. Header-only, so the photo store
// (which links nothing of the platform) shares it.

#include <filesystem>

namespace pathcontainment {

namespace detail {
// `path` (absolute) with each link on the way replaced by its target. A
// chain of links too long to be real resolves to nothing, which no folder
// contains.
inline std::filesystem::path followLinks(const std::filesystem::path& path, int depth = 0)
{
    namespace fs = std::filesystem;
    if (depth > 40)
        return {};
    fs::path out = path.root_path();
    for (const auto& part : path.relative_path()) {
        if (part.empty() || part == ".")
            continue;
        if (part == "..") {
            out = out.parent_path();
            continue;
        }
        fs::path next = out / part;
        std::error_code error;
        if (fs::is_symlink(fs::symlink_status(next, error))) {
            fs::path target = fs::read_symlink(next, error);
            if (error)
                return {};
            out = followLinks((target.is_absolute() ? target : out / target).lexically_normal(), depth + 1);
            if (out.empty())
                return {};
        } else {
            out = next;
        }
    }
    return out;
}
}  // namespace detail

inline bool staysInside(const std::filesystem::path& path, const std::filesystem::path& folder)
{
    namespace fs = std::filesystem;
    std::error_code error;
    fs::path real = detail::followLinks(fs::absolute(path, error).lexically_normal());
    fs::path realFolder = detail::followLinks(fs::absolute(folder, error).lexically_normal());
    if (error || real.empty() || realFolder.empty())
        return false;
    auto p = real.begin();
    for (auto f = realFolder.begin(); f != realFolder.end(); ++f, ++p) {
        if (f->empty())
            continue;  // a trailing separator
        if (p == real.end() || *p != *f)
            return false;
    }
    return true;
}

}  // namespace pathcontainment
