#pragma once

// The hooking substrate: replacing a method and keeping the previous
// implementation, and loading tweaks into a host process.

#include "platform/foundation/Result.h"
#include "platform/runtime/ClassBuilder.h"

#include <functional>
#include <string>
#include <vector>

// Replaces cls's implementation of sel with `replacement` and stores the
// previous implementation in *previous. When the class only inherits the
// method, an override is added to the class and *previous is the inherited
// implementation, so the superclass is not affected. A null class or a
// selector the class does not answer leaves everything untouched (and
// *previous unchanged) and writes a log line naming them.
void MSHookMessageEx(Class cls, SEL sel, IMP replacement, IMP* previous);

namespace substrate {
// Where the substrate writes its log lines; the Foundation layer routes them
// to the system log.
void setLogger(std::function<void(const std::string&)> logger);
void log(const std::string& line);
bool hook(Class cls, SEL sel, IMP replacement, IMP* previous, const std::string* expectedTypes);
}  // namespace substrate

// The typed form: the replacement's signature must match the method's type
// encoding, otherwise the hook is refused with a log line.
template <class R, class... A>
void MSHookMessageEx(Class cls, SEL sel, R (*replacement)(Object*, SEL, A...), R (**previous)(Object*, SEL, A...))
{
    static const std::string* types = runtime::internEncoding(methodEncoding<R, A...>());
    substrate::hook(cls, sel, reinterpret_cast<IMP>(replacement), reinterpret_cast<IMP*>(previous), types);
}

namespace substrate {

struct LoadedTweak {
    std::string name;
    std::string path;
    void* handle = nullptr;
};

struct LoadReport {
    std::vector<LoadedTweak> loaded;
    std::vector<std::string> errors;
};

// The bundle identifiers a filter's Filter/Bundles list names, or why it
// cannot be read. The runtime sits below Foundation, so the process that
// starts the loader hands it Foundation's one property-list reader.
using FilterReader = std::function<foundation::Result<std::vector<std::string>>(const std::string& filterPath)>;

// Reads every "<Name>.plist" filter in `tweakFolder` (a host path) with
// `readFilter` and dlopens "<Name>.so" next to it when the filter names
// `bundleIdentifier`, the way a substrate injects tweaks at process start.
LoadReport loadTweaks(const std::string& tweakFolder, const std::string& bundleIdentifier, const FilterReader& readFilter);

}  // namespace substrate
