#pragma once

// A one-line text field. Typing goes through insertText / deleteBackward
// (the keyboard's input protocol), which send editing-changed; setting the
// text in code sends nothing, as in UIKit.

#include "platform/uikit/LayerContentSource.h"
#include "platform/uikit/UIControl.h"
#include "platform/uikit/UILabel.h"

#include <string>

class UITextField : public UIControl, public LayerContentSource {
    MARQEL_OBJECT(UITextField, UIControl)
public:
    UITextField()
        : UITextField(CGRectZero)
    {
    }
    explicit UITextField(CGRect frame);

    const std::string& text() const { return m_text; }
    void setText(const std::string& text) { m_text = text; }
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

    void insertText(const std::string& text);
    // Removes the last character (a whole UTF-8 sequence).
    void deleteBackward();

    bool canBecomeFirstResponder() const override { return isEnabled(); }
    void touchesEnded(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event) override;
    // The text (one bullet a character when secure), or the placeholder in
    // its grey while the field is empty.
    LayerContent layerContent() const override;

private:
    std::string m_text;
    std::string m_placeholder;
    std::shared_ptr<UIColor> m_textColor;
    std::shared_ptr<UIFont> m_font;
    NSTextAlignment m_textAlignment = NSTextAlignmentNatural;
    bool m_secure = false;
};
