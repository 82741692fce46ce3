#include "platform/runtime/ClassBuilder.h"

#include <cstdio>
#include <mutex>
#include <shared_mutex>
#include <unordered_set>

namespace {

struct Registry {
    std::shared_mutex mutex;
    std::unordered_map<std::string, std::unique_ptr<objc_selector>> selectors;
    std::unordered_map<std::string, std::unique_ptr<objc_class>> classes;
    std::unordered_set<std::string> encodings;
    std::unordered_map<Class, runtime::Factory> factories;
};

Registry& registry()
{
    static Registry* instance = new Registry;  // never destroyed: objects may outlive static teardown
    return *instance;
}

Method findMethod(Class cls, SEL sel, bool classMethod = false)
{
    for (Class c = cls; c; c = c->superclass) {
        auto& table = classMethod ? c->classMethods : c->methods;
        auto it = table.find(sel);
        if (it != table.end())
            return it->second.get();
    }
    return nullptr;
}

bool addTo(std::unordered_map<SEL, std::unique_ptr<objc_method>>& table, SEL sel, IMP imp, const std::string* types,
    IMP original = nullptr, bool addedAtRuntime = false)
{
    auto& slot = table[sel];
    if (slot)
        return false;
    slot = std::make_unique<objc_method>();
    slot->name = sel;
    slot->imp.store(imp);
    slot->types = types;
    slot->original = original ? original : imp;
    slot->addedAtRuntime = addedAtRuntime;
    return true;
}

void rootDealloc(Object* self, SEL) { delete self; }
std::string rootDescription(Object* self, SEL) { return self->description(); }

}  // namespace

SEL sel_registerName(std::string_view name)
{
    auto& r = registry();
    std::string key(name);
    {
        std::shared_lock lock(r.mutex);
        auto it = r.selectors.find(key);
        if (it != r.selectors.end())
            return it->second.get();
    }
    std::unique_lock lock(r.mutex);
    auto& slot = r.selectors[key];
    if (!slot)
        slot = std::make_unique<objc_selector>(objc_selector { key });
    return slot.get();
}

const char* sel_getName(SEL sel) { return sel ? sel->name.c_str() : "<null selector>"; }

Class objc_getClass(std::string_view name)
{
    auto& r = registry();
    std::shared_lock lock(r.mutex);
    auto it = r.classes.find(std::string(name));
    return it == r.classes.end() ? nullptr : it->second.get();
}

const char* class_getName(Class cls) { return cls ? cls->name.c_str() : "nil"; }
Class class_getSuperclass(Class cls) { return cls ? cls->superclass : nullptr; }

Class objc_registerClass(std::string_view name, Class superclass)
{
    auto& r = registry();
    std::unique_lock lock(r.mutex);
    auto& slot = r.classes[std::string(name)];
    if (!slot) {
        slot = std::make_unique<objc_class>();
        slot->name = std::string(name);
        slot->superclass = superclass;
    }
    return slot.get();
}

Method class_getInstanceMethod(Class cls, SEL sel)
{
    if (!cls || !sel)
        return nullptr;
    std::shared_lock lock(registry().mutex);
    return findMethod(cls, sel);
}

bool class_addMethod(Class cls, SEL sel, IMP imp, const char* types)
{
    if (!cls || !sel || !imp || !types)
        return false;
    const std::string* interned = runtime::internEncoding(types);
    std::unique_lock lock(registry().mutex);
    return addTo(cls->methods, sel, imp, interned, imp, true);
}

bool class_addClassMethod(Class cls, SEL sel, IMP imp, const char* types)
{
    if (!cls || !sel || !imp || !types)
        return false;
    const std::string* interned = runtime::internEncoding(types);
    std::unique_lock lock(registry().mutex);
    return addTo(cls->classMethods, sel, imp, interned);
}

Method class_getClassMethod(Class cls, SEL sel)
{
    if (!cls || !sel)
        return nullptr;
    std::shared_lock lock(registry().mutex);
    return findMethod(cls, sel, true);
}

IMP method_getImplementation(Method m) { return m ? m->imp.load(std::memory_order_acquire) : nullptr; }
const char* method_getTypeEncoding(Method m) { return m ? m->types->c_str() : nullptr; }

IMP method_setImplementation(Method m, IMP imp)
{
    if (!m || !imp)
        return nullptr;
    return m->imp.exchange(imp, std::memory_order_acq_rel);
}

bool class_respondsToSelector(Class cls, SEL sel) { return class_getInstanceMethod(cls, sel) != nullptr; }

bool class_isSubclassOf(Class cls, Class ancestor)
{
    for (Class c = cls; c; c = c->superclass)
        if (c == ancestor)
            return true;
    return false;
}

namespace runtime {

const std::string* internEncoding(const std::string& types)
{
    auto& r = registry();
    {
        std::shared_lock lock(r.mutex);
        auto it = r.encodings.find(types);
        if (it != r.encodings.end())
            return &*it;
    }
    std::unique_lock lock(r.mutex);
    return &*r.encodings.insert(types).first;
}

Method resolve(Class cls, SEL sel, const std::string* callEncoding)
{
    Method m = class_getInstanceMethod(cls, sel);
    if (!m)
        throw MessageError(std::string("unrecognized selector -[") + class_getName(cls) + " " + sel_getName(sel) + "]");
    if (m->types != callEncoding)
        throw MessageError(std::string("type mismatch calling -[") + class_getName(cls) + " " + sel_getName(sel)
            + "]: the method is \"" + *m->types + "\", the call is \"" + *callEncoding + "\"");
    return m;
}

Method resolveClassMethod(Class cls, SEL sel, const std::string* callEncoding)
{
    Method m = class_getClassMethod(cls, sel);
    if (!m)
        throw MessageError(std::string("unrecognized selector +[") + class_getName(cls) + " " + sel_getName(sel) + "]");
    if (m->types != callEncoding)
        throw MessageError(std::string("type mismatch calling +[") + class_getName(cls) + " " + sel_getName(sel)
            + "]: the method is \"" + *m->types + "\", the call is \"" + *callEncoding + "\"");
    return m;
}

bool addDefinedMethod(Class cls, SEL sel, IMP imp, const std::string* types, IMP original)
{
    std::unique_lock lock(registry().mutex);
    return addTo(cls->methods, sel, imp, types, original, false);
}

Class defineClass(const char* name, Class superclass, Factory factory, const std::vector<MethodSpec>& methods)
{
    Class cls = objc_registerClass(name, superclass);
    for (const auto& entry : methods) {
        if (entry.isClassMethod)
            class_addClassMethod(cls, sel_registerName(entry.selector), entry.imp, entry.types.c_str());
        else
            addDefinedMethod(cls, sel_registerName(entry.selector), entry.imp, internEncoding(entry.types), nullptr);
    }
    if (factory) {
        std::unique_lock lock(registry().mutex);
        registry().factories[cls] = factory;
    }
    return cls;
}

std::vector<const void*> definingCode(Class cls)
{
    std::vector<const void*> code;
    if (!cls)
        return code;
    std::shared_lock lock(registry().mutex);
    if (auto it = registry().factories.find(cls); it != registry().factories.end())
        code.push_back(reinterpret_cast<const void*>(it->second));
    for (const auto& [sel, method] : cls->methods)
        if (!method->addedAtRuntime && method->original)
            code.push_back(reinterpret_cast<const void*>(method->original));
    for (const auto& [sel, method] : cls->classMethods)
        if (!method->addedAtRuntime && method->original)
            code.push_back(reinterpret_cast<const void*>(method->original));
    return code;
}

void DeallocDeleter::operator()(Object* object) const
{
    static SEL dealloc = sel_registerName("dealloc");
    Method m = class_getInstanceMethod(object->isa(), dealloc);
    if (!m) {
        delete object;
        return;
    }
    reinterpret_cast<void (*)(Object*, SEL)>(method_getImplementation(m))(object, dealloc);
}

}  // namespace runtime

id class_createInstance(Class cls)
{
    for (Class c = cls; c; c = c->superclass) {
        runtime::Factory factory = nullptr;
        {
            std::shared_lock lock(registry().mutex);
            auto it = registry().factories.find(c);
            if (it != registry().factories.end())
                factory = it->second;
        }
        if (factory) {
            id object = factory();
            runtime_setIsa(object.get(), cls);
            return object;
        }
    }
    return nullptr;
}

void runtime_setIsa(Object* object, Class cls) { object->m_isa = cls; }

std::string Object::description() const
{
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "<%s: %p>", className(), static_cast<const void*>(this));
    return buffer;
}

Class Object::classObject()
{
    static Class cls = runtime::defineClass("NSObject", nullptr, nullptr,
        { function("dealloc", &rootDealloc), function("description", &rootDescription) });
    return cls;
}
[[maybe_unused]] static const Class marqel_class_registration_Object = Object::classObject();
