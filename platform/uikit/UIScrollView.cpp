#include "platform/uikit/UIScrollView.h"

#include "platform/uikit/UITouch.h"
#include "platform/uikit/UITouchSet.h"

#include <algorithm>
#include <cmath>

MARQEL_DEFINE_CLASS(UIScrollView,
    method<&UIScrollView::contentSize>("contentSize"),
    method<&UIScrollView::setContentSize>("setContentSize:"),
    method<&UIScrollView::contentOffset>("contentOffset"),
    method<static_cast<void (UIScrollView::*)(CGPoint)>(&UIScrollView::setContentOffset)>("setContentOffset:"),
    method<static_cast<void (UIScrollView::*)(CGPoint, bool)>(&UIScrollView::setContentOffset)>("setContentOffset:animated:"))

UIScrollView::UIScrollView(CGRect frame)
    : UIView(frame)
{
    // Content outside the visible window is not drawn over the neighbours.
    setClipsToBounds(true);
}

CGPoint UIScrollView::maximumContentOffset() const
{
    CGSize size = bounds().size;
    return { std::max<CGFloat>(0, m_contentSize.width - size.width), std::max<CGFloat>(0, m_contentSize.height - size.height) };
}

CGPoint UIScrollView::clamped(CGPoint offset) const
{
    CGPoint most = maximumContentOffset();
    auto clamp = [](CGFloat v, CGFloat high) { return std::isfinite(v) ? std::clamp<CGFloat>(v, 0, high) : 0; };
    return { clamp(offset.x, most.x), clamp(offset.y, most.y) };
}

void UIScrollView::setContentSize(CGSize size)
{
    m_contentSize = { std::max<CGFloat>(0, size.width), std::max<CGFloat>(0, size.height) };
    CGPoint now = contentOffset();
    CGPoint fitted = clamped(now);
    if (fitted != now)
        setContentOffset(fitted);
}

void UIScrollView::setContentOffset(CGPoint offset)
{
    CGRect b = bounds();
    const CGPoint was = b.origin;
    b.origin = clamped(offset);
    setBounds(b);
    if (b.origin != was)
        didScroll();
}

void UIScrollView::setContentOffset(CGPoint offset, bool animated)
{
    if (!animated) {
        performWithoutAnimation([&] { setContentOffset(offset); });
        return;
    }
    animateWithDuration(
        scrollAnimationDuration, 0, UIViewAnimationOptionCurveEaseInOut,
        [&] { setContentOffset(offset); }, nullptr);
}

void UIScrollView::touchesBegan(const UITouchSet& touches, const std::shared_ptr<UIEvent>&)
{
    auto touch = touches.anyObject();
    if (!touch || !m_scrollEnabled)
        return;
    m_dragging = true;
    m_lastScreenPoint = touch->screenLocation();
}

void UIScrollView::touchesMoved(const UITouchSet& touches, const std::shared_ptr<UIEvent>&)
{
    auto touch = touches.anyObject();
    if (!touch || !m_dragging)
        return;
    // The content follows the finger: moving it up shows what is below.
    CGPoint from = convertPointFromScreen(m_lastScreenPoint);
    CGPoint to = convertPointFromScreen(touch->screenLocation());
    m_lastScreenPoint = touch->screenLocation();
    CGPoint offset = contentOffset();
    performWithoutAnimation([&] { setContentOffset({ offset.x - (to.x - from.x), offset.y - (to.y - from.y) }); });
}

void UIScrollView::touchesEnded(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event)
{
    touchesMoved(touches, event);
    m_dragging = false;
}

void UIScrollView::touchesCancelled(const UITouchSet&, const std::shared_ptr<UIEvent>&)
{
    m_dragging = false;
}
