#include "platform/springboard/SpringBoardHost.h"

#include "platform/foundation/Foundation.h"
#include "platform/photos/Photos.h"
#include "platform/render/Compositor.h"
#include "platform/replaykit/RPScreenRecorder.h"
#include "platform/springboard/AppLauncher.h"
#include "platform/springboard/BannerCenter.h"
#include "platform/springboard/HomeScreen.h"
#include "platform/springboard/NoticeCenter.h"
#include "platform/springboard/SpringBoard.h"
#include "platform/springboard/StatusBar.h"
#include "platform/springboard/controlcenter/ControlCenter.h"
#include "platform/springboard/controlcenter/MarqelToggleModule.h"
#include "platform/springboard/controlcenter/RespringModule.h"
#include "platform/springboard/controlcenter/ScreenRecordingModule.h"
#include "platform/uikit/UIScreen.h"

#include <cmath>
#include <cstdlib>
#include <dlfcn.h>

SpringBoardHost& SpringBoardHost::shared()
{
    static auto* instance = new SpringBoardHost;
    return *instance;
}

std::vector<std::string> SpringBoardHost::privateClassNames()
{
    return { "NCNotificationDispatcher", "BBServer", "SpringBoard", "RPScreenRecorder", "RPControlCenterModule" };
}

HomeScreen::Wallpaper SpringBoardHost::wallpaperFromEnvironment()
{
    const char* value = std::getenv(wallpaperVariable);
    if (!value || !*value)
        return HomeScreen::Wallpaper::Gradient;
    if (auto wallpaper = HomeScreen::wallpaperNamed(value))
        return *wallpaper;
    NSLog("SpringBoard: unknown wallpaper \"%@\" in %@; showing the gradient", std::string(value),
        std::string(wallpaperVariable));
    return HomeScreen::Wallpaper::Gradient;
}

void SpringBoardHost::connectScreen(RPScreenRecorder& recorder, HomeScreen::Wallpaper wallpaper)
{
    auto& home = HomeScreen::shared();
    home.setWallpaper(wallpaper);
    home.show();
    // The test pattern is shown alone, so every pixel of a recording still
    // tells where it is.
    if (wallpaper == HomeScreen::Wallpaper::TestPattern)
        StatusBar::shared().hide();
    else
        StatusBar::shared().show();
    CGRect pixels = UIScreen::mainScreen()->nativeBounds();
    recorder.setScreenSize(static_cast<int>(std::lround(pixels.size.width)), static_cast<int>(std::lround(pixels.size.height)));
    recorder.setScreenSource(render::Compositor::shared().screenSource());
}

std::shared_ptr<BBServer> SpringBoardHost::bulletinServer() const { return objc_cast<BBServer>(m_bulletinServer); }

foundation::Result<host::BootReport> SpringBoardHost::boot()
{
    if (m_booted)
        return foundation::Error { foundation::ErrorCode::InvalidState, "SpringBoard is already running in this process; start another process to boot again" };
    m_booted = true;
    replaykit::registerControlCenterBundle();

    host::BootReport report = host::startProcess(executablePath, bundleIdentifier);

    m_application = class_createInstance(objc_getClass("SpringBoard"));

    m_bulletinQueue = dispatch_queue_create("com.apple.bulletinboard.BBServerQueue");
    if (void* slot = dlsym(RTLD_DEFAULT, "__BBServerQueue"))
        *static_cast<std::weak_ptr<DispatchQueue>*>(slot) = m_bulletinQueue;
    else
        NSLog("SpringBoard: no __BBServerQueue symbol in this process");
    // Created through message sends so tweaks' initialiser hooks see it.
    id server = class_createInstance(objc_getClass("BBServer"));
    m_bulletinServer = msgSend<id>(server, "initWithQueue:", m_bulletinQueue);
    m_dispatcher = objc_cast<NCNotificationDispatcher>(class_createInstance(objc_getClass("NCNotificationDispatcher")));
    // Every notice is kept and shown as a banner; banners are views, made
    // on the main queue whatever queue published the notice.
    auto keepAndShow = [](const Notice& notice) {
        NoticeCenter::shared().add(notice);
        dispatch_async(dispatch_get_main_queue(), [notice] { BannerCenter::shared().present(notice); });
    };
    if (auto bulletins = bulletinServer()) {
        bulletins->setPublishObserver([keepAndShow](const BBServer::Publication& p) {
            keepAndShow(NoticeCenter::fromBulletin(*p.bulletin, p.destinations, p.onServerQueue));
        });
    }
    m_dispatcher->setDeliveryObserver([keepAndShow](const std::shared_ptr<NCNotificationRequest>& request) {
        keepAndShow(NoticeCenter::fromRequest(*request));
    });
    // Control Center's modules: the system's recording button and, as a
    // module bundle installed beside the tweak would add it, the maker's.
    ControlCenter::shared().addModule(std::make_shared<ScreenRecordingModule>());
    ControlCenter::shared().addModule(std::make_shared<MarqelToggleModule>());
    // Only the display can start SpringBoard again.
    if (AppLauncher::shared().isOnDisplay())
        ControlCenter::shared().addModule(std::make_shared<RespringModule>());
    auto recorder = objc_cast<RPScreenRecorder>(RPScreenRecorder::sharedRecorder());
    recorder->setFinishedMovieHandler([this](const std::string& moviePath) { movieFinished(moviePath); });
    connectScreen(*recorder, m_wallpaper ? *m_wallpaper : wallpaperFromEnvironment());

    msgSend<void>(m_application, "applicationDidFinishLaunching:", m_application);
    report.changes = host::methodChanges(privateClassNames());
    NSLog("SpringBoard: finished launching");
    return report;
}

void SpringBoardHost::movieFinished(const std::string& moviePath)
{
    // The system keeps every recording: it goes to the photo library, and
    // the user is told where it went.
    auto url = NSURL::fileURLWithPath(moviePath);
    PHPhotoLibrary::sharedPhotoLibrary()->performChanges(
        [url] { PHAssetChangeRequest::creationRequestForAssetFromVideoAtFileURL(url); },
        [this, moviePath](bool success, id error) {
            NSFileManager::defaultManager()->removeItemAtPath(moviePath);
            if (!success) {
                NSLog("ReplayKit: the recording could not be saved to Photos: %@", error);
                return;
            }
            NSLog("ReplayKit: recording saved to Photos");
            publishReplayKitNotice();
        });
}

void SpringBoardHost::publishReplayKitNotice()
{
    static constexpr const char* section = "com.apple.ReplayKitNotifications";
    static constexpr const char* title = "Screen Recording";
    static constexpr const char* message = "Screen recording video saved to Photos.";
    if (m_replayKitNotices != ReplayKitNotices::ThroughBulletinServer) {
        auto dispatcher = m_dispatcher;
        dispatch_async(dispatch_get_main_queue(), [dispatcher] {
            msgSend<void>(dispatcher, "postNotificationWithRequest:", id(alloc<NCNotificationRequest>(section, title, message)));
        });
        if (m_replayKitNotices == ReplayKitNotices::ThroughDispatcher)
            return;
    }
    id server = m_bulletinServer;
    dispatch_async(m_bulletinQueue, [server] {
        auto bulletin = alloc<BBBulletin>();
        bulletin->setSectionID(section);
        bulletin->setTitle(title);
        bulletin->setMessage(message);
        bulletin->setBulletinID(NSProcessInfo::processInfo()->globallyUniqueString());
        bulletin->setDate(NSDate::date());
        bulletin->setDefaultAction(objc_cast<BBAction>(BBAction::actionWithLaunchBundleID("com.apple.mobileslideshow", nullptr)));
        msgSend<void>(server, "publishBulletin:destinations:", bulletin, std::uint64_t(15));
    });
}
