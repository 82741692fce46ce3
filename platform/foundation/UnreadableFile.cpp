#include "platform/foundation/UnreadableFile.h"

#include "platform/foundation/RunLoop.h"
#include "platform/foundation/SystemLog.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <ctime>
#include <filesystem>

namespace foundation {

namespace {

constexpr std::string_view infix = ".unreadable-";

std::string utcStamp()
{
    // The run loop's clock, so that a test's virtual time names the copy.
    std::time_t now = static_cast<std::time_t>(std::floor(RunLoop::main().clock().epochSeconds()));
    std::tm utc {};
    gmtime_r(&now, &utc);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y%m%dT%H%M%SZ", &utc);
    return stamp;
}

// A copy, not a hard link: a link would change with the file if anything
// wrote into it in place. The copy refuses a name that is taken.
int keepAs(const std::string& hostPath, const std::string& kept)
{
    std::error_code ec;
    std::filesystem::copy_file(hostPath, kept, std::filesystem::copy_options::none, ec);
    return ec.value();
}

}  // namespace

Result<std::string> keepUnreadableAside(const std::string& hostPath, const std::string& why)
{
    const std::string base = hostPath + std::string(infix) + utcStamp();
    for (int attempt = 0; attempt < 1000; ++attempt) {
        std::string kept = base + (attempt ? "-" + std::to_string(attempt) : std::string());
        const int error = keepAs(hostPath, kept);
        if (error == EEXIST)
            continue;
        if (error)
            return Error::fromErrno("keep a copy of the unreadable", hostPath, error);
        SystemLog::shared().write("marqel: " + hostPath + " was unreadable (" + why + "); kept it as " + kept);
        return kept;
    }
    return Error { ErrorCode::WriteFailed,
        "cannot keep the unreadable " + hostPath + " aside: 1000 copies of this second exist (remove some)" };
}

std::vector<std::string> unreadableCopiesOf(const std::string& hostPath)
{
    namespace fs = std::filesystem;
    struct Copy {
        std::string path;
        std::string stamp;
        int number;
    };
    std::vector<Copy> copies;
    fs::path file(hostPath);
    const std::string prefix = file.filename().string() + std::string(infix);
    std::error_code ec;
    for (fs::directory_iterator it(file.parent_path(), ec), end; !ec && it != end; it.increment(ec)) {
        std::string name = it->path().filename().string();
        if (!name.starts_with(prefix))
            continue;
        std::string rest = name.substr(prefix.size());
        auto dash = rest.find('-');
        int number = dash == std::string::npos ? 0 : std::atoi(rest.c_str() + dash + 1);
        copies.push_back({ it->path().string(), rest.substr(0, dash), number });
    }
    // By time, then by number: "-10" comes after "-9".
    std::sort(copies.begin(), copies.end(), [](const Copy& a, const Copy& b) {
        return a.stamp != b.stamp ? a.stamp < b.stamp : a.number < b.number;
    });
    std::vector<std::string> paths;
    for (auto& copy : copies)
        paths.push_back(std::move(copy.path));
    return paths;
}

}  // namespace foundation
