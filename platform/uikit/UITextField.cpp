#include "platform/uikit/UITextField.h"

#include "platform/foundation/NSNotificationCenter.h"
#include "platform/uikit/UIColor.h"
#include "platform/uikit/UIFont.h"
#include "platform/uikit/UIKeyCommand.h"
#include "platform/uikit/UIWindow.h"

#include <unicode/ubrk.h>
#include <unicode/utext.h>

#include <algorithm>

MARQEL_DEFINE_CLASS(UITextField,
    method<&UITextField::text>("text"),
    method<&UITextField::setText>("setText:"),
    method<&UITextField::placeholder>("placeholder"),
    method<&UITextField::setPlaceholder>("setPlaceholder:"),
    method<&UITextField::insertText>("insertText:"),
    method<&UITextField::deleteBackward>("deleteBackward"),
    method<&UITextField::hasText>("hasText"),
    method<&UITextField::moveCaretLeft>("moveCaretLeft"),
    method<&UITextField::moveCaretRight>("moveCaretRight"))

namespace {

enum class Direction { Back,
    Forward };

// The grapheme boundary before or after `offset` in UTF-8 `text`, with ICU's
// character break rules (the ones a person reads characters by). Text ICU
// cannot read falls back to code points.
std::size_t graphemeBoundary(const std::string& text, std::size_t offset, Direction direction)
{
    offset = std::min(offset, text.size());
    if (direction == Direction::Back && offset == 0)
        return 0;
    if (direction == Direction::Forward && offset == text.size())
        return offset;
    UErrorCode status = U_ZERO_ERROR;
    UText* ut = utext_openUTF8(nullptr, text.data(), static_cast<int64_t>(text.size()), &status);
    UBreakIterator* breaks = ubrk_open(UBRK_CHARACTER, "", nullptr, 0, &status);
    if (U_SUCCESS(status))
        ubrk_setUText(breaks, ut, &status);
    int32_t found = UBRK_DONE;
    if (U_SUCCESS(status)) {
        auto at = static_cast<int32_t>(offset);
        found = direction == Direction::Back ? ubrk_preceding(breaks, at) : ubrk_following(breaks, at);
    }
    if (breaks)
        ubrk_close(breaks);
    if (ut)
        utext_close(ut);
    if (found != UBRK_DONE)
        return static_cast<std::size_t>(found);
    // One UTF-8 sequence: step over continuation bytes.
    std::size_t at = offset;
    if (direction == Direction::Back) {
        do
            --at;
        while (at > 0 && (static_cast<unsigned char>(text[at]) & 0xC0) == 0x80);
    } else {
        do
            ++at;
        while (at < text.size() && (static_cast<unsigned char>(text[at]) & 0xC0) == 0x80);
    }
    return at;
}

std::size_t codePointsIn(const std::string& text, std::size_t end)
{
    std::size_t count = 0;
    for (std::size_t i = 0; i < std::min(end, text.size()); ++i)
        if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80)
            ++count;
    return count;
}

}  // namespace

UITextField::UITextField(CGRect frame)
    : UIControl(frame)
    , m_textColor(UIColor::labelColor())
    , m_font(UIFont::systemFontOfSize(17))
{
}

void UITextField::setText(const std::string& text)
{
    m_text = text;
    m_caret = m_text.size();
}

void UITextField::setCaretOffset(std::size_t offset)
{
    offset = std::min(offset, m_text.size());
    // Never inside a character: back to the boundary at or before it.
    if (offset < m_text.size() && offset > 0)
        offset = graphemeBoundary(m_text, graphemeBoundary(m_text, offset, Direction::Forward), Direction::Back);
    m_caret = offset;
}

void UITextField::moveCaretLeft()
{
    m_caret = graphemeBoundary(m_text, m_caret, Direction::Back);
}

void UITextField::moveCaretRight()
{
    m_caret = graphemeBoundary(m_text, m_caret, Direction::Forward);
}

std::vector<std::shared_ptr<UIKeyCommand>> UITextField::keyCommands() const
{
    static const std::vector<std::shared_ptr<UIKeyCommand>> commands {
        UIKeyCommand::keyCommandWithInput(UIKeyInputLeftArrow, 0, sel_registerName("moveCaretLeft")),
        UIKeyCommand::keyCommandWithInput(UIKeyInputRightArrow, 0, sel_registerName("moveCaretRight")),
    };
    return isFirstResponder() ? commands : std::vector<std::shared_ptr<UIKeyCommand>> {};
}

void UITextField::setTextColor(std::shared_ptr<UIColor> color)
{
    m_textColor = color ? std::move(color) : UIColor::labelColor();
}

void UITextField::setFont(std::shared_ptr<UIFont> font)
{
    m_font = font ? std::move(font) : UIFont::systemFontOfSize(17);
}

void UITextField::textChanged()
{
    sendActionsForControlEvents(UIControlEventEditingChanged);
    NSNotificationCenter::defaultCenter()->postNotificationName(UITextFieldTextDidChangeNotification, retained());
}

void UITextField::insertText(const std::string& text)
{
    if (text.empty())
        return;
    if (text == "\n") {
        sendActionsForControlEvents(UIControlEventEditingDidEndOnExit);
        return;
    }
    m_caret = std::min(m_caret, m_text.size());
    m_text.insert(m_caret, text);
    m_caret += text.size();
    textChanged();
}

void UITextField::deleteBackward()
{
    m_caret = std::min(m_caret, m_text.size());
    if (m_caret == 0)
        return;
    std::size_t start = graphemeBoundary(m_text, m_caret, Direction::Back);
    m_text.erase(start, m_caret - start);
    m_caret = start;
    textChanged();
}

bool UITextField::becomeFirstResponder()
{
    if (isFirstResponder())
        return true;
    if (!UIControl::becomeFirstResponder())
        return false;
    m_caret = m_text.size();
    sendActionsForControlEvents(UIControlEventEditingDidBegin);
    NSNotificationCenter::defaultCenter()->postNotificationName(UITextFieldTextDidBeginEditingNotification, retained());
    return true;
}

bool UITextField::resignFirstResponder()
{
    bool editing = isFirstResponder();
    UIControl::resignFirstResponder();
    if (editing) {
        sendActionsForControlEvents(UIControlEventEditingDidEnd);
        NSNotificationCenter::defaultCenter()->postNotificationName(UITextFieldTextDidEndEditingNotification, retained());
    }
    return true;
}

void UITextField::didMoveToWindow()
{
    UIControl::didMoveToWindow();
    // A field taken off the screen (its alert dismissed) stops being edited.
    if (!window() && isFirstResponder())
        resignFirstResponder();
}

void UITextField::touchesEnded(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event)
{
    bool tapped = isTracking() && touchIsInside(touches);
    UIControl::touchesEnded(touches, event);
    if (tapped)
        becomeFirstResponder();
}

LayerContent UITextField::layerContent() const
{
    bool editing = isFirstResponder();
    auto caretColour = editing ? tintColor() : nullptr;
    if (m_text.empty()) {
        TextContent placeholder { m_placeholder, m_font, UIColor::placeholderTextColor(), m_textAlignment, 1 };
        if (editing) {
            placeholder.caret = 0;
            placeholder.caretColour = caretColour;
        }
        return placeholder;
    }
    std::string shown;
    std::size_t caret = std::min(m_caret, m_text.size());
    if (m_secure) {
        std::size_t bullets = codePointsIn(m_text, m_text.size());
        for (std::size_t i = 0; i < bullets; ++i)
            shown += "\u2022";  // one bullet a code point, not a byte
        caret = codePointsIn(m_text, caret) * std::string("\u2022").size();
    } else {
        shown = m_text;
    }
    TextContent content { std::move(shown), m_font, m_textColor ? m_textColor : UIColor::labelColor(), m_textAlignment, 1 };
    if (editing) {
        content.caret = static_cast<std::int64_t>(caret);
        content.caretColour = caretColour;
    }
    return content;
}
