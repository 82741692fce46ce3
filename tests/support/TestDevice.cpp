#include "tests/support/TestDevice.h"

#include "platform/foundation/Foundation.h"
#include "platform/photos/PHPhotoLibrary.h"
#include "platform/render/Compositor.h"
#include "platform/springboard/BannerCenter.h"
#include "platform/springboard/HomeScreen.h"
#include "platform/springboard/SettingsAppHost.h"
#include "platform/springboard/StatusBar.h"
#include "platform/springboard/controlcenter/ControlCenter.h"
#include "platform/uikit/UIKit.h"

TestDevice::TestDevice()
    : m_root("marqel-test")
{
    // The old root's listening socket goes with the old root.
    NSDistributedNotificationCenter::defaultCenter()->shutdown();
    DevicePath::setRoot(m_root.path());
    resetSingletons();
}

TestDevice::~TestDevice()
{
    NSDistributedNotificationCenter::defaultCenter()->shutdown();
    resetSingletons();
}

std::string TestDevice::host(const std::string& devicePath) const
{
    // A test names its own paths: one the root refuses is a mistake in it.
    return DevicePath::toHost(devicePath).value();
}

void TestDevice::resetSingletons()
{
    RunLoop::main().reset(ClockKind::Virtual);
    RunLoop::clearSignalledStop();
    SystemLog::shared().setEcho(false);
    SystemLog::shared().clear();
    HapticsLog::shared().clear();
    SettingsAppHost::shared().reset();
    UIApplication::sharedApplication()->reset();
    UIScreen::mainScreen()->resetToDefault();
    UITraitCollection::setSystemUserInterfaceStyle(UIUserInterfaceStyleLight);
    HomeScreen::shared().hide();
    StatusBar::shared().reset();
    ControlCenter::shared().reset();
    BannerCenter::shared().reset();
    render::Compositor::shared().invalidate();
    // Opened on the old root; the next use opens the current one.
    PHPhotoLibrary::resetShared();
    // Bundles are known by device path: the old root's are not this one's.
    NSBundle::resetAll();
}
