#include "platform/uikit/UIKeyCommand.h"

MARQEL_DEFINE_CLASS(UIKeyCommand,
    method<&UIKeyCommand::input>("input"),
    method<&UIKeyCommand::modifierFlags>("modifierFlags"))

std::shared_ptr<UIKeyCommand> UIKeyCommand::keyCommandWithInput(const std::string& input,
    UIKeyModifierFlags modifierFlags, SEL action)
{
    return alloc<UIKeyCommand>(input, modifierFlags, action);
}

bool UIKeyCommand::matches(const UIKey& key) const
{
    return key.charactersIgnoringModifiers() == m_input && (key.modifierFlags() & ~UIKeyModifierAlphaShift) == m_modifierFlags;
}
