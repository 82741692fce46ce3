#pragma once

// Success, or a failure with a message. The compositor never throws across
// its API; operations that can fail hand one of these back.

#include <string>
#include <utility>

namespace render {

class [[nodiscard]] Status {
public:
    Status() = default;
    static Status failure(std::string message)
    {
        Status status;
        status.m_failed = true;
        status.m_error = std::move(message);
        return status;
    }

    bool ok() const { return !m_failed; }
    explicit operator bool() const { return ok(); }
    const std::string& error() const { return m_error; }

private:
    bool m_failed = false;
    std::string m_error;
};

}  // namespace render
