#pragma once

// What a step handler gets: the line split into words, its arguments (the
// words after the step's name, or after "expect WHAT"), readers that fail
// with a clear message, and the driver to act through.

#include "platform/automation/Forward.h"
#include "platform/foundation/Result.h"

#include <cstdint>
#include <string>
#include <vector>

namespace automation {

class StepContext {
public:
    // `argumentStart` is the index of the first word after the name.
    StepContext(ScenarioDriver& driver, std::string line, std::string usage, std::size_t argumentStart);

    ScenarioDriver& driver() const { return m_driver; }
    const std::string& line() const { return m_line; }
    const std::vector<std::string>& words() const { return m_words; }
    const std::string& usage() const { return m_usage; }

    std::size_t argumentCount() const { return m_words.size() - m_argumentStart; }
    bool has(std::size_t index) const { return index < argumentCount(); }
    const std::string& argument(std::size_t index) const { return m_words.at(m_argumentStart + index); }
    // The arguments from `index` on, exactly as written (spaces kept).
    std::string rest(std::size_t index) const;
    // The arguments from `index` on, joined by single spaces.
    std::string joined(std::size_t index) const;

    // "usage: ..." unless there are at least `count` arguments.
    foundation::Status need(std::size_t count) const;
    // A finite number, or "\"x\" is not a number".
    foundation::Result<double> number(std::size_t index) const;
    // A whole number of zero or more, for counts and sizes.
    foundation::Result<std::int64_t> count(std::size_t index) const;

    // Compares the count at `index` with `found`: "expected N WHAT, found M".
    foundation::Status expectCount(std::size_t index, std::size_t found, const std::string& what) const;

    // The failure of an expectation: "expected EXPECTED, found FOUND".
    static foundation::Error mismatch(const std::string& expected, const std::string& found);
    // A step that cannot be done.
    static foundation::Error failure(std::string message);

private:
    ScenarioDriver& m_driver;
    std::string m_line;
    std::string m_usage;
    std::vector<std::string> m_words;
    std::size_t m_argumentStart;
};

}  // namespace automation
