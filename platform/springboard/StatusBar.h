#pragma once

// SpringBoard's status bar: the time, signal and battery along the top of
// the screen, in a system window above every app and tweak window. While
// the system records the screen, the time sits on a red pill, as on the
// phone; a tap on the pill asks whether to stop ("Screen Recording", Stop
// or Cancel), and Stop ends the recording as the status bar's stop always
// has. A downward swipe that starts in the right third of the bar opens
// Control Center. Touches anywhere else on the bar reach the windows
// beneath it.

#include "platform/springboard/SystemWindow.h"

#include <memory>

class StatusBar {
public:
    static constexpr CGFloat height = 47;
    static constexpr const char* stopAlertTitle = "Screen Recording";

    static StatusBar& shared();

    // Creates the window on first use (again when the screen changed) and
    // shows it; from then on it follows the recorder.
    void show();
    void hide();
    const std::shared_ptr<SystemWindow>& window() const { return m_window; }

    // The red pill behind the time, shown while the system records.
    const std::shared_ptr<UIView>& recordingPill() const { return m_pill; }
    bool showsRecording() const;
    // Where a downward swipe opens Control Center, in screen points.
    CGRect controlCenterArea() const;

    // A tap on the pill: the alert asking whether to stop.
    void recordingPillTapped();

    // Dark indicators over a light app in front; light ones over the
    // wallpaper. The time on the red pill stays white.
    void setDarkContent(bool dark);
    bool hasDarkContent() const { return m_dark; }

    // Back to how a new SpringBoard finds it: hidden, no alert.
    void reset();

private:
    StatusBar() = default;
    void rebuild();
    void followRecorder();
    void repaintIndicators();

    std::shared_ptr<SystemWindow> m_window;
    std::shared_ptr<UIView> m_pill;
    std::shared_ptr<UIView> m_controlCenterArea;
    CGSize m_builtFor {};
    bool m_following = false;
    std::shared_ptr<UIView> m_indicators;
    bool m_dark = false;
    int m_paintedAs = -1;
};
