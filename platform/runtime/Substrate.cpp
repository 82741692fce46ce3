#include "platform/runtime/Substrate.h"

// The platform's result type is header-only, so the runtime, below
// Foundation, shares it without linking Foundation.
#include "platform/foundation/Result.h"

#include <algorithm>
#include <cstdlib>
#include <dlfcn.h>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <mutex>

namespace substrate {
namespace {
std::mutex loggerMutex;
std::function<void(const std::string&)>& logger()
{
    static auto* instance = new std::function<void(const std::string&)>([](const std::string& line) { std::cerr << line << '\n'; });
    return *instance;
}
}  // namespace

void setLogger(std::function<void(const std::string&)> newLogger)
{
    std::lock_guard lock(loggerMutex);
    logger() = std::move(newLogger);
}

void log(const std::string& line)
{
    std::function<void(const std::string&)> current;
    {
        std::lock_guard lock(loggerMutex);
        current = logger();
    }
    current(line);
}

bool hook(Class cls, SEL sel, IMP replacement, IMP* previous, const std::string* expectedTypes)
{
    if (!cls) {
        log(std::string("substrate: no such class, hook of ") + sel_getName(sel) + " skipped");
        return false;
    }
    Method m = class_getInstanceMethod(cls, sel);
    if (!m || !replacement) {
        log(std::string("substrate: ") + class_getName(cls) + " has no method " + sel_getName(sel) + ", hook skipped");
        return false;
    }
    if (expectedTypes && m->types != expectedTypes) {
        log(std::string("substrate: hook of -[") + class_getName(cls) + " " + sel_getName(sel) + "] has types \""
            + *expectedTypes + "\" but the method is \"" + *m->types + "\", hook skipped");
        return false;
    }
    if (cls->methods.find(sel) == cls->methods.end()) {
        // Inherited: override in this class only, keeping the superclass's.
        IMP inherited = method_getImplementation(m);
        runtime::addDefinedMethod(cls, sel, replacement, m->types, inherited);
        if (previous)
            *previous = inherited;
        return true;
    }
    IMP old = method_setImplementation(m, replacement);
    if (previous)
        *previous = old;
    return true;
}

LoadReport loadTweaks(const std::string& tweakFolder, const std::string& bundleIdentifier, const FilterReader& readFilter)
{
    namespace fs = std::filesystem;
    LoadReport report;
    std::error_code ec;
    std::vector<fs::path> filters;
    for (const auto& entry : fs::directory_iterator(tweakFolder, ec))
        if (entry.path().extension() == ".plist")
            filters.push_back(entry.path());
    std::sort(filters.begin(), filters.end());  // a stable injection order, as the substrate's
    for (const auto& filter : filters) {
        auto bundles = readFilter(filter.string());
        if (!bundles) {
            report.errors.push_back(bundles.message());
            continue;
        }
        if (std::find(bundles.value().begin(), bundles.value().end(), bundleIdentifier) == bundles.value().end())
            continue;
        fs::path library = filter;
        library.replace_extension(".so");
        void* handle = dlopen(library.c_str(), RTLD_NOW | RTLD_GLOBAL);
        if (!handle) {
            const char* why = dlerror();
            report.errors.push_back("cannot load " + library.string() + ": " + (why ? why : "unknown error"));
            continue;
        }
        report.loaded.push_back({ filter.stem().string(), library.string(), handle });
    }
    return report;
}

}  // namespace substrate

void MSHookMessageEx(Class cls, SEL sel, IMP replacement, IMP* previous)
{
    substrate::hook(cls, sel, replacement, previous, nullptr);
}
