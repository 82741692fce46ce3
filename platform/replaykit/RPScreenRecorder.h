#pragma once

#include "platform/foundation/NSObjects.h"
#include "platform/runtime/ClassBuilder.h"

#include <functional>

// The system screen recorder. The host and the status bar reach it through
// message sends, so a tweak's hooks see every start and stop.
class RPScreenRecorder : public Object {
    MARQEL_OBJECT(RPScreenRecorder, Object)
public:
    using StartHandler = std::function<void(id /* NSError or nil */)>;

    static id sharedRecorder();

    void startSystemRecordingWithMicrophoneEnabled(bool microphoneEnabled, StartHandler handler);
    // The status bar's stop.
    void stopSystemRecording();
    // The recorder's report that a recording ended.
    void recordingDidStopWithError(id error, id movieURL);

    bool isRecording() const { return m_recording; }
    bool isMicrophoneEnabled() const { return m_microphone; }

private:
    bool m_recording = false;
    bool m_microphone = false;
};

// Control Center's screen-recording module; exists once its bundle is loaded.
class RPControlCenterModule : public Object {
    MARQEL_OBJECT(RPControlCenterModule, Object)
public:
    static constexpr const char* bundlePath = "/System/Library/ControlCenter/Bundles/ReplayKitModule.bundle";
    void didStopRecordingOrBroadcast();
};

namespace replaykit {
// Makes the module's bundle loadable in this process.
void registerControlCenterBundle();
}
