#pragma once

#include "platform/av/Forward.h"
#include "platform/foundation/Dispatch.h"
#include "platform/foundation/Forward.h"
#include "platform/foundation/NSObjects.h"
#include "platform/render/ScreenFrame.h"
#include "platform/runtime/ClassBuilder.h"

#include <functional>
#include <memory>
#include <vector>

// The system screen recorder: 30 frames a second of the screen at its pixel
// size, encoded as it goes, with a microphone track when asked. The host
// and the status bar reach it through message sends, so a tweak's hooks see
// every start and stop.
class RPScreenRecorder : public Object {
    MARQEL_OBJECT(RPScreenRecorder, Object)
public:
    using StartHandler = std::function<void(id /* NSError or nil */)>;
    // What the system does with a finished movie (a device path): save it
    // to the photo library and publish its notice.
    using FinishedMovieHandler = std::function<void(const std::string& moviePath)>;
    static constexpr int framesPerSecond = 30;

    RPScreenRecorder();
    ~RPScreenRecorder() override;

    static id sharedRecorder();

    // The screen's pixel size and picture; the wallpaper test pattern until
    // a host sets a source.
    void setScreenSize(int pixelWidth, int pixelHeight);
    void setScreenSource(ScreenSource source);
    void setFinishedMovieHandler(FinishedMovieHandler handler);
    // Told on the main thread each time a recording starts or stops, as
    // the status bar and Control Center follow the recorder.
    void addRecordingObserver(std::function<void()> observer);

    void startSystemRecordingWithMicrophoneEnabled(bool microphoneEnabled, StartHandler handler);
    // The status bar's stop.
    void stopSystemRecording();
    // The recorder's report that a recording ended.
    void recordingDidStopWithError(id error, id movieURL);

    bool isRecording() const { return m_recording; }
    bool isMicrophoneEnabled() const { return m_microphone; }
    std::int64_t framesRecorded() const;

private:
    void tick(std::uint64_t generation);
    void recordingChanged() const;
    std::shared_ptr<const ScreenFrame> capture();

    bool m_recording = false;
    bool m_microphone = false;
    std::uint64_t m_generation = 0;
    double m_startTime = 0;
    std::int64_t m_framesCaptured = 0;
    int m_width = 1170;
    int m_height = 2532;
    ScreenSource m_source;
    std::shared_ptr<const ScreenFrame> m_wallpaper;
    FinishedMovieHandler m_finished;
    std::vector<std::function<void()>> m_recordingObservers;
    std::string m_moviePath;
    std::shared_ptr<DispatchQueue> m_encoderQueue;
    std::shared_ptr<av::MovieWriter> m_writer;
    // Shared with the encoder queue, which records the first failure.
    std::shared_ptr<foundation::Status> m_encoderStatus;
};

// Control Center's screen-recording module; exists once its bundle is loaded.
class RPControlCenterModule : public Object {
    MARQEL_OBJECT(RPControlCenterModule, Object)
public:
    static constexpr const char* bundlePath = "/System/Library/ControlCenter/Bundles/ReplayKitModule.bundle";
    static id sharedModule();
    void didStopRecordingOrBroadcast();
};

namespace replaykit {
// Makes the module's bundle loadable in this process.
void registerControlCenterBundle();
}  // namespace replaykit
