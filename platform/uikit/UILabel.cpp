#include "platform/uikit/UILabel.h"

#include "platform/uikit/UIColor.h"
#include "platform/uikit/UIFont.h"

#include <algorithm>
#include <cmath>

MARQEL_DEFINE_CLASS(UILabel,
    method<&UILabel::text>("text"),
    method<&UILabel::setText>("setText:"),
    method<&UILabel::textColor>("textColor"),
    method<&UILabel::setTextColor>("setTextColor:"),
    method<&UILabel::setFont>("setFont:"),
    method<&UILabel::setTextAlignment>("setTextAlignment:"))

UILabel::UILabel(CGRect frame)
    : UIView(frame)
    , m_textColor(UIColor::labelColor())
    , m_font(UIFont::systemFontOfSize(17))
{
    setUserInteractionEnabled(false);
}

void UILabel::setTextColor(std::shared_ptr<UIColor> color)
{
    m_textColor = color ? std::move(color) : UIColor::labelColor();
}

void UILabel::setFont(std::shared_ptr<UIFont> font)
{
    m_font = font ? std::move(font) : UIFont::systemFontOfSize(17);
    invalidateIntrinsicContentSize();
}

LayerContent UILabel::layerContent() const
{
    return TextContent { m_text, m_font, m_textColor, m_textAlignment, m_numberOfLines, m_lineBreakMode };
}

namespace {
UILabel::TextMeasurer& textMeasurer()
{
    static UILabel::TextMeasurer measurer;
    return measurer;
}
}  // namespace

void UILabel::setTextMeasurer(TextMeasurer measurer) { textMeasurer() = std::move(measurer); }

void UILabel::setText(const std::string& text)
{
    if (text == m_text)
        return;
    m_text = text;
    invalidateIntrinsicContentSize();
}

CGSize UILabel::sizeThatFits(CGSize size) const
{
    const bool wraps = m_numberOfLines != 1 && size.width > 0;
    CGFloat width = 0;
    CGFloat lines = 1;
    if (const auto& measure = textMeasurer()) {
        MeasuredText measured = measure(m_text, *m_font, wraps ? size.width : 0);
        width = std::ceil(measured.width);
        if (m_numberOfLines != 1)
            lines = static_cast<CGFloat>(std::max<std::int64_t>(measured.lines, 1));
        if (wraps)
            width = std::min(width, size.width);
    } else {
        // Roughly the advance of the system font: about 0.55 em per character.
        CGFloat em = m_font->pointSize();
        std::size_t characters = 0;
        for (unsigned char c : m_text)
            if ((c & 0xC0) != 0x80)  // count code points, not bytes
                ++characters;
        width = std::ceil(static_cast<CGFloat>(characters) * em * 0.55);
        if (wraps && width > size.width) {
            lines = std::ceil(width / size.width);
            width = size.width;
        }
    }
    if (m_numberOfLines > 0)
        lines = std::min<CGFloat>(lines, static_cast<CGFloat>(m_numberOfLines));
    return { width, std::ceil(m_font->lineHeight() * lines) };
}
