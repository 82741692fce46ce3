#pragma once

// Gesture recognisers: objects attached to a view that watch the touches
// going to it (or to its subviews) and send their action to their targets
// when they recognise their gesture. As in UIKit, a window hands each touch
// to the recognisers of the touched view and of its superviews before the
// view itself; the view still receives every touch (recognisers here never
// cancel the view's touches). A recogniser above a control does not see
// the control's touches, so a tap on a switch inside a tappable row flips
// the switch only.
//
// Targets are not owned: once a target is gone its action does nothing.

#include "platform/foundation/Badge.h"
#include "platform/foundation/CGGeometry.h"
#include "platform/runtime/ClassBuilder.h"
#include "platform/uikit/Forward.h"

#include <string_view>
#include <vector>

enum UIGestureRecognizerState : std::int64_t {
    UIGestureRecognizerStatePossible = 0,
    UIGestureRecognizerStateBegan = 1,
    UIGestureRecognizerStateChanged = 2,
    UIGestureRecognizerStateEnded = 3,
    UIGestureRecognizerStateCancelled = 4,
    UIGestureRecognizerStateFailed = 5,
    UIGestureRecognizerStateRecognized = UIGestureRecognizerStateEnded,
};

class UIGestureRecognizer : public Object {
    MARQEL_OBJECT(UIGestureRecognizer, Object)
public:
    UIGestureRecognizer() = default;
    // initWithTarget:action:. The action takes no argument or the
    // recogniser.
    UIGestureRecognizer(const id& target, std::string_view action);

    void addTarget(const id& target, std::string_view action);
    void removeTarget(const id& target, std::string_view action);

    // The view it is attached to, if it still is.
    std::shared_ptr<UIView> view() const;
    UIGestureRecognizerState state() const { return m_state; }
    bool isEnabled() const { return m_enabled; }
    void setEnabled(bool enabled);
    // Where the gesture's touch is (or was last), in `view`'s coordinates
    // (null: the window's).
    CGPoint locationInView(const UIView* view) const;

    // Touches delivered by the window, before the view gets them.
    virtual void touchesBegan(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event);
    virtual void touchesMoved(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event);
    virtual void touchesEnded(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event);
    virtual void touchesCancelled(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event);
    // Back to Possible, forgetting the gesture in progress.
    virtual void reset();

    // Bookkeeping for UIView::addGestureRecognizer / removeGestureRecognizer.
    void setView(Badge<UIView>, UIView* view) { setAttachedView(view); }

protected:
    // Ended (Recognized), Began and Changed send the actions to the targets.
    void setState(UIGestureRecognizerState state);
    void rememberLocation(const UITouchSet& touches);

private:
    struct Target {
        std::weak_ptr<Object> target;
        SEL action;
    };
    void setAttachedView(UIView* view);
    void sendActions();

    std::vector<Target> m_targets;
    UIView* m_view = nullptr;  // non-owning: the view clears it when they part
    UIGestureRecognizerState m_state = UIGestureRecognizerStatePossible;
    CGPoint m_screenLocation = CGPointZero;
    bool m_enabled = true;
};
