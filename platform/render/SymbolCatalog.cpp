#include "platform/render/SymbolCatalog.h"

#include "platform/render/TextPainter.h"

#include <cairo.h>
#include <pango/pangocairo.h>

#include <cctype>
#include <cmath>
#include <functional>
#include <map>

namespace render::symbols {

namespace {

// Each drawing works in a box one unit high and aspectRatio units wide, in
// an opaque colour; knocked-out parts are cleared (the whole drawing sits
// in a group of its own, so clearing never reaches what lies beneath).
using Drawing = void (*)(cairo_t*);

constexpr double pi = 3.14159265358979323846;

void knockOut(cairo_t* cr) { cairo_set_operator(cr, CAIRO_OPERATOR_CLEAR); }
void paintOver(cairo_t* cr) { cairo_set_operator(cr, CAIRO_OPERATOR_OVER); }

void roundedBox(cairo_t* cr, double x, double y, double w, double h, double r)
{
    cairo_new_sub_path(cr);
    cairo_arc(cr, x + w - r, y + r, r, -pi / 2, 0);
    cairo_arc(cr, x + w - r, y + h - r, r, 0, pi / 2);
    cairo_arc(cr, x + r, y + h - r, r, pi / 2, pi);
    cairo_arc(cr, x + r, y + r, r, pi, 3 * pi / 2);
    cairo_close_path(cr);
}

void strokeLine(cairo_t* cr, double x1, double y1, double x2, double y2, double width)
{
    cairo_set_line_width(cr, width);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_move_to(cr, x1, y1);
    cairo_line_to(cr, x2, y2);
    cairo_stroke(cr);
}

void recordCircle(cairo_t* cr)
{
    cairo_set_line_width(cr, 0.085);
    cairo_arc(cr, 0.5, 0.5, 0.455, 0, 2 * pi);
    cairo_stroke(cr);
    cairo_arc(cr, 0.5, 0.5, 0.27, 0, 2 * pi);
    cairo_fill(cr);
}

// The microphone in a box 0.72 wide.
void microphone(cairo_t* cr)
{
    roundedBox(cr, 0.21, 0.02, 0.30, 0.58, 0.15);
    cairo_fill(cr);
    cairo_set_line_width(cr, 0.075);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    // The stand: a cradle under the capsule, a stem and a foot.
    cairo_move_to(cr, 0.07, 0.40);
    cairo_arc_negative(cr, 0.36, 0.42, 0.29, pi - 0.07, 0.07);
    cairo_stroke(cr);
    strokeLine(cr, 0.36, 0.72, 0.36, 0.90, 0.075);
    strokeLine(cr, 0.20, 0.945, 0.52, 0.945, 0.075);
}

void micFill(cairo_t* cr) { microphone(cr); }

void micSlashFill(cairo_t* cr)
{
    microphone(cr);
    // A clear channel along the slash keeps it readable over the capsule.
    knockOut(cr);
    strokeLine(cr, 0.02, 0.04, 0.70, 0.98, 0.19);
    paintOver(cr);
    strokeLine(cr, 0.05, 0.06, 0.67, 0.94, 0.075);
}

// An arrow from (x1, y1) to the corner-pointing head at (x2, y2): the head is
// two strokes running back along the axes.
void cornerArrow(cairo_t* cr, double x1, double y1, double x2, double y2)
{
    const double w = 0.085, head = 0.30;
    strokeLine(cr, x1, y1, x2, y2, w);
    double sx = x2 > x1 ? -1 : 1, sy = y2 > y1 ? -1 : 1;
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    cairo_move_to(cr, x2 + sx * head, y2);
    cairo_line_to(cr, x2, y2);
    cairo_line_to(cr, x2, y2 + sy * head);
    cairo_stroke(cr);
}

void arrowsOutward(cairo_t* cr)
{
    cornerArrow(cr, 0.42, 0.42, 0.08, 0.08);
    cornerArrow(cr, 0.58, 0.58, 0.92, 0.92);
}

void arrowsInward(cairo_t* cr)
{
    cornerArrow(cr, 0.06, 0.06, 0.42, 0.42);
    cornerArrow(cr, 0.94, 0.94, 0.58, 0.58);
}

void squareGrid(cairo_t* cr)
{
    const double s = 0.43, gap = 0.14, r = 0.1;
    for (int row = 0; row < 2; ++row)
        for (int column = 0; column < 2; ++column)
            roundedBox(cr, column * (s + gap), row * (s + gap), s, s, r);
    cairo_fill(cr);
}

// In a box 1.3 wide.
void rectangleBadgePlus(cairo_t* cr)
{
    roundedBox(cr, 0.0, 0.22, 1.02, 0.74, 0.14);
    cairo_fill(cr);
    const double bx = 1.02, by = 0.26, badge = 0.26;
    knockOut(cr);
    cairo_arc(cr, bx, by, badge + 0.07, 0, 2 * pi);
    cairo_fill(cr);
    paintOver(cr);
    cairo_arc(cr, bx, by, badge, 0, 2 * pi);
    cairo_fill(cr);
    knockOut(cr);
    strokeLine(cr, bx - 0.13, by, bx + 0.13, by, 0.07);
    strokeLine(cr, bx, by - 0.13, bx, by + 0.13, 0.07);
    paintOver(cr);
}

void xmark(cairo_t* cr)
{
    strokeLine(cr, 0.12, 0.12, 0.88, 0.88, 0.11);
    strokeLine(cr, 0.88, 0.12, 0.12, 0.88, 0.11);
}

// In a box 0.86 wide.
void trashFill(cairo_t* cr)
{
    // Lid with its handle.
    roundedBox(cr, 0.0, 0.13, 0.86, 0.09, 0.045);
    cairo_fill(cr);
    cairo_set_line_width(cr, 0.07);
    roundedBox(cr, 0.29, 0.02, 0.28, 0.16, 0.05);
    cairo_stroke(cr);
    // The can tapers towards a rounded foot.
    cairo_move_to(cr, 0.07, 0.27);
    cairo_line_to(cr, 0.79, 0.27);
    cairo_line_to(cr, 0.73, 0.90);
    cairo_curve_to(cr, 0.725, 0.96, 0.69, 0.99, 0.64, 0.99);
    cairo_line_to(cr, 0.22, 0.99);
    cairo_curve_to(cr, 0.17, 0.99, 0.135, 0.96, 0.13, 0.90);
    cairo_close_path(cr);
    cairo_fill(cr);
    knockOut(cr);
    for (double x : { 0.28, 0.43, 0.58 })
        strokeLine(cr, x, 0.40, x, 0.85, 0.05);
    paintOver(cr);
}

void power(cairo_t* cr)
{
    cairo_set_line_width(cr, 0.1);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_arc(cr, 0.5, 0.55, 0.40, -pi / 2 + 0.62, 3 * pi / 2 - 0.62);
    cairo_stroke(cr);
    strokeLine(cr, 0.5, 0.06, 0.5, 0.5, 0.1);
}

void timer(cairo_t* cr)
{
    cairo_set_line_width(cr, 0.085);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    // The dial, open at the top where the winder stands.
    cairo_arc(cr, 0.5, 0.52, 0.44, -pi / 2 + 0.28, 3 * pi / 2 - 0.28);
    cairo_stroke(cr);
    strokeLine(cr, 0.5, 0.04, 0.5, 0.22, 0.085);
    // The hand, from the centre towards ten o'clock.
    strokeLine(cr, 0.5, 0.52, 0.30, 0.32, 0.085);
    cairo_arc(cr, 0.5, 0.52, 0.07, 0, 2 * pi);
    cairo_fill(cr);
}

// In a box 0.8 wide: the triangle leans on its left edge, as the phone's.
void playFill(cairo_t* cr)
{
    cairo_move_to(cr, 0.06, 0.06);
    cairo_line_to(cr, 0.76, 0.5);
    cairo_line_to(cr, 0.06, 0.94);
    cairo_close_path(cr);
    cairo_fill(cr);
}

// In a box 0.7 wide.
void pauseFill(cairo_t* cr)
{
    roundedBox(cr, 0.04, 0.06, 0.22, 0.88, 0.05);
    cairo_fill(cr);
    roundedBox(cr, 0.44, 0.06, 0.22, 0.88, 0.05);
    cairo_fill(cr);
}

// A movie camera in a box 1.4 wide: the body and its lens cone.
void videoFill(cairo_t* cr)
{
    roundedBox(cr, 0.04, 0.2, 0.9, 0.6, 0.12);
    cairo_fill(cr);
    cairo_move_to(cr, 0.98, 0.45);
    cairo_line_to(cr, 1.36, 0.24);
    cairo_line_to(cr, 1.36, 0.76);
    cairo_line_to(cr, 0.98, 0.55);
    cairo_close_path(cr);
    cairo_fill(cr);
}

void squareWithCharacter(cairo_t* cr, char character)
{
    roundedBox(cr, 0.02, 0.02, 0.96, 0.96, 0.22);
    cairo_fill(cr);
    PangoLayout* layout = pango_cairo_create_layout(cr);
    // Unhinted, so the letter sits where its outline says at any size.
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
    cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
    pango_cairo_context_set_font_options(pango_layout_get_context(layout), options);
    cairo_font_options_destroy(options);
    pango_layout_context_changed(layout);
    PangoFontDescription* font = pango_font_description_new();
    pango_font_description_set_family_static(font, TextPainter::fontFamily());
    pango_font_description_set_weight(font, PANGO_WEIGHT_BOLD);
    pango_font_description_set_absolute_size(font, 0.66 * PANGO_SCALE);
    pango_layout_set_font_description(layout, font);
    pango_font_description_free(font);
    char text[2] = { static_cast<char>(std::toupper(static_cast<unsigned char>(character))), 0 };
    // The phone's lettered squares show capitals for letters; digits stay.
    pango_layout_set_text(layout, text, 1);
    PangoRectangle ink, logical;
    pango_layout_get_extents(layout, &ink, &logical);
    double inkX = ink.x / double(PANGO_SCALE), inkY = ink.y / double(PANGO_SCALE);
    double inkW = ink.width / double(PANGO_SCALE), inkH = ink.height / double(PANGO_SCALE);
    knockOut(cr);
    cairo_move_to(cr, 0.5 - inkX - inkW / 2, 0.5 - inkY - inkH / 2);
    pango_cairo_show_layout(cr, layout);
    paintOver(cr);
    g_object_unref(layout);
}

struct Entry {
    Drawing drawing;
    double aspect;
};

const std::map<std::string, Entry>& catalog()
{
    static const std::map<std::string, Entry> entries = {
        { "record.circle", { recordCircle, 1.0 } },
        { "mic.fill", { micFill, 0.72 } },
        { "mic.slash.fill", { micSlashFill, 0.72 } },
        { "arrow.up.left.and.arrow.down.right", { arrowsOutward, 1.0 } },
        { "arrow.down.right.and.arrow.up.left", { arrowsInward, 1.0 } },
        { "square.grid.2x2.fill", { squareGrid, 1.0 } },
        { "rectangle.fill.badge.plus", { rectangleBadgePlus, 1.3 } },
        { "xmark", { xmark, 1.0 } },
        { "trash.fill", { trashFill, 0.86 } },
        { "power", { power, 1.0 } },
        { "timer", { timer, 1.0 } },
        { "play.fill", { playFill, 0.8 } },
        { "pause.fill", { pauseFill, 0.7 } },
        { "video.fill", { videoFill, 1.4 } },
    };
    return entries;
}

// The character of "<c>.square.fill", or 0 when the name is not one.
char squareCharacter(const std::string& name)
{
    static const std::string suffix = ".square.fill";
    if (name.size() != 1 + suffix.size() || name.compare(1, suffix.size(), suffix) != 0)
        return 0;
    char c = name[0];
    return ((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')) ? c : 0;
}

}  // namespace

bool has(const std::string& name)
{
    return catalog().count(name) > 0 || squareCharacter(name) != 0;
}

double aspectRatio(const std::string& name)
{
    auto it = catalog().find(name);
    return it != catalog().end() ? it->second.aspect : 1.0;
}

std::vector<std::string> fixedNames()
{
    std::vector<std::string> names;
    for (const auto& [name, entry] : catalog())
        names.push_back(name);
    return names;
}

bool draw(cairo_t* cr, const std::string& name, CGRect rect, RGBA colour)
{
    auto it = catalog().find(name);
    char character = squareCharacter(name);
    if (it == catalog().end() && character == 0)
        return false;
    double w = rect.size.width, h = rect.size.height;
    if (!(w > 0) || !(h > 0) || !std::isfinite(w) || !std::isfinite(h) || !std::isfinite(rect.origin.x)
        || !std::isfinite(rect.origin.y) || !(colour.alpha > 0))
        return true;
    // Symbols keep their shape: fitted into the rectangle, centred.
    double aspect = character ? 1.0 : it->second.aspect;
    double x = rect.origin.x, y = rect.origin.y;
    if (w / h > aspect) {
        x += (w - h * aspect) / 2;
        w = h * aspect;
    } else {
        y += (h - w / aspect) / 2;
        h = w / aspect;
    }
    cairo_save(cr);
    // Clipping first keeps the group as small as the symbol.
    cairo_rectangle(cr, x, y, w, h);
    cairo_clip(cr);
    cairo_push_group(cr);
    cairo_translate(cr, x, y);
    cairo_scale(cr, h, h);
    cairo_set_source_rgb(cr, colour.red, colour.green, colour.blue);
    if (character)
        squareWithCharacter(cr, character);
    else
        it->second.drawing(cr);
    cairo_pop_group_to_source(cr);
    cairo_paint_with_alpha(cr, colour.alpha);
    cairo_restore(cr);
    return true;
}

}  // namespace render::symbols
