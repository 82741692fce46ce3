#pragma once

#include "platform/uikit/UIKit.h"

// The large round enable switch on the settings home. Two cards lie on top
// of each other; only the one matching the stored master switch is visible,
// so a tap always reaches the card that shows the current state. What the
// view shows is always read back from the store after a write, never taken
// from the tap alone.
class MRQToggleView : public UIView {
    MARQEL_OBJECT(MRQToggleView, UIView)
public:
    std::shared_ptr<MRQToggleView> initWithFrame(CGRect frame);

    void disableAction();
    void enableAction();
    void updatingValue();
    void invokeHapticFeedback();
    void traitCollectionDidChange(const std::shared_ptr<UITraitCollection>& previous) override;

    std::shared_ptr<UIView> disabledView() const { return m_disabledView; }
    void setDisabledView(const std::shared_ptr<UIView>& view) { m_disabledView = view; }
    std::shared_ptr<UIImageView> disabledIcon() const { return m_disabledIcon; }
    void setDisabledIcon(const std::shared_ptr<UIImageView>& view) { m_disabledIcon = view; }
    std::shared_ptr<UIView> enabledView() const { return m_enabledView; }
    void setEnabledView(const std::shared_ptr<UIView>& view) { m_enabledView = view; }
    std::shared_ptr<UIImageView> enabledIcon() const { return m_enabledIcon; }
    void setEnabledIcon(const std::shared_ptr<UIImageView>& view) { m_enabledIcon = view; }
    bool isEnabled() const { return m_isEnabled; }
    void setIsEnabled(bool enabled) { m_isEnabled = enabled; }
    std::shared_ptr<UILabel> statusLabel() const { return m_statusLabel; }
    void setStatusLabel(const std::shared_ptr<UILabel>& label) { m_statusLabel = label; }
    std::shared_ptr<UIImpactFeedbackGenerator> haptic() const { return m_haptic; }
    void setHaptic(const std::shared_ptr<UIImpactFeedbackGenerator>& generator) { m_haptic = generator; }

private:
    std::shared_ptr<UIView> makeCard(std::shared_ptr<UIImageView>& icon);
    void applyCardColours();

    std::shared_ptr<UIView> m_disabledView;
    std::shared_ptr<UIImageView> m_disabledIcon;
    std::shared_ptr<UIView> m_enabledView;
    std::shared_ptr<UIImageView> m_enabledIcon;
    bool m_isEnabled = false;
    std::shared_ptr<UILabel> m_statusLabel;
    std::shared_ptr<UIImpactFeedbackGenerator> m_haptic;
};
