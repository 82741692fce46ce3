#pragma once

#include <memory>

class Object;
struct objc_class;
struct objc_selector;
struct objc_method;

using Class = objc_class*;
using SEL = const objc_selector*;
using Method = objc_method*;
// A method implementation as the runtime stores it; the real signature is
// R (*)(Object* self, SEL _cmd, Args...) and is recorded in the type encoding.
using IMP = void (*)();
// A strong reference to any object, the counterpart of Objective-C's `id`.
using id = std::shared_ptr<Object>;
