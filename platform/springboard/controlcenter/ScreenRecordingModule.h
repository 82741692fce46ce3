#pragma once

// The system's screen-recording tile: starts a plain system recording
// (microphone off) or, while one runs, stops it as the recording module
// does. Starting closes Control Center, so the recording shows the screen
// rather than the panel.

#include "platform/springboard/controlcenter/ControlCenterModule.h"

class ScreenRecordingModule : public ControlCenterModule {
public:
    static constexpr const char* tileTitle = "Screen Recording";

    std::string title() const override { return tileTitle; }
    std::string symbolName() const override { return "record.circle"; }
    bool isSelected() const override;
    AfterTap tileTapped() override;
};
