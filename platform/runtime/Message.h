#pragma once

// Message sending: msgSend<R>(receiver, "selector:", args...) finds the
// implementation along the receiver's superclass chain and calls it. A nil
// receiver answers a zero value, as in Objective-C.

#include "platform/runtime/Object.h"

#include <string_view>
#include <utility>

namespace runtime {

template <class T>
decltype(auto) toCanonical(T&& value)
{
    using Bare = std::remove_cvref_t<T>;
    using C = CanonicalType<Bare>;
    if constexpr (std::is_same_v<Bare, C>)
        return std::forward<T>(value);
    else if constexpr (requires { value.lock(); })
        return C(value.lock());
    else
        return C(value);
}

template <class T, class C>
decltype(auto) fromCanonical(C&& value)
{
    using Bare = std::remove_cvref_t<T>;
    if constexpr (ObjectPointer<Bare> && !std::is_same_v<Bare, id>)
        return Bare(std::dynamic_pointer_cast<typename Bare::element_type>(value));
    else if constexpr (std::is_same_v<Bare, std::remove_cvref_t<C>>)
        return std::forward<C>(value);
    else
        return static_cast<Bare>(std::forward<C>(value));
}

inline Object* receiverOf(Object* object) { return object; }
inline Object* receiverOf(const Object* object) { return const_cast<Object*>(object); }
template <class T>
Object* receiverOf(const std::shared_ptr<T>& object) { return object.get(); }
template <class T>
Object* receiverOf(const std::weak_ptr<T>& object) { return object.lock().get(); }
inline Object* receiverOf(std::nullptr_t) { return nullptr; }

inline SEL selectorOf(SEL sel) { return sel; }
inline SEL selectorOf(std::string_view name) { return sel_registerName(name); }

template <class R, class... A>
R invoke(Method method, Object* self, SEL sel, A&&... args)
{
    using Fn = CanonicalType<R> (*)(Object*, SEL, CanonicalType<A>...);
    auto fn = reinterpret_cast<Fn>(method->imp.load(std::memory_order_acquire));
    if constexpr (std::is_void_v<R>)
        fn(self, sel, toCanonical(std::forward<A>(args))...);
    else
        return fromCanonical<R>(fn(self, sel, toCanonical(std::forward<A>(args))...));
}

template <class R, class... A>
const std::string* callEncoding()
{
    static const std::string* encoding = internEncoding(methodEncoding<R, A...>());
    return encoding;
}

}  // namespace runtime

template <class R = void, class Receiver, class Selector, class... A>
R msgSend(const Receiver& receiver, const Selector& selector, A&&... args)
{
    Object* self = runtime::receiverOf(receiver);
    if (!self) {
        if constexpr (!std::is_void_v<R>)
            return R {};
        else
            return;
    }
    // Keep the receiver alive for the whole call even if the call drops the
    // last outside reference (a window clearing the global that holds it).
    auto keepAlive = self->retained();
    SEL sel = runtime::selectorOf(selector);
    Method method = runtime::resolve(self->isa(), sel, runtime::callEncoding<R, A...>());
    return runtime::invoke<R>(method, self, sel, std::forward<A>(args)...);
}

// Sends a class method: msgSendClass<id>(objc_getClass("RPScreenRecorder"), "sharedRecorder").
template <class R = void, class Selector, class... A>
R msgSendClass(Class cls, const Selector& selector, A&&... args)
{
    if (!cls) {
        if constexpr (!std::is_void_v<R>)
            return R {};
        else
            return;
    }
    SEL sel = runtime::selectorOf(selector);
    Method method = runtime::resolveClassMethod(cls, sel, runtime::callEncoding<R, A...>());
    using Fn = CanonicalType<R> (*)(Class, SEL, CanonicalType<A>...);
    auto fn = reinterpret_cast<Fn>(method->imp.load(std::memory_order_acquire));
    if constexpr (std::is_void_v<R>)
        fn(cls, sel, runtime::toCanonical(std::forward<A>(args))...);
    else
        return runtime::fromCanonical<R>(fn(cls, sel, runtime::toCanonical(std::forward<A>(args))...));
}

// Sends to the implementation above `currentClass`, for overrides that
// finish with the superclass's behaviour.
template <class R = void, class Selector, class... A>
R msgSendSuper(Object* self, Class currentClass, const Selector& selector, A&&... args)
{
    SEL sel = runtime::selectorOf(selector);
    Method method = runtime::resolve(class_getSuperclass(currentClass), sel, runtime::callEncoding<R, A...>());
    return runtime::invoke<R>(method, self, sel, std::forward<A>(args)...);
}

// Calls a saved implementation (a hook's "previous") with its own signature.
template <class R, class... P, class... A>
R callIMP(R (*imp)(Object*, SEL, P...), Object* self, SEL sel, A&&... args)
{
    return imp(self, sel, std::forward<A>(args)...);
}

// Whether a method can take an action or observer message: it returns
// nothing and takes no argument ("v@:") or one object ("v@:@"). Anything
// else would fail the call's type check, so a name read from a file is
// judged here before it is sent.
inline bool isActionMethod(Method m)
{
    if (!m)
        return false;
    std::string_view types = method_getTypeEncoding(m);
    return types == "v@:" || types == "v@:@";
}

// Sends an action or observer message the way the platform does: a method
// taking no argument is called without one, "v@:@" gets `argument`.
// Returns false when the target does not answer the selector, or answers it
// with a method of another shape (see isActionMethod), which is not called.
inline bool performAction(const id& target, SEL sel, const id& argument)
{
    if (!target)
        return false;
    Method m = class_getInstanceMethod(target->isa(), sel);
    if (!isActionMethod(m))
        return false;
    std::string_view types = method_getTypeEncoding(m);
    if (types == "v@:")
        msgSend<void>(target, sel);
    else
        msgSend<void>(target, sel, argument);
    return true;
}
