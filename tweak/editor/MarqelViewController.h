#pragma once

#include "platform/foundation/NSDictionary.h"
#include "platform/uikit/UIKit.h"
#include "tweak/Forward.h"

// The overlay's content: the dimmed screen with a clear cut-out where the
// crop box lies, the box, a top bar with a close button and a bottom bar of
// five tool buttons. It hands a MarqelConfig to its delegate (the overlay
// window) on record.
class MarqelViewController : public UIViewController {
    MARQEL_OBJECT(MarqelViewController, UIViewController)
public:
    void viewDidLoad() override;

    void layoutMarqelView();
    void layoutToolView();
    void updateMarqelArea();
    void beginResizeArea();
    void resizeAreaFrameChanged();
    void didFinishedResizeArea();
    void hideToolView(bool hide);
    void dismissMarqel();
    void microphonePressed();
    void expandPressed();
    void favouritePressed();
    void addFavouritePressed();
    void invokeHaptic();
    void didSelectedSavedArea(CGRect area);
    void prepareRecording();

    bool toggleMicrophone() const { return m_toggleMicrophone; }
    bool toggleExpand() const { return m_toggleExpand; }
    std::shared_ptr<UIView> dimmingView() const { return m_dimmingView; }
    std::shared_ptr<ResizableBox> marqelView() const { return m_marqelView; }
    std::shared_ptr<UIView> topView() const { return m_topView; }
    std::shared_ptr<UIView> bottomView() const { return m_bottomView; }
    std::shared_ptr<UIButton> closeButton() const { return m_closeButton; }
    std::shared_ptr<MarqelToolButton> recordButton() const { return m_recordButton; }
    std::shared_ptr<MarqelToolButton> micButton() const { return m_micButton; }
    std::shared_ptr<MarqelToolButton> expandButton() const { return m_expandButton; }
    std::shared_ptr<MarqelToolButton> favButton() const { return m_favButton; }
    std::shared_ptr<MarqelToolButton> addButton() const { return m_addButton; }
    double defaultX() const { return m_defaultX; }
    double defaultY() const { return m_defaultY; }
    double defaultWidth() const { return m_defaultWidth; }
    double defaultHeight() const { return m_defaultHeight; }
    id delegate() const { return m_delegate.lock(); }
    void setDelegate(const id& delegate) { m_delegate = delegate; }
    std::shared_ptr<NSMutableDictionary> mutableDict() const { return m_mutableDict; }
    void setMutableDict(const std::shared_ptr<NSMutableDictionary>& dictionary) { m_mutableDict = dictionary; }
    std::shared_ptr<MarqelConfig> config() const { return m_config; }

private:
    void presentSaveAreaAlert();
    void saveCustomArea(const std::string& name);

    bool m_toggleMicrophone = false;
    bool m_toggleExpand = false;
    std::shared_ptr<UIView> m_dimmingView;
    std::shared_ptr<ResizableBox> m_marqelView;
    std::shared_ptr<UIView> m_topView;
    std::shared_ptr<UIView> m_bottomView;
    std::shared_ptr<UIButton> m_closeButton;
    std::shared_ptr<MarqelToolButton> m_recordButton;
    std::shared_ptr<MarqelToolButton> m_micButton;
    std::shared_ptr<MarqelToolButton> m_expandButton;
    std::shared_ptr<MarqelToolButton> m_favButton;
    std::shared_ptr<MarqelToolButton> m_addButton;
    double m_defaultX = 0;
    double m_defaultY = 0;
    double m_defaultWidth = 0;
    double m_defaultHeight = 0;
    std::weak_ptr<Object> m_delegate;
    std::shared_ptr<NSMutableDictionary> m_mutableDict;
    std::shared_ptr<MarqelConfig> m_config;
};
