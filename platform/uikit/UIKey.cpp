#include "platform/uikit/UIKey.h"

MARQEL_DEFINE_CLASS(UIKey,
    method<&UIKey::keyCode>("keyCode"),
    method<&UIKey::charactersIgnoringModifiers>("charactersIgnoringModifiers"),
    method<&UIKey::modifierFlags>("modifierFlags"))

std::shared_ptr<UIKey> UIKey::keyWithInput(UIKeyboardHIDUsage keyCode, const std::string& input,
    UIKeyModifierFlags modifierFlags)
{
    return alloc<UIKey>(keyCode, input, modifierFlags);
}

std::string UIKey::description() const
{
    std::string shown = m_characters == "\r" ? "Return" : m_characters == "\b" ? "Backspace"
        : m_characters == "\t"                                                 ? "Tab"
                                                                               : m_characters;
    return "<UIKey " + shown + ">";
}
