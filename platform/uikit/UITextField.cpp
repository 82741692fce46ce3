#include "platform/uikit/UITextField.h"

#include "platform/uikit/UIColor.h"
#include "platform/uikit/UIFont.h"

MARQEL_DEFINE_CLASS(UITextField,
    method<&UITextField::text>("text"),
    method<&UITextField::setText>("setText:"),
    method<&UITextField::placeholder>("placeholder"),
    method<&UITextField::setPlaceholder>("setPlaceholder:"),
    method<&UITextField::insertText>("insertText:"),
    method<&UITextField::deleteBackward>("deleteBackward"))

UITextField::UITextField(CGRect frame)
    : UIControl(frame)
    , m_textColor(UIColor::labelColor())
    , m_font(UIFont::systemFontOfSize(17))
{
}

void UITextField::setTextColor(std::shared_ptr<UIColor> color)
{
    m_textColor = color ? std::move(color) : UIColor::labelColor();
}

void UITextField::setFont(std::shared_ptr<UIFont> font)
{
    m_font = font ? std::move(font) : UIFont::systemFontOfSize(17);
}

void UITextField::insertText(const std::string& text)
{
    if (text.empty())
        return;
    m_text += text;
    sendActionsForControlEvents(UIControlEventEditingChanged);
}

void UITextField::deleteBackward()
{
    if (m_text.empty())
        return;
    std::size_t end = m_text.size() - 1;
    while (end > 0 && (static_cast<unsigned char>(m_text[end]) & 0xC0) == 0x80)
        --end;
    m_text.erase(end);
    sendActionsForControlEvents(UIControlEventEditingChanged);
}

void UITextField::touchesEnded(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event)
{
    bool tapped = isTracking() && touchIsInside(touches);
    UIControl::touchesEnded(touches, event);
    if (tapped && !isFirstResponder() && becomeFirstResponder())
        sendActionsForControlEvents(UIControlEventEditingDidBegin);
}

LayerContent UITextField::layerContent() const
{
    if (m_text.empty())
        return TextContent { m_placeholder, m_font, UIColor::placeholderTextColor(), m_textAlignment, 1 };
    std::string shown;
    if (m_secure) {
        for (unsigned char c : m_text)
            if ((c & 0xC0) != 0x80)  // one bullet a code point, not a byte
                shown += "\u2022";
    } else {
        shown = m_text;
    }
    return TextContent { std::move(shown), m_font, m_textColor ? m_textColor : UIColor::labelColor(), m_textAlignment, 1 };
}
