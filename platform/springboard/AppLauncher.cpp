#include "platform/springboard/AppLauncher.h"

#include "platform/foundation/Foundation.h"

AppLauncher& AppLauncher::shared()
{
    static auto* instance = new AppLauncher;
    return *instance;
}

std::string AppLauncher::bundleForIconName(const std::string& name)
{
    if (name == "Settings")
        return settingsBundleIdentifier;
    if (name == "Photos")
        return photosBundleIdentifier;
    return {};
}

foundation::Status AppLauncher::request(display::LifecycleAction action, const std::string& bundleIdentifier, const std::string& url)
{
    if (!m_requester)
        return {};
    return m_requester({ action, bundleIdentifier, url });
}

foundation::Status AppLauncher::launch(const std::string& bundleIdentifier, const std::string& url)
{
    NSLog("SpringBoard: opening %@", bundleIdentifier);
    return request(display::LifecycleAction::Launch, bundleIdentifier, url);
}

foundation::Status AppLauncher::home() { return request(display::LifecycleAction::Home, "", ""); }

foundation::Status AppLauncher::respring()
{
    NSLog("SpringBoard: respring requested");
    return request(display::LifecycleAction::Respring, "", "");
}
