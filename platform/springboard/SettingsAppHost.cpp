#include "platform/springboard/SettingsAppHost.h"

#include "platform/foundation/Foundation.h"
#include "platform/springboard/SettingsRootListController.h"
#include "platform/springboard/SpringBoardHost.h"
#include "platform/uikit/UIKit.h"

#include <filesystem>

using foundation::Error;
using foundation::ErrorCode;

namespace {

// What to do about a bundle that does not come up: Marqel's own comes from
// this build; any other from the package that installed its entry.
struct Remedy {
    std::string install;
    std::string reinstall;
    std::string rebuild;
};

Remedy remedyFor(const std::string& bundleDevicePath)
{
    auto trimmed = [](std::string path) {
        while (path.size() > 1 && path.back() == '/')
            path.pop_back();
        return path;
    };
    if (trimmed(bundleDevicePath) == trimmed(SettingsAppHost::preferenceBundlePath))
        return { "build MarqelPrefs, then run `marqel install`", "run `marqel install --force` to put the built bundle back",
            "run `marqel install --force` to put the built bundle back, or rebuild MarqelPrefs" };
    const std::string again = "reinstall the package that installed it";
    return { again, again, again };
}

}  // namespace

SettingsAppHost& SettingsAppHost::shared()
{
    static auto* instance = new SettingsAppHost;
    return *instance;
}

foundation::Result<std::shared_ptr<UIViewController>> SettingsAppHost::instantiatePrincipalController(const std::string& bundleDevicePath)
{
    const Remedy remedy = remedyFor(bundleDevicePath);
    const std::string& reinstall = remedy.reinstall;
    auto bundle = NSBundle::bundleWithPath(bundleDevicePath);
    if (!bundle)
        return Error { ErrorCode::NotFound, "the settings bundle is not installed: nothing at " + bundleDevicePath + " (" + remedy.install + ")" };
    const std::string& path = bundle->bundlePath();
    auto info = bundle->readInfoDictionary();
    if (!info) {
        if (info.code() == ErrorCode::NotFound)
            return Error { ErrorCode::NotFound, path + "/Info.plist is missing (" + reinstall + ")" };
        return Error { ErrorCode::UnreadableInput, path + "/Info.plist cannot be read: " + info.message() + " (" + reinstall + ")" };
    }
    const PlistValue* principal = info.value().find("NSPrincipalClass");
    auto* className = principal ? principal->get<std::string>() : nullptr;
    if (principal && !className) {
        const char* kind = principal->is<PlistDict>()                  ? "a dictionary"
            : principal->is<PlistArray>()                              ? "an array"
            : principal->is<bool>()                                    ? "a boolean"
            : principal->is<std::int64_t>() || principal->is<double>() ? "a number"
            : principal->is<PlistData>()                               ? "data"
            : principal->is<PlistDate>()                               ? "a date"
                                                                       : "not a string";
        return Error { ErrorCode::InvalidArgument,
            path + "/Info.plist: NSPrincipalClass is " + kind + ", not the name of a class (a string), so the Settings app does not know which screen to show ("
                + reinstall + ")" };
    }
    if (!className || className->empty())
        return Error { ErrorCode::NotFound,
            path + "/Info.plist names no NSPrincipalClass: the Settings app does not know which screen to show (" + reinstall + ")" };
    if (auto loaded = bundle->loadAndReturnError(); !loaded)
        return Error { loaded.code(), loaded.message() + " (" + remedy.rebuild + ")" };
    Class cls = objc_getClass(*className);
    if (!cls)
        return Error { ErrorCode::NotFound,
            "the principal class " + *className + " named by " + path + "/Info.plist is not in the runtime after loading the bundle "
                                                                        "(the bundle must register it when it loads)" };
    if (!class_isSubclassOf(cls, UIViewController::classObject()))
        return Error { ErrorCode::InvalidArgument,
            "the principal class " + *className + " of " + path + " is not a view controller, so the Settings app cannot show it" };
    auto controller = objc_cast<UIViewController>(class_createInstance(cls));
    if (!controller)
        return Error { ErrorCode::Failed, "the principal class " + *className + " of " + path + " cannot be instantiated" };
    return controller;
}

foundation::Result<host::BootReport> SettingsAppHost::boot(Start start)
{
    if (m_booted)
        return Error { ErrorCode::InvalidState, "the Settings app is already running" };
    if (!m_started) {
        m_started = true;
        m_startReport = host::startProcess(executablePath, bundleIdentifier);
    }
    std::shared_ptr<UIViewController> root;
    if (start == Start::AtEntries) {
        m_entryList = alloc<SettingsRootListController>();
        root = m_entryList;
    } else {
        root = TRY(instantiatePrincipalController(preferenceBundlePath));
    }

    m_root = root;
    m_navigationController = alloc<UINavigationController>(root);
    m_window = alloc<UIWindow>(UIScreen::mainScreen()->bounds());
    m_window->setRootViewController(m_navigationController);
    m_window->makeKeyAndVisible();
    m_booted = true;
    // Loading, then the layout pass that the first turn of the loop runs.
    RunLoop::main().drain();

    host::BootReport report = m_startReport;
    report.changes = host::methodChanges(SpringBoardHost::privateClassNames());
    NSLog("Preferences: finished launching with %@", std::string(root->className()));
    return report;
}

foundation::Status SettingsAppHost::openEntry(const std::string& label)
{
    if (!m_booted)
        return Error { ErrorCode::InvalidState, "the Settings app is not running, so it has no entry " + label + " to open" };
    if (!m_entryList)
        return Error { ErrorCode::InvalidState, "the Settings app started inside Marqel's bundle, without the entry list" };
    // The entry opens from the list, as a tap would: whatever was pushed
    // over the list goes first.
    while (m_navigationController->viewControllers().size() > 1)
        m_navigationController->popViewControllerAnimated(false);
    TRY(m_entryList->openEntry(label));
    RunLoop::main().drain();
    return {};
}

void SettingsAppHost::reset()
{
    if (m_window)
        m_window->setHidden(true);
    m_window = nullptr;
    m_navigationController = nullptr;
    m_root = nullptr;
    m_entryList = nullptr;
    m_booted = false;
}
