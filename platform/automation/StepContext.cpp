#include "platform/automation/StepContext.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <sstream>

namespace automation {

using foundation::Error;
using foundation::ErrorCode;

StepContext::StepContext(ScenarioDriver& driver, std::string line, std::string usage, std::size_t argumentStart)
    : m_driver(driver)
    , m_line(std::move(line))
    , m_usage(std::move(usage))
{
    std::istringstream in(m_line);
    std::string word;
    while (in >> word)
        m_words.push_back(word);
    m_argumentStart = std::min(argumentStart, m_words.size());
}

std::string StepContext::rest(std::size_t index) const
{
    std::size_t skip = m_argumentStart + index;
    std::size_t pos = 0;
    for (std::size_t i = 0; i < skip; ++i) {
        pos = m_line.find_first_not_of(" \t", pos);
        pos = m_line.find_first_of(" \t", pos);
        if (pos == std::string::npos)
            return "";
    }
    pos = m_line.find_first_not_of(" \t", pos);
    return pos == std::string::npos ? "" : m_line.substr(pos);
}

std::string StepContext::joined(std::size_t index) const
{
    std::string text;
    for (std::size_t i = index; i < argumentCount(); ++i)
        text += (text.empty() ? "" : " ") + argument(i);
    return text;
}

foundation::Status StepContext::need(std::size_t count) const
{
    if (argumentCount() < count)
        return Error { ErrorCode::InvalidArgument, "usage: " + m_usage };
    return {};
}

foundation::Result<double> StepContext::number(std::size_t index) const
{
    if (!has(index))
        return Error { ErrorCode::InvalidArgument, "usage: " + m_usage };
    const std::string& text = argument(index);
    // Plain decimal only: strtod would also read "0x10" as sixteen.
    double value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || !std::isfinite(value))
        return Error { ErrorCode::InvalidArgument, "\"" + text + "\" is not a number" };
    return value;
}

foundation::Result<std::int64_t> StepContext::count(std::size_t index) const
{
    double value = TRY(number(index));
    // A count of 1.5 or -1 can never match; saying so beats a silent truncation.
    if (value < 0 || value != std::floor(value) || value > 1e15)
        return Error { ErrorCode::InvalidArgument, "\"" + argument(index) + "\" is not a whole number of zero or more" };
    return static_cast<std::int64_t>(value);
}

foundation::Status StepContext::expectCount(std::size_t index, std::size_t found, const std::string& what) const
{
    auto want = TRY(count(index));
    if (static_cast<std::size_t>(want) != found)
        return mismatch(argument(index) + " " + what, std::to_string(found));
    return {};
}

Error StepContext::mismatch(const std::string& expected, const std::string& found)
{
    return Error { ErrorCode::Failed, "expected " + expected + ", found " + found };
}

Error StepContext::failure(std::string message) { return Error { ErrorCode::Failed, std::move(message) }; }

}  // namespace automation
