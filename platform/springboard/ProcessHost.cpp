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

foundation::Result<std::vector<std::string>> readSubstrateFilter(const std::string& filterPath)
{
    using foundation::Error;
    using foundation::ErrorCode;
    // The one reader: file type, size and nesting are checked before the
    // parser sees a byte, so a hostile filter costs an error line, not the
    // process.
    auto root = plist::readFile(filterPath);
    if (!root)
        return Error { ErrorCode::UnreadableInput, "unreadable filter " + filterPath + ": " + root.message() };
    const auto* dict = root.value().get<PlistDict>();
    const PlistValue* filter = dict ? dict->find("Filter") : nullptr;
    const auto* filterDict = filter ? filter->get<PlistDict>() : nullptr;
    const PlistValue* list = filterDict ? filterDict->find("Bundles") : nullptr;
    const auto* bundles = list ? list->get<PlistArray>() : nullptr;
    if (!bundles)
        return Error { ErrorCode::UnreadableInput, "filter " + filterPath + " has no Filter/Bundles list" };
    std::vector<std::string> names;
    for (const auto& item : *bundles)
        if (const auto* name = item.get<std::string>())
            names.push_back(*name);
    return names;
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
    auto loaded = substrate::loadTweaks(folder.value(), bundleIdentifier, readSubstrateFilter);
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
