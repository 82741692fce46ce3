#include "platform/render/TextPainter.h"

#include "platform/uikit/UIFont.h"
#include "platform/uikit/UILabel.h"

#include <cairo.h>
#include <pango/pangocairo.h>

#include <algorithm>
#include <cmath>
#include <string_view>
#include <utility>
#include <vector>

namespace render {

namespace {

struct LayoutHandle {
    PangoLayout* layout;
    explicit LayoutHandle(PangoLayout* layout)
        : layout(layout)
    {
    }
    LayoutHandle(LayoutHandle&& other) noexcept
        : layout(std::exchange(other.layout, nullptr))
    {
    }
    LayoutHandle(const LayoutHandle&) = delete;
    LayoutHandle& operator=(const LayoutHandle&) = delete;
    ~LayoutHandle()
    {
        if (layout)
            g_object_unref(layout);
    }
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

double clampedSize(const TextStyle& style)
{
    return std::clamp(std::isfinite(style.pointSize) ? style.pointSize : 17.0, 0.5, 2000.0);
}

// The layout of `text` in the style's font, each line exactly UIFont's line
// height tall: a label sized by its lines then holds what is drawn, and a
// picture beside a paragraph lines up with its first line.
LayoutHandle styledLayout(PangoContext* context, const std::string& text, const TextStyle& style)
{
    LayoutHandle handle { pango_layout_new(context) };
    PangoLayout* layout = handle.layout;
    PangoFontDescription* font = pango_font_description_new();
    pango_font_description_set_family_static(font, TextPainter::fontFamily());
    pango_font_description_set_weight(font, static_cast<PangoWeight>(TextPainter::pangoWeight(style.weight)));
    // Sizes are in points, which are the user units the compositor draws in.
    double size = clampedSize(style);
    pango_font_description_set_absolute_size(font, size * PANGO_SCALE);
    pango_layout_set_font_description(layout, font);
    pango_font_description_free(font);
    PangoAttrList* attributes = pango_attr_list_new();
    double lineHeight = UIFont(size, style.weight).lineHeight();
    pango_attr_list_insert(attributes, pango_attr_line_height_new_absolute(static_cast<int>(std::lround(lineHeight * PANGO_SCALE))));
    pango_layout_set_attributes(layout, attributes);
    pango_attr_list_unref(attributes);
    std::string valid = validUTF8(text);
    pango_layout_set_text(layout, valid.data(), static_cast<int>(valid.size()));
    return handle;
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
                LayoutHandle handle = styledLayout(context, text.substr(at, stop - at), style);
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

// What a box of `w` x `h` can show of `text`: long words broken where they
// pass the width, and no more paragraphs than lines can show and one more,
// so that the ellipsis still marks what is cut (see measureLines on the
// cost of many paragraphs). One line shows a line break as a glyph: only
// wrapped text is broken.
std::string shownText(PangoContext* context, const std::string& text, const TextStyle& style, double w, double h)
{
    std::string valid = validUTF8(text);
    if (style.numberOfLines == 1)
        return valid;
    valid = brokenLongWords(context, valid, style, w);
    if (valid.size() > paragraphBlock) {
        std::size_t kept = 0, end = 0;
        const std::size_t shown = static_cast<std::size_t>(std::max<std::int64_t>(style.numberOfLines, 0))
            + static_cast<std::size_t>(h / std::max(1.0, style.pointSize)) + 1;
        while (kept++ <= shown && (end = valid.find('\n', end)) != std::string::npos)
            ++end;
        if (end != std::string::npos)
            valid.resize(end);
    }
    return valid;
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
    LayoutHandle handle = styledLayout(m_context, text, style);
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
        LayoutHandle handle = styledLayout(m_context, std::string(block), style);
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

namespace {

// Breaks `layout` into lines in a `w` × `h` box as a label does: wrapped at
// its width, as many lines as asked for and as fit, the last one ending in
// an ellipsis where a truncating mode cuts the text. Returns where the
// layout's origin goes in the box.
CGPoint arrange(PangoLayout* layout, const TextStyle& style, double w, double h)
{
    const bool truncating = truncates(style.lineBreakMode);
    const bool oneLine = style.numberOfLines == 1;
    if (oneLine && !truncating) {
        // One line that is clipped, not wrapped: the layout has no width, so
        // the line is placed by hand.
        pango_layout_set_single_paragraph_mode(layout, TRUE);
        PangoRectangle logical;
        pango_layout_get_extents(layout, nullptr, &logical);
        double width = logical.width / double(PANGO_SCALE);
        double room = std::max(0.0, w - width);
        double x = style.alignment == 1 ? room / 2 : style.alignment == 2 ? room
                                                                          : 0;
        return { x, (h - logical.height / double(PANGO_SCALE)) / 2 };
    }
    pango_layout_set_width(layout, static_cast<int>(std::min(w, 1e6) * PANGO_SCALE));
    pango_layout_set_wrap(layout, style.lineBreakMode == 1 ? PANGO_WRAP_CHAR : PANGO_WRAP_WORD_CHAR);
    switch (style.lineBreakMode) {
    case 3: pango_layout_set_ellipsize(layout, PANGO_ELLIPSIZE_START); break;
    case 4: pango_layout_set_ellipsize(layout, PANGO_ELLIPSIZE_END); break;
    case 5: pango_layout_set_ellipsize(layout, PANGO_ELLIPSIZE_MIDDLE); break;
    default: pango_layout_set_ellipsize(layout, PANGO_ELLIPSIZE_NONE); break;
    }
    pango_layout_set_alignment(layout, pangoAlignment(style.alignment));
    pango_layout_set_justify(layout, style.alignment == 3);
    if (oneLine) {
        // One line, whatever the text holds: a line break is not a new line.
        pango_layout_set_single_paragraph_mode(layout, TRUE);
        pango_layout_set_height(layout, -1);
    } else {
        // As many lines as asked for and as fit in the height; zero asks for
        // all that fit. (Pango honours the limit only where it may ellipsize:
        // other modes lay out every line and the box clips them.)
        double lineHeight = std::max(1.0, UIFont(clampedSize(style), style.weight).lineHeight());
        auto fitting = static_cast<std::int64_t>(std::max(1.0, std::floor(h / lineHeight + 0.01)));
        std::int64_t lines = style.numberOfLines > 0 ? std::min(style.numberOfLines, fitting) : fitting;
        pango_layout_set_height(layout, -static_cast<int>(std::min<std::int64_t>(lines, 10000)));
    }
    PangoRectangle logical;
    pango_layout_get_extents(layout, nullptr, &logical);
    return { 0, (h - logical.height / double(PANGO_SCALE)) / 2 };
}

CGRect pointRect(const PangoRectangle& r, CGPoint origin)
{
    return CGRectMake(origin.x + r.x / double(PANGO_SCALE), origin.y + r.y / double(PANGO_SCALE), r.width / double(PANGO_SCALE),
        r.height / double(PANGO_SCALE));
}

bool hasRoom(CGRect rect)
{
    double w = rect.size.width, h = rect.size.height;
    return w > 0 && h > 0 && std::isfinite(w) && std::isfinite(h);
}

}  // namespace

bool truncates(std::int64_t lineBreakMode) { return lineBreakMode >= 3 && lineBreakMode <= 5; }

TextPainter::Fit TextPainter::fit(const std::string& text, const TextStyle& style, CGRect rect)
{
    Fit result;
    if (text.empty() || !hasRoom(rect))
        return result;
    LayoutHandle handle = styledLayout(m_context, shownText(m_context, text, style, rect.size.width, rect.size.height), style);
    CGPoint origin = arrange(handle.layout, style, rect.size.width, rect.size.height);
    PangoRectangle ink, logical;
    pango_layout_get_extents(handle.layout, &ink, &logical);
    result.ink = pointRect(ink, origin);
    result.logical = pointRect(logical, origin);
    result.lines = pango_layout_get_line_count(handle.layout);
    result.ellipsized = pango_layout_is_ellipsized(handle.layout);
    return result;
}

void TextPainter::draw(cairo_t* cr, const std::string& text, const TextStyle& style, CGRect rect, double alpha,
    const Caret& caret)
{
    const double w = rect.size.width, h = rect.size.height;
    const double a = style.colour.alpha * alpha;
    const bool hasCaret = caret.offset >= 0 && caret.colour.alpha * alpha > 0;
    if ((text.empty() && !hasCaret) || !hasRoom(rect) || !(a > 0 || hasCaret))
        return;
    pango_cairo_update_context(cr, m_context);
    const std::string shown = hasCaret ? validUTF8(text) : shownText(m_context, text, style, w, h);
    LayoutHandle handle = styledLayout(m_context, shown, style);
    CGPoint origin;
    PangoRectangle cursor {};
    if (hasCaret) {
        // An edited line is never broken or shortened; it is placed by hand
        // so that it can slide left to keep the caret in the box.
        pango_layout_set_single_paragraph_mode(handle.layout, TRUE);
        PangoRectangle logical;
        pango_layout_get_extents(handle.layout, nullptr, &logical);
        const double textWidth = logical.width / double(PANGO_SCALE);
        origin.y = (h - logical.height / double(PANGO_SCALE)) / 2;
        if (textWidth < w && style.alignment == 1)
            origin.x = (w - textWidth) / 2;
        else if (textWidth < w && style.alignment == 2)
            origin.x = w - textWidth;
        // The offset counts bytes of the text as given; a repaired text can
        // only be shorter or as long, and a caret inside a character would
        // mislead Pango.
        auto index = static_cast<int>(std::min<std::int64_t>(caret.offset, static_cast<std::int64_t>(shown.size())));
        while (index > 0 && index < static_cast<int>(shown.size()) && (static_cast<unsigned char>(shown[index]) & 0xC0) == 0x80)
            --index;
        pango_layout_get_cursor_pos(handle.layout, index, &cursor, nullptr);
        const double caretX = origin.x + cursor.x / double(PANGO_SCALE);
        if (caretX + caretWidth > w)
            origin.x -= caretX + caretWidth - w;
        else if (caretX < 0)
            origin.x -= caretX;
    } else {
        origin = arrange(handle.layout, style, w, h);
    }
    cairo_save(cr);
    cairo_rectangle(cr, rect.origin.x, rect.origin.y, w, h);
    cairo_clip(cr);
    if (a > 0 && !shown.empty()) {
        cairo_set_source_rgba(cr, style.colour.red, style.colour.green, style.colour.blue, a);
        cairo_move_to(cr, rect.origin.x + origin.x, rect.origin.y + origin.y);
        pango_cairo_show_layout(cr, handle.layout);
    }
    if (hasCaret) {
        cairo_set_source_rgba(cr, caret.colour.red, caret.colour.green, caret.colour.blue, caret.colour.alpha * alpha);
        cairo_rectangle(cr, rect.origin.x + origin.x + cursor.x / double(PANGO_SCALE),
            rect.origin.y + origin.y + cursor.y / double(PANGO_SCALE), caretWidth, cursor.height / double(PANGO_SCALE));
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
