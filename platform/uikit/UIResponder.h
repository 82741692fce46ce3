#pragma once

// The responder chain. Touch handlers are C++ virtuals; the defaults pass
// the touches on to the next responder, so an unhandled touch travels from
// a view to its superviews, its view controller, the window and the
// application. Keys travel the same chain from the first responder (see
// UIApplication::sendKeyPress).

#include "platform/runtime/ClassBuilder.h"
#include "platform/uikit/Forward.h"
#include "platform/uikit/UITouch.h"
#include "platform/uikit/UITouchSet.h"

#include <vector>

class UIResponder : public Object {
    MARQEL_OBJECT(UIResponder, Object)
public:
    UIResponder() = default;

    virtual std::shared_ptr<UIResponder> nextResponder() const { return nullptr; }

    virtual void touchesBegan(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event);
    virtual void touchesMoved(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event);
    virtual void touchesEnded(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event);
    virtual void touchesCancelled(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event);

    // The keys this responder answers while it is on the chain from the
    // first responder; they are matched before a key types anything.
    virtual std::vector<std::shared_ptr<UIKeyCommand>> keyCommands() const { return {}; }

    virtual bool canBecomeFirstResponder() const { return false; }
    // Overrides call these first, then say what changed (a text field
    // starts or ends editing).
    virtual bool becomeFirstResponder();
    virtual bool resignFirstResponder();
    bool isFirstResponder() const;
    // The responder that last became first responder and has not resigned.
    static std::shared_ptr<UIResponder> currentFirstResponder();
};
