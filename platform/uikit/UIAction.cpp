#include "platform/uikit/UIAction.h"

#include "platform/uikit/UIImage.h"

MARQEL_DEFINE_CLASS(UIAction,
    method<&UIAction::title>("title"),
    method<&UIAction::attributes>("attributes"),
    method<&UIAction::setAttributes>("setAttributes:"))

std::shared_ptr<UIAction> UIAction::actionWithTitle(const std::string& title, std::shared_ptr<UIImage> image,
    const std::string& identifier, Handler handler)
{
    auto action = alloc<UIAction>();
    action->m_title = title;
    action->m_image = std::move(image);
    action->m_identifier = identifier;
    action->m_handler = std::move(handler);
    return action;
}

void UIAction::perform()
{
    if (isDisabled() || !m_handler)
        return;
    auto keepAlive = retained<UIAction>();
    m_handler(keepAlive);
}
