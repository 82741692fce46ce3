#pragma once

// The root class. Objects live in std::shared_ptr; when the last strong
// reference goes, the runtime sends `dealloc`, whose root implementation
// frees the object (hooks on `dealloc` therefore see the object before it is
// gone, as on the phone).

#include "platform/runtime/Runtime.h"

#include <memory>
#include <string>
#include <utility>

class Object : public std::enable_shared_from_this<Object> {
public:
    virtual ~Object() = default;
    Object(const Object&) = delete;
    Object& operator=(const Object&) = delete;

    static Class classObject();
    Class isa() const { return m_isa; }
    const char* className() const { return class_getName(m_isa); }
    bool respondsToSelector(SEL sel) const { return class_respondsToSelector(m_isa, sel); }
    bool respondsToSelector(std::string_view sel) const { return respondsToSelector(sel_registerName(sel)); }
    bool isKindOfClass(Class cls) const { return class_isSubclassOf(m_isa, cls); }
    virtual std::string description() const;

    // A strong reference to this object; empty while it is being deallocated.
    template <class T = Object>
    std::shared_ptr<T> retained()
    {
        auto strong = weak_from_this().lock();
        return std::static_pointer_cast<T>(strong);
    }

    template <class T, class... Args>
    friend std::shared_ptr<T> alloc(Args&&... args);
    friend void runtime_setIsa(Object*, Class);

protected:
    Object() = default;

private:
    Class m_isa = nullptr;
};

namespace runtime {
struct DeallocDeleter {
    void operator()(Object* object) const;
};
}  // namespace runtime

// Creates an instance whose runtime class is T's. T must declare its class
// with MARQEL_OBJECT (or inherit the nearest declared one).
template <class T, class... Args>
std::shared_ptr<T> alloc(Args&&... args)
{
    T* raw = new T(std::forward<Args>(args)...);
    raw->m_isa = T::classObject();
    return std::shared_ptr<T>(raw, runtime::DeallocDeleter {});
}

// Creates an instance of a class known only by name (a class registered with
// a factory, see ClassBuilder.h). Returns null for an unknown class.
id class_createInstance(Class cls);

template <class T>
std::shared_ptr<T> objc_cast(const id& object)
{
    return std::dynamic_pointer_cast<T>(object);
}
