#pragma once

#include "platform/uikit/UIKit.h"
#include "tweak/Forward.h"

// The overlay: a nearly transparent full-screen window at the level of
// system alerts, hosting the crop-area editor. It fades in when the tool is
// invoked and out on close or record, and hands the record request to its
// delegate (SpringBoard's application object).
class MarqelWindow : public UIWindow {
    MARQEL_OBJECT(MarqelWindow, UIWindow)
public:
    std::shared_ptr<MarqelWindow> init();
    void showWithAnimation(bool animated);
    void hideWithAnimation(bool animated);
    void dismissWindow();
    void recordButtonPressedWithConfig(id config);

    std::shared_ptr<MarqelViewController> marqelVC() const { return m_marqelVC; }
    void setMarqelVC(const std::shared_ptr<MarqelViewController>& controller) { m_marqelVC = controller; }
    id delegate() const { return m_delegate.lock(); }
    void setDelegate(const id& delegate) { m_delegate = delegate; }

    // The most recently initialised window, until a hide completes.
    static std::shared_ptr<MarqelWindow> lastCreatedWindow();

private:
    std::shared_ptr<MarqelViewController> m_marqelVC;
    std::weak_ptr<Object> m_delegate;
};
