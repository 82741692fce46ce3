#include "tools/FailureLog.h"

#include "platform/foundation/DevicePath.h"
#include "platform/foundation/SystemLog.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace tools {

namespace {

bool reportsFailure(const std::string& line)
{
    std::string lower = line;
    std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
    static constexpr std::array words { "cannot", "could not", "failed", "fails", "refus", "error", "not kept", "not posted",
        "dropped", "unable", "denied", "no space", "damaged", "not a " };
    return std::any_of(words.begin(), words.end(), [&](const char* word) { return lower.find(word) != std::string::npos; });
}

}  // namespace

std::vector<std::string> explainingLines(const std::vector<std::string>& log, std::size_t limit)
{
    std::vector<std::string> picked;
    for (const auto& line : log)
        if (line.rfind("marqel: ", 0) == 0 || reportsFailure(line))
            picked.push_back(line);
    if (picked.size() > limit)
        picked.erase(picked.begin(), picked.end() - static_cast<std::ptrdiff_t>(limit));
    return picked;
}

std::string withExplanation(const std::string& message, std::size_t from)
{
    auto lines = explainingLines(SystemLog::shared().lines(from));
    if (lines.empty())
        return message;
    // Already explaining a failure: a log path the root refuses is named as
    // the device knows it rather than ending in a second failure.
    auto log = DevicePath::toHost(SystemLog::devicePath);
    std::string text = message + "\nthe system log says (all of it in " + (log ? log.value() : std::string(SystemLog::devicePath) + " in the device root") + "):";
    for (const auto& line : lines)
        text += "\n  " + line;
    return text;
}

}  // namespace tools
