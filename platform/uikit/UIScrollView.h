#pragma once

// A view that shows a window onto larger content: the content offset is
// the bounds origin, so subviews placed in content coordinates move as it
// changes (hit testing and drawing both go through the bounds). A finger
// dragged on it, or on a subview that passes its touches on, scrolls it;
// the offset always stays within the content (no rubber band).

#include "platform/uikit/UIView.h"

class UIScrollView : public UIView {
    MARQEL_OBJECT(UIScrollView, UIView)
public:
    static constexpr double scrollAnimationDuration = 0.3;

    UIScrollView()
        : UIScrollView(CGRectZero)
    {
    }
    explicit UIScrollView(CGRect frame);

    CGSize contentSize() const { return m_contentSize; }
    // Keeps the offset within the new content.
    void setContentSize(CGSize size);
    CGPoint contentOffset() const { return bounds().origin; }
    // Clamped to the content.
    void setContentOffset(CGPoint offset);
    void setContentOffset(CGPoint offset, bool animated);
    // The largest offset the content allows (zero where it fits).
    CGPoint maximumContentOffset() const;
    bool isScrollEnabled() const { return m_scrollEnabled; }
    void setScrollEnabled(bool enabled) { m_scrollEnabled = enabled; }
    bool isDragging() const { return m_dragging; }

    // Scrolling by the finger; touches are not passed on.
    void touchesBegan(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event) override;
    void touchesMoved(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event) override;
    void touchesEnded(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event) override;
    void touchesCancelled(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event) override;

protected:
    // After every change of the offset, however it came (a finger, a call,
    // content that shrank under it); subclasses that place content by what
    // is in view lay out again.
    virtual void didScroll() { }

private:
    CGPoint clamped(CGPoint offset) const;

    CGSize m_contentSize = CGSizeZero;
    bool m_scrollEnabled = true;
    bool m_dragging = false;
    CGPoint m_lastScreenPoint = CGPointZero;
};
