#pragma once

// The platform's one way to fail: an operation hands back its value or an
// Error with a code and a message, and never throws across an API. Callers
// that cannot handle a failure pass it up with TRY.

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
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

    // A failed system call on a file, said once for every caller:
    // fromErrno("open", path) reads "cannot open <path>: <reason>". A missing
    // file is NotFound, a refused one PermissionDenied, anything else
    // `otherwise`.
    static Error fromErrno(std::string_view operation, std::string_view path, int error = errno,
        ErrorCode otherwise = ErrorCode::FileSystem)
    {
        ErrorCode code = otherwise;
        if (error == ENOENT)
            code = ErrorCode::NotFound;
        else if (error == EACCES || error == EPERM || error == EROFS)
            code = ErrorCode::PermissionDenied;
        std::string message = "cannot ";
        message.append(operation).append(" ").append(path).append(": ").append(std::generic_category().message(error));
        return Error { code, std::move(message) };
    }
    // The same for the std::filesystem calls that report through an error_code.
    static Error fromErrno(std::string_view operation, std::string_view path, const std::error_code& error,
        ErrorCode otherwise = ErrorCode::FileSystem)
    {
        return fromErrno(operation, path, error.value(), otherwise);
    }

    // What the caller was doing, in front of what went wrong beneath it:
    // "reading the preference domain: cannot open ...".
    Error withContext(std::string_view context) const&
    {
        return Error(*this).withContext(context);
    }
    Error withContext(std::string_view context) &&
    {
        message.insert(0, std::string(context) + ": ");
        return std::move(*this);
    }
};

namespace detail {
[[noreturn]] inline void valueOfFailure(const Error& error)
{
    // Reading the value of a failure is a programming error; stop loudly
    // instead of handing out garbage.
    std::fprintf(stderr, "Result: value() of a failure: %s\n", error.message.c_str());
    std::abort();
}
[[noreturn]] inline void errorOfSuccess()
{
    std::fprintf(stderr, "Result: error() of a success: check ok() before asking why it failed\n");
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

    const Error& error() const
    {
        if (ok())
            detail::errorOfSuccess();
        return std::get<1>(m_state);
    }
    ErrorCode code() const { return error().code; }
    const std::string& message() const { return error().message; }

    // A failure says what the caller was doing; a success passes unchanged.
    Result withContext(std::string_view context) &&
    {
        if (!ok())
            return std::get<1>(std::move(m_state)).withContext(context);
        return std::move(*this);
    }

private:
    void requireValue() const
    {
        if (!ok())
            detail::valueOfFailure(std::get<1>(m_state));
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

    const Error& error() const
    {
        if (ok())
            detail::errorOfSuccess();
        return *m_error;
    }
    ErrorCode code() const { return error().code; }
    const std::string& message() const { return error().message; }

    Result withContext(std::string_view context) &&
    {
        if (!ok())
            return std::move(*m_error).withContext(context);
        return std::move(*this);
    }

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
