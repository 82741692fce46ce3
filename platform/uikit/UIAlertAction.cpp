#include "platform/uikit/UIAlertAction.h"

MARQEL_DEFINE_CLASS(UIAlertAction,
    method<&UIAlertAction::title>("title"),
    method<&UIAlertAction::style>("style"),
    method<&UIAlertAction::isEnabled>("isEnabled"),
    method<&UIAlertAction::setEnabled>("setEnabled:"))

std::shared_ptr<UIAlertAction> UIAlertAction::actionWithTitle(const std::string& title, UIAlertActionStyle style,
    Handler handler)
{
    return alloc<UIAlertAction>(title, style, std::move(handler));
}
