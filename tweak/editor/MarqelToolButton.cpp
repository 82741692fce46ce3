#include "tweak/editor/MarqelToolButton.h"

#include "kit/UIView+ZRLayout.h"

MARQEL_DEFINE_CLASS_LAZY(MarqelToolButton,
    method<&MarqelToolButton::initWithIcon>("initWithIcon:accent:size:action:"),
    method<&MarqelToolButton::touchAnimateWithHighlighted>("touchAnimateWithHighlighted:"),
    method<&MarqelToolButton::icon>("icon"),
    method<&MarqelToolButton::setIcon>("setIcon:"))

std::shared_ptr<MarqelToolButton> MarqelToolButton::initWithIcon(const std::string& icon, const std::shared_ptr<UIColor>& accent, CGFloat size, SEL action)
{
    setFrame(CGRectZero);
    setBackgroundColor(UIColor::whiteColor());
    layer()->setCornerRadius(22.5);
    setClipsToBounds(true);

    m_icon = alloc<UIImageView>(CGRectZero);
    m_icon->setContentMode(UIViewContentModeScaleAspectFit);
    m_icon->setTintColor(accent);
    m_icon->setImage(UIImage::systemImageNamed(icon));
    addSubview(m_icon);
    zr::size(*m_icon, size, size);
    zr::xy(*m_icon, centerXAnchor(), centerYAnchor());

    // The superview is always none here, so the action travels the
    // responder chain when it fires.
    addTarget(superview(), action, UIControlEventTouchUpInside);
    return retained<MarqelToolButton>();
}

void MarqelToolButton::touchAnimateWithHighlighted(bool highlighted)
{
    UIView::animateWithDuration(0.3, [this, highlighted] {
        if (highlighted) {
            setAlpha(0.8);
            setTransform(CGAffineTransformScale(transform(), 0.96, 0.96));
        } else {
            setAlpha(1.0);
            setTransform(CGAffineTransformIdentity);
        }
    });
}

void MarqelToolButton::touchesBegan(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event)
{
    UIControl::touchesBegan(touches, event);
    touchAnimateWithHighlighted(true);
}

void MarqelToolButton::touchesEnded(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event)
{
    UIControl::touchesEnded(touches, event);
    touchAnimateWithHighlighted(false);
}

void MarqelToolButton::touchesCancelled(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event)
{
    UIControl::touchesCancelled(touches, event);
    touchAnimateWithHighlighted(false);
}
