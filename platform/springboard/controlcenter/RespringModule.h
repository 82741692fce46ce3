#pragma once

// A tile that restarts SpringBoard (a respring), as a jailbroken phone's
// Control Center commonly offers: what the tweak's master switch needs to
// take effect. Offered only where SpringBoard runs on the display, which
// can start it again.

#include "platform/springboard/controlcenter/ControlCenterModule.h"

class RespringModule : public ControlCenterModule {
public:
    static constexpr const char* tileTitle = "Respring";

    std::string title() const override { return tileTitle; }
    std::string symbolName() const override { return "power"; }
    AfterTap tileTapped() override;
};
