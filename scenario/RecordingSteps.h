#pragma once

// The steps of a recording run: the system's own record button, stopping
// from the status bar or Control Center, waiting for the crop, the notices,
// and the expectations on the recorder, the photo library and the notices.
// It keeps one mark: how many completion notices a wait-crop has seen.

#include "platform/automation/Forward.h"
#include "platform/foundation/Result.h"

#include <memory>
#include <string>

namespace scenario {

class RecordingSteps {
public:
    // Registers the steps on `driver`; the returned object shares their mark.
    static foundation::Result<RecordingSteps> registerOn(automation::ScenarioDriver& driver);

    // A recording with the system's own button, without the overlay.
    foundation::Status startSystemRecording(bool microphone);
    // "status-bar" or "control-center".
    foundation::Status stopRecording(const std::string& how);
    // Until a completion notice newer than the last one waited for (or
    // than boot) is posted, on the virtual clock.
    foundation::Status waitForCrop(double timeout);
    // Taps the newest notice whose title or message contains `text`.
    foundation::Status tapNotice(const std::string& text);
    // "dispatcher", "bulletin-server" or "both" (before boot).
    foundation::Status setReplayKitNotices(const std::string& route);

private:
    struct Marks {
        std::size_t completionNoticesSeen = 0;
    };
    RecordingSteps();
    std::shared_ptr<Marks> m_marks;
};

}  // namespace scenario
