#pragma once

// The Settings app process: it takes its identity (the substrate injects
// what its filters name for it, which is not the tweak) and shows, at the
// root of a navigation controller in a key window covering the screen,
// either the list of installed preference entries (as the phone opens it
// from the home screen) or straight away the principal class of Marqel's
// preference bundle, loaded from its device folder.

#include "platform/foundation/Result.h"
#include "platform/springboard/Forward.h"
#include "platform/springboard/ProcessHost.h"
#include "platform/uikit/Forward.h"

#include <memory>

class SettingsAppHost {
public:
    static constexpr const char* executablePath = "/Applications/Preferences.app/Preferences";
    static constexpr const char* bundleIdentifier = "com.apple.Preferences";
    static constexpr const char* preferenceBundlePath = "/var/LIY/Zorvelin/Preferences/MarqelPrefs.bundle/";

    static SettingsAppHost& shared();

    enum class Start {
        // Marqel's bundle at the root, with nothing to go back to.
        InBundle,
        // The entry list (SettingsRootListController); a tap on an entry
        // pushes its bundle.
        AtEntries,
    };

    // Once per process. Started in the bundle, every way the bundle can fail
    // to come up (missing, no Info.plist, no principal class, a class that
    // is no view controller, an executable that does not load) is an error
    // naming the path and what to do; the process identity stays taken, and
    // a later boot retries the bundle. Started at the entries, no bundle is
    // loaded until one is opened.
    foundation::Result<host::BootReport> boot(Start start = Start::InBundle);
    bool isBooted() const { return m_booted; }

    std::shared_ptr<UIWindow> window() const { return m_window; }
    std::shared_ptr<UINavigationController> navigationController() const { return m_navigationController; }
    // The navigation root: the bundle's principal class's instance, or the
    // entry list.
    std::shared_ptr<UIViewController> rootViewController() const { return m_root; }
    // Null unless started at the entries.
    std::shared_ptr<SettingsRootListController> entryList() const { return m_entryList; }
    // Pushes the bundle of the entry with this label, as a tap on its row
    // does (a bundle that fails shows its alert, and the error says why).
    foundation::Status openEntry(const std::string& label);

    // Forgets the window and controllers, as a new process would start
    // without them; the identity taken stays (tests boot once each).
    void reset();

    // The bundle's first screen, made through the runtime from the class its
    // Info.plist names; exposed for tools that only check a bundle.
    static foundation::Result<std::shared_ptr<UIViewController>> instantiatePrincipalController(const std::string& bundleDevicePath);

private:
    bool m_started = false;
    bool m_booted = false;
    host::BootReport m_startReport;
    std::shared_ptr<UIWindow> m_window;
    std::shared_ptr<UINavigationController> m_navigationController;
    std::shared_ptr<UIViewController> m_root;
    std::shared_ptr<SettingsRootListController> m_entryList;
};
