#pragma once

// Text with Pango: labels' and text fields' lines, in the system font's
// stand-in face, at the label's size and weight, wrapped and truncated
// with an ellipsis at the label's width (as its line-break mode says), one
// line below the other at UIFont's line height, so a label sized by its
// measured lines holds exactly what is drawn.

#include "platform/foundation/CGGeometry.h"
#include "platform/render/Surface.h"

#include <cstdint>
#include <string>

typedef struct _PangoContext PangoContext;

namespace render {

struct TextStyle {
    double pointSize = 17;
    double weight = 0;  // UIFontWeight
    RGBA colour { 0, 0, 0, 1 };
    std::int64_t alignment = 4;  // NSTextAlignment
    std::int64_t numberOfLines = 1;  // 0: as many as fit
    std::int64_t lineBreakMode = 4;  // NSLineBreakMode; truncating the tail
};

// A text field's caret: where it stands, as a byte offset into the text
// (-1: no caret), and its colour.
struct TextCaret {
    std::int64_t offset = -1;
    RGBA colour { 0, 0, 0, 1 };
};

// NSLineBreakMode's truncating modes end a text that does not fit with an
// ellipsis; the others wrap or clip it.
bool truncates(std::int64_t lineBreakMode);

class TextPainter {
public:
    TextPainter();
    ~TextPainter();
    TextPainter(const TextPainter&) = delete;
    TextPainter& operator=(const TextPainter&) = delete;

    using Caret = TextCaret;
    static constexpr double caretWidth = 2;

    // Draws `text` (UTF-8; invalid sequences are replaced, never trusted)
    // centred vertically in `rect`, clipped to it, its colour's alpha
    // multiplied by `alpha`. With a caret the text is one line that slides
    // left, rather than ending in an ellipsis, to keep the caret in `rect`.
    void draw(cairo_t* cr, const std::string& text, const TextStyle& style, CGRect rect, double alpha,
        const Caret& caret = {});
    // The size the text takes on one line, in points.
    CGSize measure(const std::string& text, const TextStyle& style);
    // The widest line's width and the number of lines when the text is
    // broken as draw breaks it at `wrapWidth` (at line breaks only when
    // `wrapWidth` is not positive).
    struct Lines {
        double width = 0;
        std::int64_t count = 1;
    };
    Lines measureLines(const std::string& text, const TextStyle& style, double wrapWidth);

    // How `text` lies in `rect` exactly as draw lays it out: its ink (what
    // the glyphs cover) and logical box relative to the rectangle's origin,
    // unclipped, and whether an ellipsis stands for text that did not fit.
    struct Fit {
        CGRect ink {};
        CGRect logical {};
        std::int64_t lines = 0;
        bool ellipsized = false;
    };
    Fit fit(const std::string& text, const TextStyle& style, CGRect rect);

    // The Pango weight (100...900) for a UIFontWeight.
    static int pangoWeight(double weight);
    // Named outright so the picture does not depend on which fonts a
    // machine's "sans-serif" happens to pick; DejaVu comes with fontconfig.
    static const char* fontFamily() { return "DejaVu Sans,sans-serif"; }

private:
    PangoContext* m_context = nullptr;
};

}  // namespace render
