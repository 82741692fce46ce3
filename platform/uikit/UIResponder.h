#pragma once

// The responder chain. Touch handlers are C++ virtuals; the defaults pass
// the touches on to the next responder, so an unhandled touch travels from
// a view to its superviews, its view controller, the window and the
// application.

#include "platform/runtime/ClassBuilder.h"
#include "platform/uikit/Forward.h"
#include "platform/uikit/UITouch.h"
#include "platform/uikit/UITouchSet.h"

class UIResponder : public Object {
    MARQEL_OBJECT(UIResponder, Object)
public:
    UIResponder() = default;

    virtual std::shared_ptr<UIResponder> nextResponder() const { return nullptr; }

    virtual void touchesBegan(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event);
    virtual void touchesMoved(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event);
    virtual void touchesEnded(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event);
    virtual void touchesCancelled(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event);

    virtual bool canBecomeFirstResponder() const { return false; }
    bool becomeFirstResponder();
    bool resignFirstResponder();
    bool isFirstResponder() const;
    // The responder that last became first responder and has not resigned.
    static std::shared_ptr<UIResponder> currentFirstResponder();
};
