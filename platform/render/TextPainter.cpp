#include "platform/render/TextPainter.h"

#include "platform/uikit/UIFont.h"
#include "platform/uikit/UILabel.h"

#include <cairo.h>
#include <pango/pangocairo.h>

#include <algorithm>
#include <cmath>
#include <string_view>
#include <vector>

namespace render {

namespace {

struct LayoutHandle {
    PangoLayout* layout;
    ~LayoutHandle() { g_object_unref(layout); }
};

std::string validUTF8(const std::string& text)
{
    if (g_utf8_validate(text.data(), static_cast<gssize>(text.size()), nullptr))
        return text;
    gchar* fixed = g_utf8_make_valid(text.data(), static_cast<gssize>(text.size()));
    std::string result(fixed);
    g_free(fixed);
    return result;
}

void applyFont(PangoLayout* layout, const TextStyle& style)
{
    PangoFontDescription* font = pango_font_description_new();
    pango_font_description_set_family_static(font, TextPainter::fontFamily());
    pango_font_description_set_weight(font, static_cast<PangoWeight>(TextPainter::pangoWeight(style.weight)));
    // Sizes are in points, which are the user units the compositor draws in.
    double size = std::clamp(std::isfinite(style.pointSize) ? style.pointSize : 17.0, 0.5, 2000.0);
    pango_font_description_set_absolute_size(font, size * PANGO_SCALE);
    pango_layout_set_font_description(layout, font);
    pango_font_description_free(font);
}

PangoAlignment pangoAlignment(std::int64_t alignment)
{
    switch (alignment) {
    case 1: return PANGO_ALIGN_CENTER;
    case 2: return PANGO_ALIGN_RIGHT;
    default: return PANGO_ALIGN_LEFT;  // left, justified, natural (left to right)
    }
}

constexpr std::size_t paragraphBlock = 4096;

// Pango lays out again the rest of a word each time it breaks one wider
// than the line, which takes time growing with the square of the word's
// length (a minute for a pasted megabyte). A word that long is broken here
// instead: its characters' advances are measured once, a piece at a time,
// and line breaks go in where the next character would pass the width, so
// Pango only ever wraps paragraphs of a line or so. Shorter words, and text
// that is not wrapped, are left as they are.
std::string brokenLongWords(PangoContext* context, const std::string& text, const TextStyle& style, double width)
{
    constexpr std::size_t longWord = 64;  // bytes: below this Pango's own wrapping is quick
    constexpr std::size_t piece = 4096;  // bytes measured in one layout, well inside Pango's integer units
    auto isBreak = [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; };
    const int limit = static_cast<int>(std::min(width, 1e6) * PANGO_SCALE);
    std::string out;
    std::size_t copied = 0;
    for (std::size_t start = 0; start < text.size();) {
        if (isBreak(text[start])) {
            ++start;
            continue;
        }
        std::size_t end = start;
        while (end < text.size() && !isBreak(text[end]))
            ++end;
        if (end - start >= longWord) {
            out.append(text, copied, start - copied);
            int lineWidth = 0;
            for (std::size_t at = start; at < end;) {
                std::size_t stop = std::min(end, at + piece);
                while (stop < end && (static_cast<unsigned char>(text[stop]) & 0xC0) == 0x80)
                    --stop;
                LayoutHandle handle { pango_layout_new(context) };
                applyFont(handle.layout, style);
                pango_layout_set_text(handle.layout, text.data() + at, static_cast<int>(stop - at));
                PangoLayoutIter* iter = pango_layout_get_iter(handle.layout);
                std::vector<std::pair<int, int>> clusters;  // byte offset in the piece, advance
                do {
                    PangoRectangle logical;
                    pango_layout_iter_get_cluster_extents(iter, nullptr, &logical);
                    clusters.emplace_back(pango_layout_iter_get_index(iter), logical.width);
                } while (pango_layout_iter_next_cluster(iter));
                pango_layout_iter_free(iter);
                std::sort(clusters.begin(), clusters.end());
                for (std::size_t k = 0; k < clusters.size(); ++k) {
                    const std::size_t from = at + static_cast<std::size_t>(clusters[k].first);
                    const std::size_t to = k + 1 < clusters.size() ? at + static_cast<std::size_t>(clusters[k + 1].first) : stop;
                    if (lineWidth > 0 && lineWidth + clusters[k].second > limit) {
                        out += '\n';
                        lineWidth = 0;
                    }
                    lineWidth += clusters[k].second;
                    out.append(text, from, to - from);
                }
                at = stop;
            }
            copied = end;
        }
        start = end;
    }
    if (copied == 0)
        return text;
    out.append(text, copied, std::string::npos);
    return out;
}

}  // namespace

TextPainter::TextPainter()
{
    m_context = pango_font_map_create_context(pango_cairo_font_map_get_default());
    // Unhinted metrics keep a line the same length at every scale, so a
    // label truncates at the same place at 1x as at 3x.
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
    cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
    cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
    pango_cairo_context_set_font_options(m_context, options);
    cairo_font_options_destroy(options);
}

TextPainter::~TextPainter()
{
    if (m_context)
        g_object_unref(m_context);
}

int TextPainter::pangoWeight(double weight)
{
    // UIKit's named weights, lightest first, and the CSS-style weight each
    // stands for; a value between two takes the nearer.
    static constexpr std::pair<double, int> steps[] = {
        { -0.8, 100 },
        { -0.6, 200 },
        { -0.4, 300 },
        { 0.0, 400 },
        { 0.23, 500 },
        { 0.3, 600 },
        { 0.4, 700 },
        { 0.56, 800 },
        { 0.62, 900 },
    };
    if (!std::isfinite(weight))
        return 400;
    int best = 400;
    double bestDistance = INFINITY;
    for (auto [value, pango] : steps) {
        double distance = std::fabs(weight - value);
        if (distance < bestDistance) {
            bestDistance = distance;
            best = pango;
        }
    }
    return best;
}

CGSize TextPainter::measure(const std::string& text, const TextStyle& style)
{
    LayoutHandle handle { pango_layout_new(m_context) };
    applyFont(handle.layout, style);
    std::string valid = validUTF8(text);
    pango_layout_set_text(handle.layout, valid.data(), static_cast<int>(valid.size()));
    PangoRectangle logical;
    pango_layout_get_extents(handle.layout, nullptr, &logical);
    return { logical.width / double(PANGO_SCALE), logical.height / double(PANGO_SCALE) };
}

TextPainter::Lines TextPainter::measureLines(const std::string& text, const TextStyle& style, double wrapWidth)
{
    std::string valid = validUTF8(text);
    const bool wraps = wrapWidth > 0 && std::isfinite(wrapWidth);
    if (wraps)
        valid = brokenLongWords(m_context, valid, style, wrapWidth);
    // Paragraphs wrap each on their own, and Pango's cost for each grows with
    // the length of the whole text: a long text is measured a few
    // kilobytes of whole paragraphs at a time and the lines added up.
    Lines total { 0, 0 };
    for (std::size_t start = 0;;) {
        std::size_t end = valid.size() - start > paragraphBlock ? valid.find('\n', start + paragraphBlock) : std::string::npos;
        std::string_view block(valid.data() + start, (end == std::string::npos ? valid.size() : end) - start);
        LayoutHandle handle { pango_layout_new(m_context) };
        applyFont(handle.layout, style);
        pango_layout_set_text(handle.layout, block.data(), static_cast<int>(block.size()));
        if (wraps) {
            pango_layout_set_width(handle.layout, static_cast<int>(std::min(wrapWidth, 1e6) * PANGO_SCALE));
            pango_layout_set_wrap(handle.layout, PANGO_WRAP_WORD_CHAR);
        }
        PangoRectangle logical;
        pango_layout_get_extents(handle.layout, nullptr, &logical);
        total.width = std::max(total.width, logical.width / double(PANGO_SCALE));
        total.count += std::max(1, pango_layout_get_line_count(handle.layout));
        if (end == std::string::npos)
            return total;
        start = end + 1;
    }
}

void TextPainter::draw(cairo_t* cr, const std::string& text, const TextStyle& style, CGRect rect, double alpha,
    const Caret& caret)
{
    double w = rect.size.width, h = rect.size.height;
    double a = style.colour.alpha * alpha;
    bool hasCaret = caret.offset >= 0 && caret.colour.alpha * alpha > 0;
    if ((text.empty() && !hasCaret) || !(w > 0) || !(h > 0) || !std::isfinite(w) || !std::isfinite(h) || !(a > 0 || hasCaret))
        return;
    pango_cairo_update_context(cr, m_context);
    LayoutHandle handle { pango_layout_new(m_context) };
    PangoLayout* layout = handle.layout;
    applyFont(layout, style);
    std::string valid = validUTF8(text);
    // One line shows a line break as a glyph: only wrapped text is broken.
    if (style.numberOfLines != 1) {
        valid = brokenLongWords(m_context, valid, style, w);
        // No more paragraphs than lines can show, and one more, so that
        // the ellipsis still marks what is cut (see measureLines on the
        // cost of many paragraphs).
        if (valid.size() > paragraphBlock) {
            std::size_t kept = 0, end = 0;
            const std::size_t shown = static_cast<std::size_t>(std::max<std::int64_t>(style.numberOfLines, 0))
                + static_cast<std::size_t>(h / std::max(1.0, style.pointSize)) + 1;
            while (kept++ <= shown && (end = valid.find('\n', end)) != std::string::npos)
                ++end;
            if (end != std::string::npos)
                valid.resize(end);
        }
    }
    pango_layout_set_text(layout, valid.data(), static_cast<int>(valid.size()));
    if (hasCaret) {
        // An edited line is never broken or shortened; it is placed by hand
        // below, so that it can slide.
        pango_layout_set_single_paragraph_mode(layout, TRUE);
    } else {
        pango_layout_set_width(layout, static_cast<int>(std::min(w, 1e6) * PANGO_SCALE));
        pango_layout_set_wrap(layout, PANGO_WRAP_WORD_CHAR);
        pango_layout_set_ellipsize(layout, PANGO_ELLIPSIZE_END);
        pango_layout_set_alignment(layout, pangoAlignment(style.alignment));
        pango_layout_set_justify(layout, style.alignment == 3);
    }
    if (style.numberOfLines == 1 || hasCaret) {
        // One line, whatever the text holds: a line break is not a new line.
        pango_layout_set_single_paragraph_mode(layout, TRUE);
        pango_layout_set_height(layout, -1);
    } else {
        // As many lines as asked for and as fit in the height; zero asks for
        // all that fit.
        double lineHeight = std::max(1.0, style.pointSize * 1.2);
        auto fitting = static_cast<std::int64_t>(std::max(1.0, std::floor(h / lineHeight + 0.01)));
        std::int64_t lines = style.numberOfLines > 0 ? std::min(style.numberOfLines, fitting) : fitting;
        pango_layout_set_height(layout, -static_cast<int>(std::min<std::int64_t>(lines, 10000)));
    }
    PangoRectangle logical;
    pango_layout_get_extents(layout, nullptr, &logical);
    double textHeight = logical.height / double(PANGO_SCALE);
    double top = rect.origin.y + (h - textHeight) / 2;
    double shift = 0;
    PangoRectangle cursor {};
    if (hasCaret) {
        double textWidth = logical.width / double(PANGO_SCALE);
        if (textWidth < w && style.alignment == 1)
            shift = (w - textWidth) / 2;
        else if (textWidth < w && style.alignment == 2)
            shift = w - textWidth;
        // The offset counts bytes of the text as given; a repaired text can
        // only be shorter or as long, and a caret inside a character would
        // mislead Pango.
        auto index = static_cast<int>(std::min<std::int64_t>(caret.offset, static_cast<std::int64_t>(valid.size())));
        while (index > 0 && index < static_cast<int>(valid.size()) && (static_cast<unsigned char>(valid[index]) & 0xC0) == 0x80)
            --index;
        pango_layout_get_cursor_pos(layout, index, &cursor, nullptr);
        double caretX = shift + cursor.x / double(PANGO_SCALE);
        if (caretX + caretWidth > w)
            shift -= caretX + caretWidth - w;
        else if (caretX < 0)
            shift -= caretX;
    }
    cairo_save(cr);
    cairo_rectangle(cr, rect.origin.x, rect.origin.y, w, h);
    cairo_clip(cr);
    if (a > 0 && !valid.empty()) {
        cairo_set_source_rgba(cr, style.colour.red, style.colour.green, style.colour.blue, a);
        // FIXME: Pango's line is a little shorter than UIFont::lineHeight, so the
        // text of a label of many lines sits lower in its frame, by about half a
        // point a line.
        cairo_move_to(cr, rect.origin.x + shift, top);
        pango_cairo_show_layout(cr, layout);
    }
    if (hasCaret) {
        cairo_set_source_rgba(cr, caret.colour.red, caret.colour.green, caret.colour.blue, caret.colour.alpha * alpha);
        cairo_rectangle(cr, rect.origin.x + shift + cursor.x / double(PANGO_SCALE), top + cursor.y / double(PANGO_SCALE),
            caretWidth, cursor.height / double(PANGO_SCALE));
        cairo_fill(cr);
    }
    cairo_restore(cr);
}

}  // namespace render

namespace {

// Every process that draws measures labels with the engine that draws them,
// so a label laid out by its text is exactly as wide as its text.
const bool labelMeasurerInstalled = [] {
    UILabel::setTextMeasurer([](const std::string& text, const UIFont& font, CGFloat wrapWidth) {
        static render::TextPainter painter;
        render::TextStyle style;
        style.pointSize = font.pointSize();
        style.weight = font.weight();
        auto lines = painter.measureLines(text, style, wrapWidth);
        return UILabel::MeasuredText { lines.width, lines.count };
    });
    return true;
}();

}  // namespace
