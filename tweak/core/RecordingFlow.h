#pragma once

// One recording run through SpringBoard: the launch wiring, the methods
// added to the application class, and the hooks that tell the end of a
// recording the overlay started from any other.

#include "platform/runtime/Forward.h"
#include "tweak/Forward.h"

#include <atomic>
#include <cstdint>
#include <functional>

namespace RecordingFlow {

// 1 while the recording now running or just finished was started from the
// overlay. Written on the main thread only; the bulletin hook reads it from
// the server's thread, hence atomic (relaxed: a one-byte flag, no ordering).
extern std::atomic<std::uint8_t> recordingStartedByMarqel;

inline constexpr const char* replayKitSection = "com.apple.ReplayKitNotifications";
inline constexpr const char* invokeNotification = "com.zorvelin.marqeltoggle/invokemarqel";
inline constexpr const char* finishedNotification = "MarqelScreenRecordingFinished";

// Saved implementations and replacements, installed by the constructor.
extern void (*previousPostNotificationWithRequest)(Object*, SEL, id);
void postNotificationWithRequest(Object* self, SEL cmd, id request);
extern void (*previousPublishBulletin)(Object*, SEL, id, std::uint64_t);
void publishBulletin(Object* self, SEL cmd, id bulletin, std::uint64_t destinations);
extern void (*previousApplicationDidFinishLaunching)(Object*, SEL, id);
void applicationDidFinishLaunching(Object* self, SEL cmd, id application);
extern void (*previousRecordingDidStop)(Object*, SEL, id, id);
void recordingDidStopWithError(Object* self, SEL cmd, id error, id movieURL);
using StartHandler = std::function<void(id)>;
extern void (*previousStartSystemRecording)(Object*, SEL, bool, StartHandler);
void startSystemRecordingWithMicrophoneEnabled(Object* self, SEL cmd, bool microphoneEnabled, StartHandler handler);
extern void (*previousDidStopRecordingOrBroadcast)(Object*, SEL);
void didStopRecordingOrBroadcast(Object* self, SEL cmd);

// Methods added to SpringBoard's application class.
void showMarqelWindow(Object* self, SEL cmd);
void recordButtonPressedWithConfig(Object* self, SEL cmd, id config);
void beginCropTheVideo(Object* self, SEL cmd);

}  // namespace RecordingFlow
