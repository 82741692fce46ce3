#pragma once

// The maker's Control Center module, installed beside the tweak on a phone:
// a tile labelled "Marqel" that posts the invocation notification and
// closes the panel. Whether anything opens is up to whoever listens (the
// tweak, when it is switched on).

#include "platform/springboard/controlcenter/ControlCenterModule.h"

class MarqelToggleModule : public ControlCenterModule {
public:
    static constexpr const char* tileTitle = "Marqel";
    static constexpr const char* invokeNotification = "com.zorvelin.marqeltoggle/invokemarqel";

    std::string title() const override { return tileTitle; }
    std::string symbolName() const override { return "m.square.fill"; }
    AfterTap tileTapped() override;
};
