#include "platform/springboard/controlcenter/ScreenRecordingModule.h"

#include "platform/springboard/ScreenRecordingControl.h"

bool ScreenRecordingModule::isSelected() const { return ScreenRecordingControl::isRecording(); }

ControlCenterModule::AfterTap ScreenRecordingModule::tileTapped()
{
    if (ScreenRecordingControl::isRecording()) {
        ScreenRecordingControl::stopFromControlCenter();
        return AfterTap::KeepOpen;
    }
    ScreenRecordingControl::start(false);
    return AfterTap::Close;
}
