#pragma once

// A key a responder answers while it is on the chain from the first
// responder: the key's input, the modifiers that must be held, and the
// action sent to the responder (with the command as the sender).

#include "platform/uikit/UIKey.h"

class UIKeyCommand : public Object {
    MARQEL_OBJECT(UIKeyCommand, Object)
public:
    UIKeyCommand() = default;
    UIKeyCommand(std::string input, UIKeyModifierFlags modifierFlags, SEL action)
        : m_input(std::move(input))
        , m_modifierFlags(modifierFlags)
        , m_action(action)
    {
    }
    static std::shared_ptr<UIKeyCommand> keyCommandWithInput(const std::string& input, UIKeyModifierFlags modifierFlags,
        SEL action);

    const std::string& input() const { return m_input; }
    UIKeyModifierFlags modifierFlags() const { return m_modifierFlags; }
    SEL action() const { return m_action; }
    // The same input with the same modifiers held; caps lock does not count,
    // as it does not on the phone.
    bool matches(const UIKey& key) const;

private:
    std::string m_input;
    UIKeyModifierFlags m_modifierFlags = 0;
    SEL m_action = nullptr;
};
