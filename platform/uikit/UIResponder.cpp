#include "platform/uikit/UIResponder.h"

MARQEL_DEFINE_CLASS(UIResponder,
    method<&UIResponder::nextResponder>("nextResponder"),
    method<&UIResponder::becomeFirstResponder>("becomeFirstResponder"),
    method<&UIResponder::resignFirstResponder>("resignFirstResponder"),
    method<&UIResponder::isFirstResponder>("isFirstResponder"))

namespace {
std::weak_ptr<UIResponder>& firstResponder()
{
    static std::weak_ptr<UIResponder> responder;
    return responder;
}
}  // namespace

void UIResponder::touchesBegan(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event)
{
    if (auto next = nextResponder())
        next->touchesBegan(touches, event);
}

void UIResponder::touchesMoved(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event)
{
    if (auto next = nextResponder())
        next->touchesMoved(touches, event);
}

void UIResponder::touchesEnded(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event)
{
    if (auto next = nextResponder())
        next->touchesEnded(touches, event);
}

void UIResponder::touchesCancelled(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event)
{
    if (auto next = nextResponder())
        next->touchesCancelled(touches, event);
}

bool UIResponder::becomeFirstResponder()
{
    if (!canBecomeFirstResponder())
        return false;
    auto self = retained<UIResponder>();
    if (!self)
        return false;
    if (auto previous = firstResponder().lock(); previous && previous != self)
        previous->resignFirstResponder();
    firstResponder() = self;
    return true;
}

bool UIResponder::resignFirstResponder()
{
    if (isFirstResponder())
        firstResponder().reset();
    return true;
}

bool UIResponder::isFirstResponder() const
{
    return firstResponder().lock().get() == this;
}

std::shared_ptr<UIResponder> UIResponder::currentFirstResponder()
{
    return firstResponder().lock();
}
