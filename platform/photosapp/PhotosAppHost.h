#pragma once

// The Photos app process: it takes its identity (the substrate injects what
// its filters name for it, which is not the tweak) and shows its grid of
// the library's videos in a key window covering the screen.

#include "platform/foundation/Result.h"
#include "platform/photosapp/Forward.h"
#include "platform/springboard/ProcessHost.h"
#include "platform/uikit/Forward.h"

#include <memory>

class PhotosAppHost {
public:
    static constexpr const char* executablePath = "/Applications/MobileSlideshow.app/MobileSlideshow";
    static constexpr const char* bundleIdentifier = "com.apple.mobileslideshow";

    static PhotosAppHost& shared();

    // Once per process.
    foundation::Result<host::BootReport> boot();
    bool isBooted() const { return m_booted; }

    std::shared_ptr<UIWindow> window() const { return m_window; }
    std::shared_ptr<PhotosViewController> viewController() const { return m_controller; }

    // What the grid shows now, and the player over it. Before boot there is
    // no grid: counts are zero and play fails saying so.
    std::int64_t videoCount() const;
    // 0 is the newest video of the tab shown.
    [[nodiscard]] foundation::Status play(std::int64_t index);
    bool isPlaying() const;
    void closePlayer();
    // The library tab with the player open on its newest video: where the
    // completion notice's default action takes the user.
    [[nodiscard]] foundation::Status openNewestVideo();
    void showTab(photosapp::Tab tab);
    // Reads the library again, as the app does when it comes to the front
    // (a recording saved meanwhile shows up).
    void reload();

private:
    [[nodiscard]] foundation::Status requireBooted(const char* what) const;

    bool m_booted = false;
    std::shared_ptr<UIWindow> m_window;
    std::shared_ptr<PhotosViewController> m_controller;
};
