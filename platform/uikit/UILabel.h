#pragma once

// A line (or lines) of text. Like UIKit's, a label ignores touches unless
// told otherwise, so touches fall through to the view beneath it.

#include "platform/uikit/LayerContentSource.h"
#include "platform/uikit/UIView.h"

#include <functional>
#include <string>

enum NSTextAlignment : std::int64_t {
    NSTextAlignmentLeft = 0,
    NSTextAlignmentCenter = 1,
    NSTextAlignmentRight = 2,
    NSTextAlignmentJustified = 3,
    NSTextAlignmentNatural = 4,
};

// How a text that does not fit its label ends: wrapped at words or
// characters (the rest clipped), clipped, or truncated with an ellipsis at
// its head, tail or middle.
enum NSLineBreakMode : std::int64_t {
    NSLineBreakByWordWrapping = 0,
    NSLineBreakByCharWrapping = 1,
    NSLineBreakByClipping = 2,
    NSLineBreakByTruncatingHead = 3,
    NSLineBreakByTruncatingTail = 4,
    NSLineBreakByTruncatingMiddle = 5,
};

class UILabel : public UIView, public LayerContentSource {
    MARQEL_OBJECT(UILabel, UIView)
public:
    UILabel()
        : UILabel(CGRectZero)
    {
    }
    explicit UILabel(CGRect frame);

    const std::string& text() const { return m_text; }
    void setText(const std::string& text);
    // Unset, the label's colour; setting null restores it.
    const std::shared_ptr<UIColor>& textColor() const { return m_textColor; }
    void setTextColor(std::shared_ptr<UIColor> color);
    const std::shared_ptr<UIFont>& font() const { return m_font; }
    void setFont(std::shared_ptr<UIFont> font);
    NSTextAlignment textAlignment() const { return m_textAlignment; }
    void setTextAlignment(NSTextAlignment alignment) { m_textAlignment = alignment; }
    std::int64_t numberOfLines() const { return m_numberOfLines; }
    void setNumberOfLines(std::int64_t lines) { m_numberOfLines = lines; }
    // Truncating the tail unless told otherwise, as in UIKit.
    NSLineBreakMode lineBreakMode() const { return m_lineBreakMode; }
    void setLineBreakMode(NSLineBreakMode mode) { m_lineBreakMode = mode; }

    // The text's size: measured by the renderer's text engine when one is
    // installed (as in every process that draws), otherwise an estimate
    // from the font size.
    CGSize sizeThatFits(CGSize size) const override;
    CGSize intrinsicContentSize() const override { return sizeThatFits({ 0, 0 }); }
    // How `text` lies in `font`: the widest line's width and the number of
    // lines, broken where the drawing breaks them when `wrapWidth` is
    // positive (only at line breaks otherwise). The renderer installs it, so
    // layout and drawing agree on a label's width and lines.
    struct MeasuredText {
        CGFloat width = 0;
        std::int64_t lines = 1;
    };
    using TextMeasurer = std::function<MeasuredText(const std::string& text, const UIFont& font, CGFloat wrapWidth)>;
    static void setTextMeasurer(TextMeasurer measurer);
    LayerContent layerContent() const override;

private:
    std::string m_text;
    std::shared_ptr<UIColor> m_textColor;
    std::shared_ptr<UIFont> m_font;
    NSTextAlignment m_textAlignment = NSTextAlignmentNatural;
    std::int64_t m_numberOfLines = 1;
    NSLineBreakMode m_lineBreakMode = NSLineBreakByTruncatingTail;
};
