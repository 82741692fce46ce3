#include "platform/springboard/SpringBoardHost.h"

#include "platform/foundation/Foundation.h"
#include "platform/replaykit/RPScreenRecorder.h"
#include "platform/springboard/SpringBoard.h"

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

std::shared_ptr<BBServer> SpringBoardHost::bulletinServer() const { return objc_cast<BBServer>(m_bulletinServer); }

host::BootReport SpringBoardHost::boot()
{
    host::BootReport report;
    if (m_booted)
        return report;
    m_booted = true;
    replaykit::registerControlCenterBundle();

    auto loaded = host::startProcess(executablePath, bundleIdentifier);
    for (const auto& tweak : loaded.loaded)
        report.loadedTweaks.push_back(tweak.name);
    report.loaderErrors = loaded.errors;

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

    msgSend<void>(m_application, "applicationDidFinishLaunching:", m_application);
    report.changes = host::methodChanges(privateClassNames());
    NSLog("SpringBoard: finished launching");
    return report;
}
