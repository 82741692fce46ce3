#include "platform/uikit/UIButton.h"

#include "platform/uikit/UIColor.h"
#include "platform/uikit/UIFont.h"
#include "platform/uikit/UIImage.h"
#include "platform/uikit/UIImageView.h"
#include "platform/uikit/UILabel.h"

#include <algorithm>

MARQEL_DEFINE_CLASS(UIButton,
    method<&UIButton::setImage>("setImage:forState:"),
    method<&UIButton::imageForState>("imageForState:"),
    method<&UIButton::setTitle>("setTitle:forState:"),
    method<&UIButton::titleForState>("titleForState:"),
    method<&UIButton::setTitleColor>("setTitleColor:forState:"),
    method<&UIButton::imageView>("imageView"),
    method<&UIButton::titleLabel>("titleLabel"),
    method<&UIButton::currentImage>("currentImage"),
    method<&UIButton::currentTitle>("currentTitle"))

UIButton::UIButton(UIButtonType type)
    : UIControl(CGRectZero)
    , m_type(type)
    , m_imageView(alloc<UIImageView>())
    , m_titleLabel(alloc<UILabel>())
{
    m_titleLabel->setTextAlignment(NSTextAlignmentCenter);
    m_titleLabel->setFont(UIFont::systemFontOfSize(type == UIButtonTypeSystem ? 17 : 18));
    addSubview(m_imageView);
    addSubview(m_titleLabel);
    updateContent();
}

std::shared_ptr<UIButton> UIButton::buttonWithType(UIButtonType type)
{
    return alloc<UIButton>(type);
}

UIButton::StateContent& UIButton::contentFor(UIControlState state)
{
    for (auto& content : m_content)
        if (content.state == state)
            return content;
    m_content.push_back({ state, nullptr, std::nullopt, nullptr });
    return m_content.back();
}

const UIButton::StateContent* UIButton::find(UIControlState state) const
{
    for (const auto& content : m_content)
        if (content.state == state)
            return &content;
    return nullptr;
}

void UIButton::setImage(std::shared_ptr<UIImage> image, UIControlState state)
{
    contentFor(state).image = std::move(image);
    updateContent();
}

std::shared_ptr<UIImage> UIButton::imageForState(UIControlState state) const
{
    if (const auto* content = find(state); content && content->image)
        return content->image;
    const auto* normal = find(UIControlStateNormal);
    return normal ? normal->image : nullptr;
}

void UIButton::setTitle(const std::string& title, UIControlState state)
{
    contentFor(state).title = title;
    updateContent();
}

std::string UIButton::titleForState(UIControlState state) const
{
    if (const auto* content = find(state); content && content->title)
        return *content->title;
    const auto* normal = find(UIControlStateNormal);
    return normal && normal->title ? *normal->title : std::string();
}

void UIButton::setTitleColor(std::shared_ptr<UIColor> color, UIControlState state)
{
    contentFor(state).titleColor = std::move(color);
    updateContent();
}

std::shared_ptr<UIColor> UIButton::titleColorForState(UIControlState state) const
{
    if (const auto* content = find(state); content && content->titleColor)
        return content->titleColor;
    if (const auto* normal = find(UIControlStateNormal); normal && normal->titleColor)
        return normal->titleColor;
    if (m_type == UIButtonTypeSystem)
        return tintColor();
    return UIColor::whiteColor();
}

void UIButton::stateDidChange()
{
    updateContent();
}

void UIButton::updateContent()
{
    auto image = currentImage();
    std::string title = currentTitle();
    m_imageView->setImage(image);
    m_imageView->setHidden(!image);
    m_titleLabel->setText(title);
    m_titleLabel->setHidden(title.empty());
    m_titleLabel->setTextColor(currentTitleColor());
    // A system button's content dims while pressed.
    if (m_type == UIButtonTypeSystem) {
        CGFloat alpha = isHighlighted() ? 0.2 : 1.0;
        m_imageView->setAlpha(alpha);
        m_titleLabel->setAlpha(alpha);
    }
    setNeedsLayout();
}

void UIButton::layoutSubviews()
{
    CGRect b = bounds();
    CGSize imageSize = m_imageView->image() ? m_imageView->image()->size() : CGSizeZero;
    CGSize titleSize = m_titleLabel->text().empty() ? CGSizeZero : m_titleLabel->sizeThatFits(b.size);
    titleSize.width = std::min(titleSize.width, std::max<CGFloat>(b.size.width - imageSize.width, 0));
    CGFloat x = b.origin.x + (b.size.width - imageSize.width - titleSize.width) / 2;
    CGFloat midY = b.origin.y + b.size.height / 2;
    m_imageView->setFrame(CGRectMake(x, midY - imageSize.height / 2, imageSize.width, imageSize.height));
    m_titleLabel->setFrame(
        CGRectMake(x + imageSize.width, midY - titleSize.height / 2, titleSize.width, titleSize.height));
    // The width above is an estimate of the drawn text; a title alone gets
    // the whole button, centred, so a short title wider than the estimate
    // ("OK") is drawn whole instead of cut to an ellipsis.
    if (!m_imageView->image() && m_titleLabel->textAlignment() == NSTextAlignmentCenter)
        m_titleLabel->setFrame(CGRectMake(b.origin.x, midY - titleSize.height / 2, b.size.width, titleSize.height));
}

CGSize UIButton::sizeThatFits(CGSize size) const
{
    CGSize imageSize = m_imageView->image() ? m_imageView->image()->size() : CGSizeZero;
    CGSize titleSize = m_titleLabel->text().empty() ? CGSizeZero : m_titleLabel->sizeThatFits(size);
    return { imageSize.width + titleSize.width, std::max(imageSize.height, titleSize.height) };
}
