#pragma once

// The platform's one way to fail: an operation hands back its value or an
// Error with a code and a message, and never throws across an API. Callers
// that cannot handle a failure pass it up with TRY.

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <utility>
#include <variant>

namespace foundation {

// One list for the whole platform, so a failure keeps its meaning as it
// travels from a library (media, photos, pictures) to a host or a command.
enum class ErrorCode {
    Failed = 1,  // nothing more specific applies
    InvalidArgument,
    NotFound,
    PermissionDenied,
    FileSystem,
    UnreadableInput,
    WriteFailed,
    NoVideoTrack,
    CodecFailed,
    Cancelled,
    InvalidState,
    Database,
    Busy,
    UnsupportedVersion,
    NotALibrary,
};

struct Error {
    ErrorCode code = ErrorCode::Failed;
    std::string message;

    static Error failed(std::string message) { return Error { ErrorCode::Failed, std::move(message) }; }
};

namespace detail {
[[noreturn]] inline void valueOfFailure(const Error& error)
{
    // Reading the value of a failure is a programming error; stop loudly
    // instead of handing out garbage.
    std::fprintf(stderr, "Result: value() of a failure: %s\n", error.message.c_str());
    std::abort();
}
}  // namespace detail

template <class T = void>
class [[nodiscard]] Result {
public:
    Result(T value)
        : m_state(std::in_place_index<0>, std::move(value))
    {
    }
    Result(Error error)
        : m_state(std::in_place_index<1>, std::move(error))
    {
    }

    bool ok() const { return m_state.index() == 0; }
    explicit operator bool() const { return ok(); }

    T& value() &
    {
        requireValue();
        return std::get<0>(m_state);
    }
    const T& value() const&
    {
        requireValue();
        return std::get<0>(m_state);
    }
    T&& value() &&
    {
        requireValue();
        return std::get<0>(std::move(m_state));
    }
    T valueOr(T fallback) const& { return ok() ? std::get<0>(m_state) : std::move(fallback); }
    // The value moved out, by value, so it outlives this result (TRY needs that).
    T release()
    {
        requireValue();
        return std::get<0>(std::move(m_state));
    }

    const Error& error() const { return std::get<1>(m_state); }
    ErrorCode code() const { return error().code; }
    const std::string& message() const { return error().message; }

private:
    void requireValue() const
    {
        if (!ok())
            detail::valueOfFailure(error());
    }

    std::variant<T, Error> m_state;
};

template <>
class [[nodiscard]] Result<void> {
public:
    Result() = default;
    Result(Error error)
        : m_error(std::move(error))
    {
    }

    bool ok() const { return !m_error.has_value(); }
    explicit operator bool() const { return ok(); }
    // Lets TRY treat both kinds alike.
    void value() const
    {
        if (!ok())
            detail::valueOfFailure(*m_error);
    }
    void release() const { value(); }

    const Error& error() const { return *m_error; }
    ErrorCode code() const { return m_error->code; }
    const std::string& message() const { return m_error->message; }

private:
    std::optional<Error> m_error;
};

using Status = Result<void>;

}  // namespace foundation

// Early return of a failure; the value of a success otherwise:
//   auto movie = TRY(InputMovie::open(path));
//   TRY(writer.finish());
#define TRY(expression)                 \
    ({                                  \
        auto _tryResult = (expression); \
        if (!_tryResult)                \
            return _tryResult.error();  \
        _tryResult.release();           \
    })
