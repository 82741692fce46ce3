#pragma once

// The system's own ways to start and stop its screen recording: the record
// button (Control Center's), the status bar's stop and Control Center's
// stop. Each goes through message sends to the recorder or to Control
// Center's recording module, so a tweak's hooks see it as on the phone.
// Every road that starts or stops a system recording (the status bar's
// pill, Control Center's tile, the scenario steps) comes through here.

#include <functional>
#include <string>

class ScreenRecordingControl {
public:
    static bool isRecording();
    // A plain system recording. `done` gets the recorder's refusal, or ""
    // once it has started.
    static void start(bool microphone, std::function<void(const std::string& refusal)> done = nullptr);
    static void stopFromStatusBar();
    static void stopFromControlCenter();
};
