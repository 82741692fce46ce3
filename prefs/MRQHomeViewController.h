#pragma once

#include "kit/ZRPrefsHomeViewController.h"

class ZRPrefsConfig;

// The settings bundle's first screen: the kit's home with the product's
// header, the enable switch, a one-time hint on adding the Control Center
// module, and the tutorial.
class MRQHomeViewController : public ZRPrefsHomeViewController {
    MARQEL_OBJECT(MRQHomeViewController, ZRPrefsHomeViewController)
public:
    void viewDidLoad() override;
    void presentTutorialVC();
    void showControlCenterAlert();

    std::shared_ptr<ZRPrefsConfig> config() const { return m_config; }
    void setConfig(const std::shared_ptr<ZRPrefsConfig>& config) { m_config = config; }

private:
    std::shared_ptr<ZRPrefsConfig> m_config;
};
