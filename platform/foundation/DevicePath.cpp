#include "platform/foundation/DevicePath.h"

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

std::optional<std::string> toHost(const std::string& devicePath)
{
    if (devicePath.empty() || devicePath.front() != '/')
        return std::nullopt;
    std::vector<std::string> parts;
    for (const auto& part : fs::path(devicePath)) {
        std::string p = part.string();
        if (p == "/" || p.empty() || p == ".")
            continue;
        if (p == "..") {
            if (parts.empty())
                return std::nullopt;
            parts.pop_back();
            continue;
        }
        parts.push_back(p);
    }
    fs::path out(root());
    for (const auto& p : parts)
        out /= p;
    return out.string();
}

std::string host(const std::string& devicePath)
{
    if (auto mapped = toHost(devicePath))
        return *mapped;
    return (fs::path(root()) / ".refused-path" / "refused").string();
}

bool makeParents(const std::string& devicePath)
{
    auto mapped = toHost(devicePath);
    if (!mapped)
        return false;
    std::error_code ec;
    fs::create_directories(fs::path(*mapped).parent_path(), ec);
    return !ec;
}

}  // namespace DevicePath
