#pragma once

// Declarative class registration. A class lists its methods once:
//
//   MARQEL_DEFINE_CLASS(MarqelWindow,
//       method<&MarqelWindow::showWithAnimation>("showWithAnimation:"),
//       method<&MarqelWindow::dismissWindow>("dismissWindow"))
//
// and the template below generates, for each member function, the
// implementation with the runtime's calling convention and its type encoding.

#include "platform/runtime/Message.h"

#include <tuple>
#include <vector>

namespace runtime {

struct MethodSpec {
    const char* selector;
    IMP imp;
    std::string types;
    bool isClassMethod = false;
};

template <class F>
struct StaticFunction;
template <class R, class... A>
struct StaticFunction<R (*)(A...)> {
    template <auto F>
    static CanonicalType<R> call(Class, SEL, CanonicalType<A>... args)
    {
        if constexpr (std::is_void_v<R>)
            F(fromCanonical<A>(std::move(args))...);
        else
            return toCanonical(F(fromCanonical<A>(std::move(args))...));
    }
    static std::string types() { return methodEncoding<R, A...>(); }
};

template <class F>
struct MemberFunction;
template <class C, class R, class... A>
struct MemberFunction<R (C::*)(A...)> {
    using Owner = C;
    template <auto F>
    static CanonicalType<R> call(Object* self, SEL, CanonicalType<A>... args)
    {
        auto* object = static_cast<C*>(self);
        if constexpr (std::is_void_v<R>)
            (object->*F)(fromCanonical<A>(std::move(args))...);
        else
            return toCanonical((object->*F)(fromCanonical<A>(std::move(args))...));
    }
    static std::string types() { return methodEncoding<R, A...>(); }
};
template <class C, class R, class... A>
struct MemberFunction<R (C::*)(A...) const> {
    using Owner = C;
    template <auto F>
    static CanonicalType<R> call(Object* self, SEL, CanonicalType<A>... args)
    {
        auto* object = static_cast<const C*>(self);
        if constexpr (std::is_void_v<R>)
            (object->*F)(fromCanonical<A>(std::move(args))...);
        else
            return toCanonical((object->*F)(fromCanonical<A>(std::move(args))...));
    }
    static std::string types() { return methodEncoding<R, A...>(); }
};

template <class F>
struct FreeFunction;
template <class R, class... A>
struct FreeFunction<R (*)(Object*, SEL, A...)> {
    static std::string types() { return methodEncoding<R, A...>(); }
};

using Factory = id (*)();
Class defineClass(const char* name, Class superclass, Factory factory, const std::vector<MethodSpec>& methods);

template <class T>
id makeInstance() { return alloc<T>(); }

template <class T>
constexpr Factory factoryFor()
{
    if constexpr (std::is_default_constructible_v<T>)
        return &makeInstance<T>;
    else
        return nullptr;
}

}  // namespace runtime

template <auto F>
runtime::MethodSpec method(const char* selector)
{
    using Traits = runtime::MemberFunction<decltype(F)>;
    return { selector, reinterpret_cast<IMP>(&Traits::template call<F>), Traits::types() };
}

// A static member function as a class method: classMethod<&RPScreenRecorder::sharedRecorder>("sharedRecorder").
template <auto F>
runtime::MethodSpec classMethod(const char* selector)
{
    using Traits = runtime::StaticFunction<decltype(F)>;
    return { selector, reinterpret_cast<IMP>(&Traits::template call<F>), Traits::types(), true };
}

// A plain function already written in the runtime's calling convention.
template <class R, class... A>
runtime::MethodSpec function(const char* selector, R (*fn)(Object*, SEL, A...))
{
    return { selector, reinterpret_cast<IMP>(fn), runtime::FreeFunction<decltype(fn)>::types() };
}

// The encoding of a function in the runtime's calling convention, for
// class_addMethod callers that want it computed rather than written.
template <class R, class... A>
std::string typesOf(R (*)(Object*, SEL, A...))
{
    return methodEncoding<R, A...>();
}

#define MARQEL_OBJECT(Name, Base) \
public:                           \
    using Super = Base;           \
    static Class classObject();

#define MARQEL_DEFINE_CLASS(Name, ...)                                             \
    Class Name::classObject()                                                      \
    {                                                                              \
        static Class cls = runtime::defineClass(#Name, Name::Super::classObject(), \
            runtime::factoryFor<Name>(), { __VA_ARGS__ });                         \
        return cls;                                                                \
    }                                                                              \
    [[maybe_unused]] static const Class marqel_class_registration_##Name = Name::classObject();

// For classes that exist only once something loads them (a private bundle's
// classes): registered at the first call of Name::classObject().
#define MARQEL_DEFINE_CLASS_LAZY(Name, ...)                                        \
    Class Name::classObject()                                                      \
    {                                                                              \
        static Class cls = runtime::defineClass(#Name, Name::Super::classObject(), \
            runtime::factoryFor<Name>(), { __VA_ARGS__ });                         \
        return cls;                                                                \
    }
