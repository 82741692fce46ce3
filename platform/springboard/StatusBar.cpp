#include "platform/springboard/StatusBar.h"

#include "platform/foundation/NSLog.h"
#include "platform/replaykit/RPScreenRecorder.h"
#include "platform/springboard/ScreenRecordingControl.h"
#include "platform/springboard/SystemAlert.h"
#include "platform/springboard/SystemGestureView.h"
#include "platform/springboard/controlcenter/ControlCenter.h"
#include "platform/uikit/UIColor.h"
#include "platform/uikit/UIFont.h"
#include "platform/uikit/UILabel.h"
#include "platform/uikit/UIScreen.h"

namespace {

// Where the time sits; the pill is drawn around it.
constexpr CGRect timeFrame = { { 22, 14 }, { 76, 22 } };
constexpr CGRect pillFrame = { { 28, 12 }, { 64, 26 } };

// A deeper red than the system's, so the white time on it stays readable
// (more than 4.5:1).
std::shared_ptr<UIColor> pillColour() { return UIColor::colorWithRed(0.84, 0.0, 0.08, 1); }

// The time (white on the red pill whatever the content's colour), the
// signal bars and the battery, in `ink` (0 black, 1 white).
void addIndicators(UIView& root, double width, double ink, bool onPill)
{
    auto time = root.add<UILabel>(timeFrame);
    time->setText("9:41");
    time->setFont(UIFont::systemFontOfSize(17, UIFontWeightSemibold));
    time->setTextColor(UIColor::colorWithWhite(onPill ? 1 : ink, 1));
    time->setTextAlignment(NSTextAlignmentCenter);
    // Signal bars, rising.
    for (int i = 0; i < 4; ++i) {
        double h = 4 + 2.4 * i;
        auto bar = root.add<UIView>(CGRectMake(width - 98 + 5 * i, 30 - h, 3, h));
        bar->setBackgroundColor(UIColor::colorWithWhite(ink, 1));
        bar->layer()->setCornerRadius(0.8);
    }
    // The battery: an outline, its charge and the terminal.
    auto battery = root.add<UIView>(CGRectMake(width - 55, 19, 25, 12));
    battery->layer()->setCornerRadius(3.5);
    battery->layer()->setBorderWidth(1);
    battery->layer()->setBorderColor(CGColorCreateSRGB(ink, ink, ink, 0.45));
    auto charge = battery->add<UIView>(CGRectMake(2, 2, 17, 8));
    charge->setBackgroundColor(UIColor::colorWithWhite(ink, 1));
    charge->layer()->setCornerRadius(1.8);
    auto terminal = root.add<UIView>(CGRectMake(width - 29, 23, 1.5, 4));
    terminal->setBackgroundColor(UIColor::colorWithWhite(ink, 0.45));
}

}  // namespace

StatusBar& StatusBar::shared()
{
    static auto* instance = new StatusBar;
    return *instance;
}

void StatusBar::show()
{
    if (!m_window || m_builtFor != UIScreen::mainScreen()->bounds().size)
        rebuild();
    followRecorder();
    m_pill->setHidden(!ScreenRecordingControl::isRecording());
    repaintIndicators();
    m_window->setHidden(false);
}

void StatusBar::hide()
{
    if (m_window)
        m_window->setHidden(true);
}

void StatusBar::reset()
{
    hide();
    SystemAlert::reset();
}

void StatusBar::followRecorder()
{
    if (m_following)
        return;
    m_following = true;
    objc_cast<RPScreenRecorder>(RPScreenRecorder::sharedRecorder())->addRecordingObserver([this] {
        if (m_pill)
            m_pill->setHidden(!ScreenRecordingControl::isRecording());
        repaintIndicators();
    });
}

void StatusBar::rebuild()
{
    CGSize screen = UIScreen::mainScreen()->bounds().size;
    if (m_window)
        m_window->setHidden(true);
    m_builtFor = screen;
    m_window = alloc<SystemWindow>(CGRectMake(0, 0, screen.width, height), SystemWindow::statusBarLevel,
        SystemWindow::Touches::OnInteractiveViewsOnly);

    auto pill = m_window->add<SystemGestureView>(pillFrame);
    pill->setBackgroundColor(pillColour());
    pill->layer()->setCornerRadius(pillFrame.size.height / 2);
    pill->setHidden(true);
    pill->onTap = [this](CGPoint) { recordingPillTapped(); };
    m_pill = pill;

    // The indicators are pictures only: a touch on them goes to the pill
    // beneath the time, or through the bar.
    m_indicators = m_window->add<UIView>(m_window->bounds());
    m_indicators->setUserInteractionEnabled(false);
    m_paintedAs = -1;
    repaintIndicators();

    auto area = m_window->add<SystemGestureView>(CGRectMake(screen.width * 2 / 3, 0, screen.width / 3, height));
    area->onSwipeDown = [] { ControlCenter::shared().open(); };
    m_controlCenterArea = area;
}

void StatusBar::setDarkContent(bool dark)
{
    m_dark = dark;
    repaintIndicators();
}

void StatusBar::repaintIndicators()
{
    if (!m_indicators)
        return;
    bool onPill = m_pill && !m_pill->isHidden();
    int look = (m_dark ? 1 : 0) | (onPill ? 2 : 0);
    if (look == m_paintedAs)
        return;
    m_paintedAs = look;
    while (!m_indicators->subviews().empty())
        m_indicators->subviews().back()->removeFromSuperview();
    addIndicators(*m_indicators, m_indicators->bounds().size.width, m_dark ? 0 : 1, onPill);
}

bool StatusBar::showsRecording() const { return m_window && !m_window->isHidden() && m_pill && !m_pill->isHidden(); }

CGRect StatusBar::controlCenterArea() const
{
    return m_controlCenterArea ? m_controlCenterArea->convertRectToScreen(m_controlCenterArea->bounds()) : CGRectZero;
}

void StatusBar::recordingPillTapped()
{
    if (!ScreenRecordingControl::isRecording())
        return;
    auto alert = SystemAlert::present(stopAlertTitle, "", {
                                                              { "Cancel", UIAlertActionStyleCancel, nullptr },
                                                              { "Stop", UIAlertActionStyleDefault, [] { ScreenRecordingControl::stopFromStatusBar(); } },
                                                          });
    if (alert)
        NSLog("SpringBoard: asking whether to stop the screen recording");
}
