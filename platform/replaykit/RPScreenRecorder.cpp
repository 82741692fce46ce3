#include "platform/replaykit/RPScreenRecorder.h"

#include "platform/foundation/NSBundle.h"
#include "platform/foundation/NSLog.h"

MARQEL_DEFINE_CLASS(RPScreenRecorder,
    classMethod<&RPScreenRecorder::sharedRecorder>("sharedRecorder"),
    method<&RPScreenRecorder::startSystemRecordingWithMicrophoneEnabled>("startSystemRecordingWithMicrophoneEnabled:handler:"),
    method<&RPScreenRecorder::stopSystemRecording>("stopSystemRecording"),
    method<&RPScreenRecorder::recordingDidStopWithError>("recordingDidStopWithError:movieURL:"))

MARQEL_DEFINE_CLASS_LAZY(RPControlCenterModule,
    method<&RPControlCenterModule::didStopRecordingOrBroadcast>("didStopRecordingOrBroadcast"))

id RPScreenRecorder::sharedRecorder()
{
    static auto* instance = new std::shared_ptr<RPScreenRecorder>(alloc<RPScreenRecorder>());
    return *instance;
}

void RPScreenRecorder::startSystemRecordingWithMicrophoneEnabled(bool microphoneEnabled, StartHandler handler)
{
    if (m_recording) {
        if (handler)
            handler(NSError::make("com.apple.ReplayKit.RPRecordingErrorDomain", -5805, "A recording is already in progress."));
        return;
    }
    m_recording = true;
    m_microphone = microphoneEnabled;
    if (handler)
        handler(nullptr);
}

void RPScreenRecorder::stopSystemRecording()
{
    if (!m_recording)
        return;
    m_recording = false;
    msgSend<void>(this, "recordingDidStopWithError:movieURL:", id(), id());
}

void RPScreenRecorder::recordingDidStopWithError(id, id) { }

void RPControlCenterModule::didStopRecordingOrBroadcast()
{
    msgSend<void>(RPScreenRecorder::sharedRecorder(), "stopSystemRecording");
}

namespace replaykit {
void registerControlCenterBundle()
{
    NSBundle::registerLoader(RPControlCenterModule::bundlePath, [] {
        RPControlCenterModule::classObject();
        return true;
    });
}
}  // namespace replaykit
