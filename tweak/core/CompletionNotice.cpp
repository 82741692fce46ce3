#include "tweak/core/CompletionNotice.h"

#include "platform/foundation/Foundation.h"

#include <dlfcn.h>
#include <mutex>

namespace CompletionNotice {

id (*previousInitWithQueue)(Object*, SEL, id);
id (*previousInitWithQueueEtc)(Object*, SEL, id, id, id, id, id, id, id, id, id);
void (*previousDealloc)(Object*, SEL);

namespace {

std::mutex captureMutex;  // the server is created and destroyed off the main thread too
id capturedBulletinServer;
std::shared_ptr<DispatchQueue> bulletinServerQueue;
std::once_flag queueLookupOnce;
int lookups = 0;
Class bulletinClass;
Class actionClass;

void capture(const id& server)
{
    std::lock_guard lock(captureMutex);
    capturedBulletinServer = server;
}

void lookUpQueue()
{
    ++lookups;
    NSLog("marqel: looking up the bulletin server queue");
    // The process's own global scope. The phone's loader takes RTLD_GLOBAL
    // alone; this one also wants a binding mode.
    void* handle = dlopen(nullptr, RTLD_LAZY | RTLD_GLOBAL);
    if (!handle)
        return;
    if (auto* slot = static_cast<std::weak_ptr<DispatchQueue>*>(dlsym(handle, "__BBServerQueue")))
        bulletinServerQueue = slot->lock();
    dlclose(handle);
}

std::string uniqueString() { return NSProcessInfo::processInfo()->globallyUniqueString(); }

}  // namespace

id initWithQueue(Object* self, SEL cmd, id queue)
{
    id result = previousInitWithQueue(self, cmd, queue);
    capture(result);
    return result;
}

id initWithQueueEtc(Object* self, SEL cmd, id queue, id dataProviderManager, id syncService, id dismissalSyncCache,
    id observerListener, id utilitiesListener, id conduitListener, id systemStateListener, id settingsListener)
{
    id result = previousInitWithQueueEtc(self, cmd, queue, dataProviderManager, syncService, dismissalSyncCache,
        observerListener, utilitiesListener, conduitListener, systemStateListener, settingsListener);
    capture(result);
    return result;
}

void dealloc(Object* self, SEL cmd)
{
    {
        std::lock_guard lock(captureMutex);
        if (capturedBulletinServer.get() == self)
            capturedBulletinServer.reset();
    }
    previousDealloc(self, cmd);
}

void finishedCropVideoAndSavedToPhotoLibrary(Object*, SEL)
{
    NSLog("yay video saved :)");
    if (!bulletinClass)
        bulletinClass = objc_getClass("BBBulletin");
    if (!actionClass)
        actionClass = objc_getClass("BBAction");

    id bulletin = class_createInstance(bulletinClass);
    msgSend<void>(bulletin, "setTitle:", std::string("Marqel"));
    msgSend<void>(bulletin, "setMessage:", std::string("Your cropped screen recording is rendered and ready."));
    msgSend<void>(bulletin, "setSectionID:", std::string("com.apple.mobileslideshow"));
    msgSend<void>(bulletin, "setBulletinID:", uniqueString());
    msgSend<void>(bulletin, "setRecordID:", uniqueString());
    msgSend<void>(bulletin, "setPublisherBulletinID:", uniqueString());
    msgSend<void>(bulletin, "setDate:", NSDate::date());
    id action = msgSendClass<id>(actionClass, "actionWithLaunchBundleID:callblock:", std::string("com.apple.mobileslideshow"), std::function<void()>());
    msgSend<void>(bulletin, "setDefaultAction:", action);
    msgSend<void>(bulletin, "setClearable:", true);
    msgSend<void>(bulletin, "setShowsMessagePreview:", true);
    msgSend<void>(bulletin, "setPublicationDate:", NSDate::date());
    msgSend<void>(bulletin, "setLastInterruptDate:", NSDate::date());

    id server;
    {
        std::lock_guard lock(captureMutex);
        server = capturedBulletinServer;
    }
    if (!server || !server->respondsToSelector("publishBulletin:destinations:"))
        return;
    std::call_once(queueLookupOnce, lookUpQueue);
    // Without the server's queue the notice cannot be handed over safely;
    // the cropped movie is in the library all the same.
    if (!bulletinServerQueue) {
        NSLog("marqel: no bulletin server queue, notice dropped");
        return;
    }
    dispatch_sync(bulletinServerQueue, [&] {
        msgSend<void>(server, "publishBulletin:destinations:", bulletin, std::uint64_t(15));
    });
}

int queueLookupCount() { return lookups; }

}  // namespace CompletionNotice
