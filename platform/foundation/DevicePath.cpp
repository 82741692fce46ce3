#include "platform/foundation/DevicePath.h"

#include "platform/foundation/PathContainment.h"

#include <cstdlib>
#include <filesystem>
#include <vector>

namespace fs = std::filesystem;

namespace DevicePath {
namespace {
std::string& rootStorage()
{
    static std::string value = defaultRoot();
    return value;
}
// The first link on the way that leads out, named with its target and what
// to do, for the message: nothing when none can be found any more.
std::string linkOutOf(const std::vector<std::string>& parts)
{
    fs::path at(root());
    for (const auto& part : parts) {
        at /= part;
        std::error_code ec;
        if (!fs::is_symlink(fs::symlink_status(at, ec)))
            continue;
        if (pathcontainment::staysInside(at, root()))
            continue;
        return ": " + at.string() + " is a link to " + fs::read_symlink(at, ec).string()
            + " (remove the link, `rm " + at.string() + "`; what it points to is not touched)";
    }
    return {};
}
}  // namespace

void setRoot(const std::string& hostFolder) { rootStorage() = fs::absolute(hostFolder).lexically_normal().string(); }
const std::string& root() { return rootStorage(); }

std::string defaultRoot()
{
    if (const char* env = std::getenv("MARQEL_ROOT"); env && *env)
        return fs::absolute(env).lexically_normal().string();
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg)
        return (fs::path(xdg) / "marqel" / "device").string();
    const char* home = std::getenv("HOME");
    return (fs::path(home && *home ? home : "/tmp") / ".local" / "share" / "marqel" / "device").string();
}

foundation::Result<std::string> toHost(const std::string& devicePath)
{
    using foundation::Error;
    using foundation::ErrorCode;
    if (devicePath.empty() || devicePath.front() != '/')
        return Error { ErrorCode::InvalidArgument, "device path \"" + devicePath + "\" is not absolute" };
    std::vector<std::string> parts;
    for (const auto& part : fs::path(devicePath)) {
        std::string p = part.string();
        if (p == "/" || p.empty() || p == ".")
            continue;
        if (p == "..") {
            if (parts.empty())
                return Error { ErrorCode::InvalidArgument, "device path \"" + devicePath + "\" leaves the device" };
            parts.pop_back();
            continue;
        }
        parts.push_back(p);
    }
    fs::path out(root());
    for (const auto& p : parts)
        out /= p;
    // A symbolic link planted inside the root must not carry a write out of
    // it; links that stay inside are the device's own business.
    if (!pathcontainment::staysInside(out, root()))
        return Error { ErrorCode::InvalidArgument,
            "device path \"" + devicePath + "\" leads out of the device root through a symbolic link" + linkOutOf(parts) };
    return out.string();
}

foundation::Status makeParents(const std::string& devicePath)
{
    auto folder = fs::path(TRY(toHost(devicePath))).parent_path();
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (ec)
        return foundation::Error::fromErrno("create", folder.string(), ec);
    return {};
}

}  // namespace DevicePath
