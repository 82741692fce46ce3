#pragma once

// The Settings app process: it takes its identity (the substrate injects
// what its filters name for it, which is not the tweak), loads the
// preference bundle from its device folder, and shows the bundle's principal
// class at the root of a navigation controller in a key window covering the
// screen.

#include "platform/foundation/Result.h"
#include "platform/springboard/ProcessHost.h"
#include "platform/uikit/Forward.h"

#include <memory>

class SettingsAppHost {
public:
    static constexpr const char* executablePath = "/Applications/Preferences.app/Preferences";
    static constexpr const char* bundleIdentifier = "com.apple.Preferences";
    static constexpr const char* preferenceBundlePath = "/var/LIY/Zorvelin/Preferences/MarqelPrefs.bundle/";

    static SettingsAppHost& shared();

    // Once per process. Every way the bundle can fail to come up (missing,
    // no Info.plist, no principal class, a class that is no view controller,
    // an executable that does not load) is an error naming the path and what
    // to do; the process identity stays taken, and a later boot retries the
    // bundle.
    foundation::Result<host::BootReport> boot();
    bool isBooted() const { return m_booted; }

    std::shared_ptr<UIWindow> window() const { return m_window; }
    std::shared_ptr<UINavigationController> navigationController() const { return m_navigationController; }
    // The bundle's principal class's instance, the navigation root.
    std::shared_ptr<UIViewController> rootViewController() const { return m_root; }

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
};
