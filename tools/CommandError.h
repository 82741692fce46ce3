#pragma once

// The error that ends a command with a message and a non-zero status: the
// one place where a failure becomes an exception, at the command line's edge.

#include "platform/foundation/Result.h"

#include <stdexcept>
#include <string>

namespace tools {

class CommandError : public std::runtime_error {
public:
    explicit CommandError(const std::string& message, int status = 1)
        : std::runtime_error(message)
        , m_status(status)
    {
    }
    // A platform failure ends the command with its message.
    explicit CommandError(const foundation::Error& error, int status = 1)
        : CommandError(error.message, status)
    {
    }
    int status() const { return m_status; }

private:
    int m_status;
};

}  // namespace tools
