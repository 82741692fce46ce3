#pragma once

// The home screen of a product's settings: a header (cover picture, round
// icon, name, version), a container for the product's enable switch, and two
// rows. "Settings" pushes the product's settings page, a new instance of the
// class named by the config's single-prefs class name, onto the navigation
// controller; "Tutorial" sends "presentTutorialVC" to the home, which the
// product's subclass implements (the home itself has no tutorial to show).
//
// A subclass runs viewDidLoad, then hands its description to
// updateWithPrefsConfig:, then fills toggleContainerView.

#include "kit/ZRPrefsConfig.h"
#include "platform/uikit/UIViewController.h"

#include <string>

class ZRPrefsHomeViewController : public UIViewController {
    MARQEL_OBJECT(ZRPrefsHomeViewController, UIViewController)
public:
    static constexpr const char* settingsRowTitle = "Settings";
    static constexpr const char* tutorialRowTitle = "Tutorial";
    static constexpr CGFloat coverHeight = 190;
    static constexpr CGFloat iconSize = 84;
    static constexpr CGFloat toggleContainerHeight = 130;
    static constexpr CGFloat rowHeight = 52;
    static constexpr CGFloat sideInset = 16;

    void viewDidLoad() override;
    // Builds (or rebuilds) the screen from the description. The toggle
    // container survives a rebuild with what it holds.
    void updateWithPrefsConfig(const std::shared_ptr<ZRPrefsConfig>& config);
    const std::shared_ptr<UIView>& toggleContainerView();

    // The rows' actions.
    void openSettings();
    void openTutorial();
    void rowTapped(const std::shared_ptr<UIGestureRecognizer>& sender);

    std::shared_ptr<ZRPrefsConfig> prefsConfig() const { return m_config; }
    std::shared_ptr<UIScrollView> scrollView() const { return m_scrollView; }
    std::shared_ptr<UIImageView> coverView() const { return m_coverView; }
    std::shared_ptr<UIImageView> iconView() const { return m_iconView; }
    std::shared_ptr<UILabel> nameLabel() const { return m_nameLabel; }
    std::shared_ptr<UILabel> versionLabel() const { return m_versionLabel; }
    std::shared_ptr<UIView> settingsRow() const { return m_settingsRow; }
    std::shared_ptr<UIView> tutorialRow() const { return m_tutorialRow; }

private:
    std::shared_ptr<UIView> makeRow(UIView& parent, const std::string& title, CGFloat y, std::int64_t tag);

    std::shared_ptr<ZRPrefsConfig> m_config;
    std::shared_ptr<UIScrollView> m_scrollView;
    std::shared_ptr<UIImageView> m_coverView;
    std::shared_ptr<UIImageView> m_iconView;
    std::shared_ptr<UILabel> m_nameLabel;
    std::shared_ptr<UILabel> m_versionLabel;
    std::shared_ptr<UIView> m_toggleContainer;
    std::shared_ptr<UIView> m_settingsRow;
    std::shared_ptr<UIView> m_tutorialRow;
};
