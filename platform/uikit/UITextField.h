#pragma once

// A one-line text field. Typing goes through insertText / deleteBackward
// (the keyboard's input protocol) at the caret, which send editing-changed
// and post UITextFieldTextDidChangeNotification; setting the text in code
// sends nothing and puts the caret at the end, as in UIKit. The field being
// edited is the first responder and shows its caret.

#include "platform/uikit/LayerContentSource.h"
#include "platform/uikit/UIControl.h"
#include "platform/uikit/UILabel.h"

#include <string>
#include <vector>

inline constexpr const char* UITextFieldTextDidBeginEditingNotification = "UITextFieldTextDidBeginEditingNotification";
inline constexpr const char* UITextFieldTextDidEndEditingNotification = "UITextFieldTextDidEndEditingNotification";
inline constexpr const char* UITextFieldTextDidChangeNotification = "UITextFieldTextDidChangeNotification";

class UITextField : public UIControl, public LayerContentSource {
    MARQEL_OBJECT(UITextField, UIControl)
public:
    UITextField()
        : UITextField(CGRectZero)
    {
    }
    explicit UITextField(CGRect frame);

    const std::string& text() const { return m_text; }
    void setText(const std::string& text);
    const std::string& placeholder() const { return m_placeholder; }
    void setPlaceholder(const std::string& placeholder) { m_placeholder = placeholder; }
    const std::shared_ptr<UIColor>& textColor() const { return m_textColor; }
    void setTextColor(std::shared_ptr<UIColor> color);
    const std::shared_ptr<UIFont>& font() const { return m_font; }
    void setFont(std::shared_ptr<UIFont> font);
    NSTextAlignment textAlignment() const { return m_textAlignment; }
    void setTextAlignment(NSTextAlignment alignment) { m_textAlignment = alignment; }
    bool isSecureTextEntry() const { return m_secure; }
    void setSecureTextEntry(bool secure) { m_secure = secure; }

    // Inserts at the caret; a line break alone is the Return key, which a
    // one-line field answers with editing-did-end-on-exit instead.
    void insertText(const std::string& text);
    // Removes the character before the caret: a whole grapheme (an accent
    // with its letter, a family emoji), as a person sees one character.
    void deleteBackward();
    bool hasText() const { return !m_text.empty(); }
    // The caret, as a byte offset into the text; always between characters.
    std::size_t caretOffset() const { return m_caret; }
    void setCaretOffset(std::size_t offset);
    void moveCaretLeft();
    void moveCaretRight();
    std::vector<std::shared_ptr<UIKeyCommand>> keyCommands() const override;

    bool canBecomeFirstResponder() const override { return isEnabled(); }
    bool becomeFirstResponder() override;
    bool resignFirstResponder() override;
    void didMoveToWindow() override;
    void touchesEnded(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event) override;
    // The text (one bullet a character when secure), or the placeholder in
    // its grey while the field is empty; with the caret in the tint colour
    // while the field is edited.
    LayerContent layerContent() const override;

private:
    void textChanged();

    std::string m_text;
    std::size_t m_caret = 0;
    std::string m_placeholder;
    std::shared_ptr<UIColor> m_textColor;
    std::shared_ptr<UIFont> m_font;
    NSTextAlignment m_textAlignment = NSTextAlignmentNatural;
    bool m_secure = false;
};
