#pragma once

// Failures travel as values so that no exception ever crosses the library
// boundary into the wrapper classes.

#include "platform/photos/Failure.h"

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <utility>

namespace photos {

template <typename T = void>
class [[nodiscard]] Result {
public:
    Result(T value)
        : m_value(std::move(value))
    {
    }
    Result(Failure failure)
        : m_failure(std::move(failure))
    {
    }

    bool ok() const { return m_value.has_value(); }
    explicit operator bool() const { return ok(); }

    // Reading the value of a failed result is a programming error; stop
    // loudly instead of handing out garbage.
    T& value() &
    {
        requireValue();
        return *m_value;
    }
    const T& value() const&
    {
        requireValue();
        return *m_value;
    }
    T&& value() &&
    {
        requireValue();
        return std::move(*m_value);
    }

    ErrorCode code() const { return m_failure.code; }
    const std::string& error() const { return m_failure.message; }
    const Failure& failure() const { return m_failure; }

private:
    void requireValue() const
    {
        if (!m_value) {
            std::fprintf(stderr, "photos::Result: value() of a failure: %s\n", m_failure.message.c_str());
            std::abort();
        }
    }

    std::optional<T> m_value;
    Failure m_failure;
};

template <>
class [[nodiscard]] Result<void> {
public:
    Result() = default;
    Result(Failure failure)
        : m_ok(false)
        , m_failure(std::move(failure))
    {
    }

    static Result success() { return Result(); }

    bool ok() const { return m_ok; }
    explicit operator bool() const { return ok(); }

    ErrorCode code() const { return m_failure.code; }
    const std::string& error() const { return m_failure.message; }
    const Failure& failure() const { return m_failure; }

private:
    bool m_ok = true;
    Failure m_failure;
};

}  // namespace photos
