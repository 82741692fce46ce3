#pragma once

// The object runtime: classes by name, interned selectors, per-class method
// tables and message dispatch along the superclass chain.

#include "platform/runtime/Forward.h"
#include "platform/runtime/TypeEncoding.h"

#include <atomic>
#include <stdexcept>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

struct objc_selector {
    std::string name;
};

struct objc_method {
    SEL name;
    std::atomic<IMP> imp;
    const std::string* types;  // interned, so two encodings compare by address
    IMP original = nullptr;  // what the class was built with, to tell hooked methods
    bool addedAtRuntime = false;  // by class_addMethod after the class was defined
};

struct objc_class {
    std::string name;
    Class superclass = nullptr;
    std::unordered_map<SEL, std::unique_ptr<objc_method>> methods;
    // Class methods ("+sharedRecorder"); their implementations take the
    // class instead of an instance: R (*)(Class, SEL, Args...).
    std::unordered_map<SEL, std::unique_ptr<objc_method>> classMethods;
};

// A programmer error in a message send: unknown selector, or argument and
// result types that differ from the method's type encoding.
class MessageError : public std::logic_error {
public:
    using std::logic_error::logic_error;
};

SEL sel_registerName(std::string_view name);
const char* sel_getName(SEL sel);

Class objc_getClass(std::string_view name);
const char* class_getName(Class cls);
Class class_getSuperclass(Class cls);
// Registers a class; registering an existing name returns the existing class.
Class objc_registerClass(std::string_view name, Class superclass);
// Looks a method up along the superclass chain.
Method class_getInstanceMethod(Class cls, SEL sel);
// Adds a method to this class only; fails (returns false) when the class
// itself already has one for the selector, as in Objective-C.
bool class_addMethod(Class cls, SEL sel, IMP imp, const char* types);
IMP method_getImplementation(Method m);
const char* method_getTypeEncoding(Method m);
// Swaps the implementation and returns the previous one.
IMP method_setImplementation(Method m, IMP imp);
bool class_respondsToSelector(Class cls, SEL sel);
Method class_getClassMethod(Class cls, SEL sel);
bool class_addClassMethod(Class cls, SEL sel, IMP imp, const char* types);
bool class_isSubclassOf(Class cls, Class ancestor);

namespace runtime {
const std::string* internEncoding(const std::string& types);
// Finds the method and checks the call's encoding; throws MessageError.
Method resolve(Class cls, SEL sel, const std::string* callEncoding);
Method resolveClassMethod(Class cls, SEL sel, const std::string* callEncoding);
// Adds a method as part of the class's own definition (or a substrate
// override that stands for an inherited one, whose original is `original`).
bool addDefinedMethod(Class cls, SEL sel, IMP imp, const std::string* types, IMP original);
// Code that the class's own definition brought (its factory, the methods it
// was built with, not those added later), for finding the loaded object that
// defines the class.
std::vector<const void*> definingCode(Class cls);
}  // namespace runtime
