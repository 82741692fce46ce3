#pragma once

// Push buttons with an image and a title per control state. A state without
// its own content shows the normal state's. A system button draws its title
// and symbol images in its tint colour.

#include "platform/uikit/UIControl.h"

#include <optional>
#include <string>

enum UIButtonType : std::int64_t {
    UIButtonTypeCustom = 0,
    UIButtonTypeSystem = 1,
    UIButtonTypeDetailDisclosure = 2,
    UIButtonTypeInfoLight = 3,
    UIButtonTypeInfoDark = 4,
    UIButtonTypeContactAdd = 5,
    UIButtonTypeClose = 7,
};

class UIButton : public UIControl {
    MARQEL_OBJECT(UIButton, UIControl)
public:
    UIButton()
        : UIButton(UIButtonTypeCustom)
    {
    }
    explicit UIButton(UIButtonType type);
    static std::shared_ptr<UIButton> buttonWithType(UIButtonType type);

    UIButtonType buttonType() const { return m_type; }

    void setImage(std::shared_ptr<UIImage> image, UIControlState state);
    std::shared_ptr<UIImage> imageForState(UIControlState state) const;
    void setTitle(const std::string& title, UIControlState state);
    std::string titleForState(UIControlState state) const;
    void setTitleColor(std::shared_ptr<UIColor> color, UIControlState state);
    std::shared_ptr<UIColor> titleColorForState(UIControlState state) const;

    std::shared_ptr<UIImage> currentImage() const { return imageForState(state()); }
    std::string currentTitle() const { return titleForState(state()); }
    std::shared_ptr<UIColor> currentTitleColor() const { return titleColorForState(state()); }

    const std::shared_ptr<UIImageView>& imageView() const { return m_imageView; }
    const std::shared_ptr<UILabel>& titleLabel() const { return m_titleLabel; }

    void layoutSubviews() override;
    CGSize sizeThatFits(CGSize size) const override;

protected:
    void stateDidChange() override;

private:
    struct StateContent {
        UIControlState state;
        std::shared_ptr<UIImage> image;
        std::optional<std::string> title;
        std::shared_ptr<UIColor> titleColor;
    };
    StateContent& contentFor(UIControlState state);
    const StateContent* find(UIControlState state) const;
    void updateContent();

    UIButtonType m_type;
    std::vector<StateContent> m_content;
    std::shared_ptr<UIImageView> m_imageView;
    std::shared_ptr<UILabel> m_titleLabel;
};
