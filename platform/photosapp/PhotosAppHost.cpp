#include "platform/photosapp/PhotosAppHost.h"

#include "platform/foundation/Foundation.h"
#include "platform/photosapp/PhotosViewController.h"
#include "platform/uikit/UIKit.h"

using foundation::Error;
using foundation::ErrorCode;

PhotosAppHost& PhotosAppHost::shared()
{
    static auto* instance = new PhotosAppHost;
    return *instance;
}

foundation::Result<host::BootReport> PhotosAppHost::boot()
{
    if (m_booted)
        return Error { ErrorCode::InvalidState, "the Photos app is already running" };
    host::BootReport report = host::startProcess(executablePath, bundleIdentifier);
    m_controller = alloc<PhotosViewController>();
    m_window = alloc<UIWindow>(UIScreen::mainScreen()->bounds());
    m_window->setRootViewController(m_controller);
    m_window->makeKeyAndVisible();
    m_booted = true;
    // Loading, then the layout pass that the first turn of the loop runs.
    RunLoop::main().drain();
    NSLog("Photos: finished launching with %@ videos", std::to_string(m_controller->videoCount()));
    return report;
}

foundation::Status PhotosAppHost::requireBooted(const char* what) const
{
    if (!m_booted)
        return Error { ErrorCode::InvalidState, std::string("the Photos app is not running, so it cannot ") + what };
    return {};
}

std::int64_t PhotosAppHost::videoCount() const { return m_controller ? m_controller->videoCount() : 0; }

foundation::Status PhotosAppHost::play(std::int64_t index)
{
    TRY(requireBooted("play a video"));
    return m_controller->play(index);
}

bool PhotosAppHost::isPlaying() const { return m_controller && m_controller->isPlaying(); }

void PhotosAppHost::closePlayer()
{
    if (m_controller)
        m_controller->closePlayer();
}

foundation::Status PhotosAppHost::openNewestVideo()
{
    TRY(requireBooted("open the newest video"));
    m_controller->showTab(photosapp::Tab::Library);
    if (m_controller->videoCount() == 0)
        return Error { ErrorCode::NotFound, "the library has no video to open" };
    return m_controller->play(0);
}

void PhotosAppHost::showTab(photosapp::Tab tab)
{
    if (m_controller)
        m_controller->showTab(tab);
}

void PhotosAppHost::reload()
{
    if (m_controller)
        m_controller->reload();
}
