// The tweak's entry point: one static constructor that decides whether the
// tweak acts in this process, reads the master switch and installs the hooks.

#include "common/MarqelPreferences.h"
#include "platform/foundation/Foundation.h"
#include "platform/runtime/Substrate.h"
#include "tweak/core/CompletionNotice.h"
#include "tweak/core/RecordingFlow.h"

namespace {
bool marqelEnabled = false;

SEL sel(const char* name) { return sel_registerName(name); }

template <class F>
void add(Class cls, const char* selector, F* fn, const char* types)
{
    class_addMethod(cls, sel(selector), reinterpret_cast<IMP>(fn), types);
}
}  // namespace

extern "C" __attribute__((visibility("default"))) void SettingsChanged()
{
    marqelEnabled = MarqelPreferences::read(MarqelPreferences::toggleMarqel);
}

__attribute__((constructor)) static void MarqelInitialise()
{
    using namespace RecordingFlow;
    using namespace CompletionNotice;

    // The dispatcher hook goes in first, in every process that loads us.
    MSHookMessageEx(objc_getClass("NCNotificationDispatcher"), sel("postNotificationWithRequest:"),
        &postNotificationWithRequest, &previousPostNotificationWithRequest);

    auto arguments = NSProcessInfo::processInfo()->arguments();
    std::string first = arguments.empty() ? std::string() : arguments.front();
    if (first.find("/Application") == std::string::npos && first.find("SpringBoard.app") == std::string::npos)
        return;

    SettingsChanged();
    if (!marqelEnabled)
        return;
    if (NSBundle::mainBundle()->bundleIdentifier() != "com.apple.springboard")
        return;

    if (auto bundle = NSBundle::bundleWithPath("/System/Library/ControlCenter/Bundles/ReplayKitModule.bundle"); bundle && !bundle->isLoaded())
        bundle->load();

    Class server = objc_getClass("BBServer");
    MSHookMessageEx(server, sel("initWithQueue:"), &initWithQueue, &previousInitWithQueue);
    MSHookMessageEx(server,
        sel("initWithQueue:dataProviderManager:syncService:dismissalSyncCache:observerListener:utilitiesListener:conduitListener:systemStateListener:settingsListener:"),
        &initWithQueueEtc, &previousInitWithQueueEtc);
    MSHookMessageEx(server, sel("dealloc"), &CompletionNotice::dealloc, &previousDealloc);
    MSHookMessageEx(server, sel("publishBulletin:destinations:"), &publishBulletin, &previousPublishBulletin);

    Class springBoard = objc_getClass("SpringBoard");
    MSHookMessageEx(springBoard, sel("applicationDidFinishLaunching:"), &applicationDidFinishLaunching, &previousApplicationDidFinishLaunching);

    add(springBoard, "showMarqelWindow", &showMarqelWindow, "v@:");
    add(springBoard, "recordButtonPressedWithConfig:", &recordButtonPressedWithConfig, "v@:@");
    add(springBoard, "beginCropTheVideo", &beginCropTheVideo, "v@:");
    add(springBoard, "finishedCropVideoAndSavedToPhotoLibrary", &finishedCropVideoAndSavedToPhotoLibrary, "v@:");

    Class recorder = objc_getClass("RPScreenRecorder");
    MSHookMessageEx(recorder, sel("recordingDidStopWithError:movieURL:"), &recordingDidStopWithError, &previousRecordingDidStop);
    MSHookMessageEx(recorder, sel("startSystemRecordingWithMicrophoneEnabled:handler:"),
        &startSystemRecordingWithMicrophoneEnabled, &previousStartSystemRecording);
    MSHookMessageEx(objc_getClass("RPControlCenterModule"), sel("didStopRecordingOrBroadcast"),
        &didStopRecordingOrBroadcast, &previousDidStopRecordingOrBroadcast);
}
