#pragma once

// SpringBoard's one road to other apps: a tapped icon, a notice's default
// action, the home gesture and a respring all come through here. On the
// display, each becomes a life-cycle request the display acts on (it starts
// the app's process, brings it to the front or sends it back); without a
// display, a launch is only recorded, as it was before apps ran.

#include "platform/display/DisplayProtocol.h"
#include "platform/foundation/Result.h"

#include <functional>
#include <string>

class AppLauncher {
public:
    static constexpr const char* settingsBundleIdentifier = "com.apple.Preferences";
    static constexpr const char* photosBundleIdentifier = "com.apple.mobileslideshow";
    // What Photos opens on when a recording's notice is tapped.
    static constexpr const char* newestVideoURL = "photos-redirect://newest-video";

    static AppLauncher& shared();

    using Requester = std::function<foundation::Status(const display::Lifecycle&)>;
    void setRequester(Requester requester) { m_requester = std::move(requester); }
    bool isOnDisplay() const { return static_cast<bool>(m_requester); }

    // The app of a home-screen icon, by the name under it; empty for icons
    // that open nothing here.
    static std::string bundleForIconName(const std::string& name);

    foundation::Status launch(const std::string& bundleIdentifier, const std::string& url = "");
    foundation::Status home();
    foundation::Status respring();

private:
    AppLauncher() = default;
    foundation::Status request(display::LifecycleAction action, const std::string& bundleIdentifier, const std::string& url);

    Requester m_requester;
};
