#pragma once

// NSLog: printf formats plus %@ (an object's description, a string, or a
// geometry value), one line per call into the system log.

#include "platform/foundation/CGGeometry.h"
#include "platform/foundation/SystemLog.h"
#include "platform/runtime/Object.h"

#include <cstdint>
#include <initializer_list>
#include <string>
#include <type_traits>

namespace logformat {

struct Arg {
    enum class Kind { Signed,
        Unsigned,
        Real,
        Text,
        Pointer } kind;
    std::int64_t i = 0;
    std::uint64_t u = 0;
    double d = 0;
    std::string s;
    const void* p = nullptr;

    template <class T>
    requires(std::is_integral_v<T>&& std::is_signed_v<T>)
        Arg(T v)
        : kind(Kind::Signed)
        , i(v)
    {
    }
    template <class T>
    requires(std::is_integral_v<T>&& std::is_unsigned_v<T> && !std::is_same_v<T, bool>)
        Arg(T v)
        : kind(Kind::Unsigned)
        , u(v)
    {
    }
    Arg(bool v)
        : kind(Kind::Signed)
        , i(v ? 1 : 0)
    {
    }
    template <class T>
    requires std::is_floating_point_v<T>
    Arg(T v)
        : kind(Kind::Real)
        , d(v)
    {
    }
    template <class T>
    requires std::is_enum_v<T>
    Arg(T v)
        : kind(Kind::Signed)
        , i(static_cast<std::int64_t>(v))
    {
    }
    Arg(const char* v)
        : kind(Kind::Text)
        , s(v ? v : "(null)")
    {
    }
    Arg(const std::string& v)
        : kind(Kind::Text)
        , s(v)
    {
    }
    Arg(const CGRect& v)
        : kind(Kind::Text)
        , s(NSStringFromCGRect(v))
    {
    }
    Arg(const CGPoint& v)
        : kind(Kind::Text)
        , s(NSStringFromCGPoint(v))
    {
    }
    Arg(const CGSize& v)
        : kind(Kind::Text)
        , s(NSStringFromCGSize(v))
    {
    }
    Arg(const Object* v)
        : kind(Kind::Text)
        , s(v ? v->description() : "(null)")
    {
    }
    template <class T>
    requires std::is_base_of_v<Object, T>
    Arg(const std::shared_ptr<T>& v)
        : Arg(static_cast<const Object*>(v.get()))
    {
    }
    Arg(const void* v)
        : kind(Kind::Pointer)
        , p(v)
    {
    }
};

std::string format(const char* fmt, std::initializer_list<Arg> args);

}  // namespace logformat

template <class... A>
void NSLog(const char* fmt, const A&... args)
{
    SystemLog::shared().write(logformat::format(fmt, { logformat::Arg(args)... }));
}
