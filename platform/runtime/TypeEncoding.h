#pragma once

// Maps the C++ types that may cross a message send to Objective-C type
// encodings, and to the one "canonical" C++ type per encoding that method
// implementations are compiled against. Calls whose canonical signature does
// not match the method's recorded encoding are refused, so a mismatched hook
// fails loudly instead of calling through a wrong function pointer.

#include "platform/runtime/Forward.h"

#include <concepts>
#include <cstdint>
#include <functional>
#include <string>
#include <type_traits>

template <class T>
struct EncodingOf;  // primary template left undefined: an unsupported type is a compile error

template <class T>
concept ObjectPointer = requires
{
    typename T::element_type;
}
&&std::is_base_of_v<Object, typename T::element_type>&&
    std::is_same_v<T, std::shared_ptr<typename T::element_type>>;

namespace runtime::detail {
template <class T>
using Bare = std::remove_cvref_t<T>;

// Canonical: the type a method implementation actually receives.
template <class T, class = void>
struct Canonical {
    using type = Bare<T>;
};
template <ObjectPointer T>
struct Canonical<T, void> {
    using type = id;
};
template <>
struct Canonical<std::nullptr_t, void> {
    using type = id;
};
template <class T>
requires std::is_enum_v<T>
struct Canonical<T, void> {
    using type = std::underlying_type_t<T>;
};
template <class T>
requires(std::is_integral_v<T> && !std::is_same_v<T, bool>) struct Canonical<T, void> {
    using type = std::conditional_t<std::is_signed_v<T>,
        std::conditional_t<sizeof(T) == 8, std::int64_t, std::conditional_t<sizeof(T) == 4, std::int32_t, T>>,
        std::conditional_t<sizeof(T) == 8, std::uint64_t, std::conditional_t<sizeof(T) == 4, std::uint32_t, T>>>;
};
template <>
struct Canonical<const char*, void> {
    using type = std::string;
};
template <std::size_t N>
struct Canonical<char[N], void> {
    using type = std::string;
};
template <class T>
struct Canonical<std::weak_ptr<T>, void> {
    using type = id;
};
}  // namespace runtime::detail

template <class T>
using CanonicalType = typename runtime::detail::Canonical<runtime::detail::Bare<T>>::type;

#define MARQEL_ENCODING(T, S)                  \
    template <>                                \
    struct EncodingOf<T> {                     \
        static std::string get() { return S; } \
    };
MARQEL_ENCODING(void, "v")
MARQEL_ENCODING(bool, "B")
MARQEL_ENCODING(char, "c")
MARQEL_ENCODING(std::int32_t, "i")
MARQEL_ENCODING(std::uint32_t, "I")
MARQEL_ENCODING(std::int64_t, "q")
MARQEL_ENCODING(std::uint64_t, "Q")
MARQEL_ENCODING(float, "f")
MARQEL_ENCODING(double, "d")
MARQEL_ENCODING(id, "@")
MARQEL_ENCODING(SEL, ":")
MARQEL_ENCODING(Class, "#")
MARQEL_ENCODING(std::string, "@\"NSString\"")
MARQEL_ENCODING(void*, "^v")
#undef MARQEL_ENCODING

// Blocks carry their own signature, as in the extended encodings: "@?<v@?@>".
template <class R, class... A>
struct EncodingOf<std::function<R(A...)>> {
    static std::string get() { return "@?<" + EncodingOf<CanonicalType<R>>::get() + "@?" + (EncodingOf<CanonicalType<A>>::get() + ... + std::string()) + ">"; }
};

// Structures declare their encoding with a static member `encoding`.
template <class T>
requires requires
{
    {
        T::encoding
        } -> std::convertible_to<const char*>;
}
struct EncodingOf<T> {
    static std::string get() { return T::encoding; }
};

template <class R, class... A>
std::string methodEncoding()
{
    return EncodingOf<CanonicalType<R>>::get() + "@:" + (EncodingOf<CanonicalType<A>>::get() + ... + std::string());
}
