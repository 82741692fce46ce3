#pragma once

// A key of a hardware keyboard as a press delivers it: which key it is (its
// USB HID usage), what it types, and the modifier keys held with it.

#include "platform/runtime/ClassBuilder.h"

#include <cstdint>
#include <string>

enum UIKeyboardHIDUsage : std::int64_t {
    UIKeyboardHIDUsageKeyboardA = 0x04,
    UIKeyboardHIDUsageKeyboardZ = 0x1D,
    UIKeyboardHIDUsageKeyboard1 = 0x1E,
    UIKeyboardHIDUsageKeyboard0 = 0x27,
    UIKeyboardHIDUsageKeyboardReturnOrEnter = 0x28,
    UIKeyboardHIDUsageKeyboardEscape = 0x29,
    UIKeyboardHIDUsageKeyboardDeleteOrBackspace = 0x2A,
    UIKeyboardHIDUsageKeyboardTab = 0x2B,
    UIKeyboardHIDUsageKeyboardSpacebar = 0x2C,
    UIKeyboardHIDUsageKeyboardHome = 0x4A,
    UIKeyboardHIDUsageKeyboardDeleteForward = 0x4C,
    UIKeyboardHIDUsageKeyboardEnd = 0x4D,
    UIKeyboardHIDUsageKeyboardRightArrow = 0x4F,
    UIKeyboardHIDUsageKeyboardLeftArrow = 0x50,
    UIKeyboardHIDUsageKeyboardDownArrow = 0x51,
    UIKeyboardHIDUsageKeyboardUpArrow = 0x52,
    UIKeyboardHIDUsageKeypadEnter = 0x58,
};

using UIKeyModifierFlags = std::int64_t;
inline constexpr UIKeyModifierFlags UIKeyModifierAlphaShift = 1 << 16;
inline constexpr UIKeyModifierFlags UIKeyModifierShift = 1 << 17;
inline constexpr UIKeyModifierFlags UIKeyModifierControl = 1 << 18;
inline constexpr UIKeyModifierFlags UIKeyModifierAlternate = 1 << 19;
inline constexpr UIKeyModifierFlags UIKeyModifierCommand = 1 << 20;

// UIKit's inputs for keys that type nothing; Return, Tab and Backspace are
// "\r", "\t" and "\b".
inline constexpr const char* UIKeyInputEscape = "UIKeyInputEscape";
inline constexpr const char* UIKeyInputUpArrow = "UIKeyInputUpArrow";
inline constexpr const char* UIKeyInputDownArrow = "UIKeyInputDownArrow";
inline constexpr const char* UIKeyInputLeftArrow = "UIKeyInputLeftArrow";
inline constexpr const char* UIKeyInputRightArrow = "UIKeyInputRightArrow";
inline constexpr const char* UIKeyInputHome = "UIKeyInputHome";
inline constexpr const char* UIKeyInputEnd = "UIKeyInputEnd";

class UIKey : public Object {
    MARQEL_OBJECT(UIKey, Object)
public:
    UIKey() = default;
    UIKey(UIKeyboardHIDUsage keyCode, std::string characters, UIKeyModifierFlags modifierFlags)
        : m_keyCode(keyCode)
        , m_characters(std::move(characters))
        , m_modifierFlags(modifierFlags)
    {
    }
    // The key with the input a key command names ("\r", UIKeyInputEscape, "a").
    static std::shared_ptr<UIKey> keyWithInput(UIKeyboardHIDUsage keyCode, const std::string& input,
        UIKeyModifierFlags modifierFlags = 0);

    UIKeyboardHIDUsage keyCode() const { return m_keyCode; }
    // What the key stands for without its modifiers: the lower-case letter
    // of a letter key, "\r" for Return, UIKeyInputEscape for Escape.
    const std::string& charactersIgnoringModifiers() const { return m_characters; }
    UIKeyModifierFlags modifierFlags() const { return m_modifierFlags; }
    std::string description() const override;

private:
    UIKeyboardHIDUsage m_keyCode = UIKeyboardHIDUsageKeyboardA;
    std::string m_characters;
    UIKeyModifierFlags m_modifierFlags = 0;
};
