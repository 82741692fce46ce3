#include "tweak/core/RecordingFlow.h"

#include "platform/foundation/Foundation.h"
#include "tweak/core/MarqelConfig.h"
#include "tweak/core/MarqelWindow.h"
#include "tweak/crop/MarqelRecordingManager.h"

namespace RecordingFlow {

std::atomic<std::uint8_t> recordingStartedByMarqel { 0 };

void (*previousPostNotificationWithRequest)(Object*, SEL, id);
void (*previousPublishBulletin)(Object*, SEL, id, std::uint64_t);
void (*previousApplicationDidFinishLaunching)(Object*, SEL, id);
void (*previousRecordingDidStop)(Object*, SEL, id, id);
void (*previousStartSystemRecording)(Object*, SEL, bool, StartHandler);
void (*previousDidStopRecordingOrBroadcast)(Object*, SEL);

namespace {

// Process-wide objects of one SpringBoard run.
id overlayWindow;
std::shared_ptr<MarqelConfig> currentConfig;
id recordingManager;
Class recorderClass;

// A finished-notification post is waiting to fire. One recording can reach
// us twice (through the dispatcher and the bulletin server, or as two
// bulletins); it must start one crop, not two.
bool finishPostPending = false;

// A recording we asked for started and has not ended yet (main thread).
bool ourRecordingRunning = false;

bool isMarqelRun() { return recordingStartedByMarqel.load(std::memory_order_relaxed) == 1; }

void scheduleFinishedPost(const id& sender)
{
    dispatch_after(dispatch_time(DISPATCH_TIME_NOW, 500000000), dispatch_get_main_queue(), [sender] {
        finishPostPending = false;
        NSNotificationCenter::defaultCenter()->postNotificationName(finishedNotification, sender);
    });
}

// The hooks may run off the main thread; the pending mark is only touched
// on the main queue.
void requestFinishedPost(const id& sender)
{
    auto schedule = [sender] {
        if (finishPostPending) {
            NSLog("marqel: recording end already seen, crop already scheduled");
            return;
        }
        finishPostPending = true;
        // The system saved the recording before telling us: the newest
        // video is it now, but may not be half a second later.
        msgSend<void>(recordingManager, "noteSavedRecording");
        scheduleFinishedPost(sender);
    };
    if (RunLoop::main().isMainThread())
        schedule();
    else
        dispatch_async(dispatch_get_main_queue(), schedule);
}

}  // namespace

void postNotificationWithRequest(Object* self, SEL cmd, id request)
{
    previousPostNotificationWithRequest(self, cmd, request);
    std::string section = msgSend<std::string>(request, "sectionIdentifier");
    if (section != replayKitSection)
        return;
    NSLog("marqel: received notification... %@", section);
    if (isMarqelRun())
        requestFinishedPost(self->retained());
}

void publishBulletin(Object* self, SEL cmd, id bulletin, std::uint64_t destinations)
{
    if (msgSend<std::string>(bulletin, "sectionID") == replayKitSection && isMarqelRun()) {
        requestFinishedPost(self->retained());
        msgSend<void>(bulletin, "setTurnsOnDisplay:", false);
        return;
    }
    previousPublishBulletin(self, cmd, bulletin, destinations);
}

void applicationDidFinishLaunching(Object* self, SEL cmd, id application)
{
    previousApplicationDidFinishLaunching(self, cmd, application);
    id app = self->retained();
    auto window = alloc<MarqelWindow>()->init();
    window->setDelegate(app);
    overlayWindow = window;
    recordingStartedByMarqel.store(0, std::memory_order_relaxed);
    currentConfig = alloc<MarqelConfig>();
    auto manager = alloc<MarqelRecordingManager>()->initWithConfig(currentConfig);
    manager->setDelegate(app);
    recordingManager = manager;
    NSDistributedNotificationCenter::defaultCenter()->addObserver(app, sel_registerName("showMarqelWindow"), invokeNotification, nullptr);
    NSNotificationCenter::defaultCenter()->addObserver(app, sel_registerName("beginCropTheVideo"), finishedNotification, nullptr);
}

void showMarqelWindow(Object*, SEL)
{
    // The invocation may come from another process; the log is where it
    // can see that it arrived.
    NSLog("marqel: showing the overlay");
    msgSend<void>(overlayWindow, "showWithAnimation:", true);
}

void recordButtonPressedWithConfig(Object*, SEL, id configObject)
{
    auto config = objc_cast<MarqelConfig>(configObject);
    if (!config)
        return;
    NSLog("marqel: frame %@, isMicrophoneEnabled %d", config->cropFrame(), config->toggleMicrophone() ? 1 : 0);
    currentConfig = config;
    recordingStartedByMarqel.store(1, std::memory_order_relaxed);
    dispatch_after(dispatch_time(DISPATCH_TIME_NOW, 200000000), dispatch_get_main_queue(), [config] {
        if (!recorderClass)
            recorderClass = objc_getClass("RPScreenRecorder");
        id recorder = msgSendClass<id>(recorderClass, "sharedRecorder");
        // A recording that cannot start must not leave the run marked as
        // ours: the next recording made with the system's own button would
        // be cropped to a stale rectangle and its original deleted. When it
        // is refused because our own recording already runs, the run stays
        // ours and is cropped with this newer config.
        StartHandler handler = [](id error) {
            auto settle = [error] {
                if (!error) {
                    ourRecordingRunning = true;
                    return;
                }
                NSLog("marqel: screen recording did not start: %@", error);
                if (!ourRecordingRunning)
                    recordingStartedByMarqel.store(0, std::memory_order_relaxed);
            };
            if (RunLoop::main().isMainThread())
                settle();
            else
                dispatch_async(dispatch_get_main_queue(), settle);
        };
        msgSend<void>(recorder, "startSystemRecordingWithMicrophoneEnabled:handler:", config->toggleMicrophone(), handler);
    });
}

void beginCropTheVideo(Object*, SEL)
{
    recordingStartedByMarqel.store(0, std::memory_order_relaxed);
    msgSend<void>(recordingManager, "setConfig:", currentConfig);
    msgSend<void>(recordingManager, "prepareCropVideo");
}

void recordingDidStopWithError(Object* self, SEL cmd, id error, id movieURL)
{
    previousRecordingDidStop(self, cmd, error, movieURL);
    NSLog("marqel: screen recording ended 4");
    auto ended = [] { ourRecordingRunning = false; };
    if (RunLoop::main().isMainThread())
        ended();
    else
        dispatch_async(dispatch_get_main_queue(), ended);
}

void startSystemRecordingWithMicrophoneEnabled(Object* self, SEL cmd, bool microphoneEnabled, StartHandler handler)
{
    previousStartSystemRecording(self, cmd, microphoneEnabled, std::move(handler));
    NSLog("marqel: screen recording start 4");
}

void didStopRecordingOrBroadcast(Object* self, SEL cmd)
{
    previousDidStopRecordingOrBroadcast(self, cmd);
    NSLog("marqel: screen recording ended from control center");
}

}  // namespace RecordingFlow
