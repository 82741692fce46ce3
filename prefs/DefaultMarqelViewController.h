#pragma once

#include "platform/uikit/UIKit.h"
#include "prefs/Forward.h"

// The settings bundle's editor of the default crop rectangle: a sample
// wallpaper, dimmed outside a crop box, with Cancel and Save. Save stores
// the box's rectangle as the one the overlay starts with. A fresh editor is
// presented for each opening and closes itself.
class DefaultMarqelViewController : public UIViewController {
    MARQEL_OBJECT(DefaultMarqelViewController, UIViewController)
public:
    static constexpr const char* wallpaperDevicePath
        = "/var/LIY/Zorvelin/Preferences/MarqelPrefs.bundle/Assets/Images/default-wallpaper.png";

    void viewDidLoad() override;

    void layoutMarqelView();
    void layoutToolView();
    void updateMarqelArea();
    void beginResizeArea();
    void resizeAreaFrameChanged();
    void didFinishedResizeArea();
    void hideToolView(bool hide);
    void saveChange();
    void dismissVC();

    std::shared_ptr<UIView> dimmingView() const { return m_dimmingView; }
    void setDimmingView(const std::shared_ptr<UIView>& view) { m_dimmingView = view; }
    std::shared_ptr<DefaultResizableBox> marqelView() const { return m_marqelView; }
    void setMarqelView(const std::shared_ptr<DefaultResizableBox>& box) { m_marqelView = box; }
    std::shared_ptr<UIView> bottomView() const { return m_bottomView; }
    void setBottomView(const std::shared_ptr<UIView>& view) { m_bottomView = view; }
    double defaultX() const { return m_defaultX; }
    void setDefaultX(double value) { m_defaultX = value; }
    double defaultY() const { return m_defaultY; }
    void setDefaultY(double value) { m_defaultY = value; }
    double defaultWidth() const { return m_defaultWidth; }
    void setDefaultWidth(double value) { m_defaultWidth = value; }
    double defaultHeight() const { return m_defaultHeight; }
    void setDefaultHeight(double value) { m_defaultHeight = value; }

private:
    std::shared_ptr<UIView> m_dimmingView;
    std::shared_ptr<DefaultResizableBox> m_marqelView;
    std::shared_ptr<UIView> m_bottomView;
    double m_defaultX = 0;
    double m_defaultY = 0;
    double m_defaultWidth = 0;
    double m_defaultHeight = 0;
};
