#include "platform/springboard/ScreenRecordingControl.h"

#include "platform/foundation/Foundation.h"
#include "platform/replaykit/RPScreenRecorder.h"

bool ScreenRecordingControl::isRecording() { return msgSend<bool>(RPScreenRecorder::sharedRecorder(), "isRecording"); }

void ScreenRecordingControl::start(bool microphone, std::function<void(const std::string&)> done)
{
    msgSend<void>(RPScreenRecorder::sharedRecorder(), "startSystemRecordingWithMicrophoneEnabled:handler:", microphone,
        RPScreenRecorder::StartHandler([done = std::move(done)](id error) {
            std::string refusal;
            if (auto why = objc_cast<NSError>(error))
                refusal = why->localizedDescription();
            if (!refusal.empty())
                NSLog("SpringBoard: the screen recording did not start: %@", refusal);
            if (done)
                done(refusal);
        }));
}

void ScreenRecordingControl::stopFromStatusBar() { msgSend<void>(RPScreenRecorder::sharedRecorder(), "stopSystemRecording"); }

void ScreenRecordingControl::stopFromControlCenter()
{
    // The module's class exists once its bundle is loaded, as on the phone.
    if (auto bundle = NSBundle::bundleWithPath(RPControlCenterModule::bundlePath))
        bundle->load();
    Class module = objc_getClass("RPControlCenterModule");
    if (!module) {
        NSLog("SpringBoard: Control Center's recording module is not loaded (%@); the recording goes on",
            std::string(RPControlCenterModule::bundlePath));
        return;
    }
    msgSend<void>(msgSendClass<id>(module, "sharedModule"), "didStopRecordingOrBroadcast");
}
