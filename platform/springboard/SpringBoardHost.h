#pragma once

// The SpringBoard process: its identity, its private classes, the bulletin
// server and notification dispatcher, and the launch that tweaks hook.

#include "platform/foundation/Result.h"
#include "platform/replaykit/Forward.h"
#include "platform/springboard/BBServer.h"
#include "platform/springboard/HomeScreen.h"
#include "platform/springboard/NCNotificationDispatcher.h"
#include "platform/springboard/ProcessHost.h"

#include <memory>
#include <optional>

// Host executables define the bulletin server's queue symbol with this
// macro, so that a tweak finds it with dlsym as on the phone.
#define MARQEL_DEFINE_BULLETIN_SERVER_QUEUE_SYMBOL()                                                \
    extern "C" __attribute__((visibility("default"))) std::weak_ptr<DispatchQueue> __BBServerQueue; \
    std::weak_ptr<DispatchQueue> __BBServerQueue;

class SpringBoardHost {
public:
    static constexpr const char* executablePath = "/System/Library/CoreServices/SpringBoard.app/SpringBoard";
    static constexpr const char* bundleIdentifier = "com.apple.springboard";

    static SpringBoardHost& shared();

    // Where the system's own "recording saved" notice goes: the bulletin
    // server (the usual road), the notification dispatcher, or both (one
    // recording announced twice).
    enum class ReplayKitNotices { ThroughBulletinServer,
        ThroughDispatcher,
        ThroughBoth };
    void setReplayKitNotices(ReplayKitNotices route) { m_replayKitNotices = route; }

    // The home screen's wallpaper at boot. Unset, boot takes the one
    // MARQEL_WALLPAPER names (the gradient when that is unset or unknown).
    static constexpr const char* wallpaperVariable = "MARQEL_WALLPAPER";
    void setWallpaper(HomeScreen::Wallpaper wallpaper) { m_wallpaper = wallpaper; }
    static HomeScreen::Wallpaper wallpaperFromEnvironment();

    // Starts SpringBoard once per process: identity, tweak injection, the
    // bulletin server, the dispatcher, then applicationDidFinishLaunching:.
    // A second boot is refused (InvalidState), as the Settings app's is;
    // tweaks that fail to load are in the report, not a failure of boot.
    foundation::Result<host::BootReport> boot();
    bool isBooted() const { return m_booted; }

    id application() const { return m_application; }
    std::shared_ptr<BBServer> bulletinServer() const;
    std::shared_ptr<NCNotificationDispatcher> dispatcher() const { return m_dispatcher; }
    std::shared_ptr<DispatchQueue> bulletinQueue() const { return m_bulletinQueue; }

    // The classes whose methods a tweak may hook or extend.
    static std::vector<std::string> privateClassNames();

    // What boot does for the screen: the home screen shown with
    // `wallpaper`, and the compositor as the recorder's picture of the
    // screen, at the screen's pixel size.
    static void connectScreen(RPScreenRecorder& recorder, HomeScreen::Wallpaper wallpaper);

private:
    void movieFinished(const std::string& moviePath);
    void publishReplayKitNotice();

    ReplayKitNotices m_replayKitNotices = ReplayKitNotices::ThroughBulletinServer;
    std::optional<HomeScreen::Wallpaper> m_wallpaper;
    bool m_booted = false;
    id m_application;
    id m_bulletinServer;
    std::shared_ptr<NCNotificationDispatcher> m_dispatcher;
    std::shared_ptr<DispatchQueue> m_bulletinQueue;
};
