#pragma once

// A scenario file: one step per line, '#' starts a comment, blank lines are
// skipped. A failed step stops the run.
//
//   screen 390x844@3          set the screen before boot
//   pref KEY VALUE            write a preference of the domain
//   boot                      start SpringBoard with the tweak
//   invoke                    post the invocation notification
//   down X Y | move X Y | up X Y | cancel
//   drag X1 Y1 X2 Y2 [STEPS]  down, STEPS moves (default 10), up
//   tap X Y | tap-symbol NAME | tap-title TEXT
//   type TEXT                 into the text field of the alert on screen
//   wait SECONDS              virtual time
//   record-start [mic]        start a recording with the system's own button
//   replaykit-notices dispatcher|bulletin-server|both   how the system announces saved recordings (before boot)
//   tap-notice TEXT           tap the newest notice containing TEXT
//   record-stop [status-bar|control-center]
//   wait-crop [TIMEOUT]       until the cropped movie's notice is posted
//   snapshot FILE.png         a picture of the screen
//   expect box X Y W H        the crop box's frame (to 1e-3)
//   expect pref KEY VALUE
//   expect log TEXT           a system log line since boot contains TEXT
//   expect no-log TEXT        no such line since boot
//   expect haptic STYLE       soft, light, medium or none: the last impact since the previous haptic expect
//   expect haptics N          N impacts since the previous haptic expect
//   expect toolbars ALPHA     both tool bars' on-screen alpha (to 0.01)
//   expect window ALPHA       the overlay window's on-screen alpha (to 0.01)
//   expect readout TEXT|hidden  the box's size read-out
//   expect dash solid|A,B     the box outline's dash pattern
//   expect symbol NAME        a visible view shows this symbol
//   expect recording on|off   the system screen recorder
//   expect library N          videos in the library (not counting Recently Deleted)
//   expect deleted N          videos in Recently Deleted
//   expect notice TEXT        a posted notice's title or message contains TEXT
//   expect notices N          notices posted
//   expect completion-notices N  that many "rendered and ready" notices, each built right
//   expect log-count N TEXT   exactly N system log lines since boot contain TEXT
//   expect launched BUNDLE    the last application launched from a notice
//   expect video W H          pixel size of the newest video

#include "platform/automation/ScenarioDriver.h"

#include <string>

namespace automation {

struct ScenarioResult {
    bool ok = true;
    int failedLine = 0;
    std::string message;
};

// Runs every step of the file; stops at the first failure. `onStep` sees
// each step before it runs (line number and text).
ScenarioResult runScenarioFile(ScenarioDriver& driver, const std::string& path,
    const std::function<void(int, const std::string&)>& onStep = nullptr);

}  // namespace automation
