#include "platform/springboard/ProcessHost.h"

#include "platform/foundation/Foundation.h"

#include <algorithm>

namespace host {

std::vector<MethodChange> methodChanges(const std::vector<std::string>& classNames)
{
    std::vector<MethodChange> changes;
    for (const auto& name : classNames) {
        Class cls = objc_getClass(name);
        if (!cls)
            continue;
        std::vector<MethodChange> forClass;
        for (const auto& [sel, method] : cls->methods) {
            if (method->addedAtRuntime)
                forClass.push_back({ name, sel->name, true });
            else if (method_getImplementation(method.get()) != method->original)
                forClass.push_back({ name, sel->name, false });
        }
        std::sort(forClass.begin(), forClass.end(), [](const auto& a, const auto& b) { return a.selector < b.selector; });
        changes.insert(changes.end(), forClass.begin(), forClass.end());
    }
    return changes;
}

BootReport startProcess(const std::string& executablePath, const std::string& bundleIdentifier)
{
    // The folders every phone has, whatever has been installed.
    for (const char* folder : { "/tmp", "/var/mobile/Library/Preferences", "/var/mobile/Media" })
        NSFileManager::defaultManager()->createDirectoryAtPath(folder);
    NSProcessInfo::processInfo()->setArguments({ executablePath });
    NSBundle::mainBundle()->setBundleIdentifier(bundleIdentifier);
    foundation::installSystemLogForSubstrate();
    auto folder = DevicePath::toHost(tweakFolder);
    BootReport report;
    if (!folder) {
        report.loaderErrors.push_back("no tweaks loaded: " + folder.message());
        return report;
    }
    auto loaded = substrate::loadTweaks(folder.value(), bundleIdentifier);
    for (const auto& tweak : loaded.loaded)
        report.loadedTweaks.push_back(tweak.name);
    report.loaderErrors = std::move(loaded.errors);
    return report;
}

std::string describe(const BootReport& report)
{
    std::string out;
    for (const auto& tweak : report.loadedTweaks)
        out += "loaded tweak " + tweak + "\n";
    for (const auto& error : report.loaderErrors)
        out += "loader: " + error + "\n";
    if (report.changes.empty())
        out += "no methods hooked or added\n";
    for (const auto& change : report.changes)
        out += std::string(change.added ? "added  " : "hooked ") + "-[" + change.className + " " + change.selector + "]\n";
    return out;
}

}  // namespace host
