// Paints the settings home's header picture and icon: a dimmed screen with
// a bright crop rectangle and its corner handles, the product's idea in one
// glance. Run by the build: `paint_bundle_art hero|icon OUTPUT.png`.

#include <cairo.h>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

void roundedRectangle(cairo_t* cr, double x, double y, double w, double h, double r)
{
    cairo_new_sub_path(cr);
    cairo_arc(cr, x + w - r, y + r, r, -M_PI / 2, 0);
    cairo_arc(cr, x + w - r, y + h - r, r, 0, M_PI / 2);
    cairo_arc(cr, x + r, y + h - r, r, M_PI / 2, M_PI);
    cairo_arc(cr, x + r, y + r, r, M_PI, 3 * M_PI / 2);
    cairo_close_path(cr);
}

void background(cairo_t* cr, double w, double h)
{
    cairo_pattern_t* sky = cairo_pattern_create_linear(0, 0, w, h);
    cairo_pattern_add_color_stop_rgb(sky, 0, 0.16, 0.20, 0.52);
    cairo_pattern_add_color_stop_rgb(sky, 0.55, 0.38, 0.27, 0.70);
    cairo_pattern_add_color_stop_rgb(sky, 1, 0.98, 0.62, 0.48);
    cairo_set_source(cr, sky);
    cairo_paint(cr);
    cairo_pattern_destroy(sky);
}

// A clear rectangle in a dimmed picture, outlined, with L-shaped handles.
void cropFrame(cairo_t* cr, double w, double h, double x, double y, double cw, double ch, double line)
{
    cairo_set_fill_rule(cr, CAIRO_FILL_RULE_EVEN_ODD);
    cairo_rectangle(cr, 0, 0, w, h);
    cairo_rectangle(cr, x, y, cw, ch);
    cairo_set_source_rgba(cr, 0, 0, 0, 0.45);
    cairo_fill(cr);
    cairo_set_fill_rule(cr, CAIRO_FILL_RULE_WINDING);

    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_set_line_width(cr, line);
    cairo_rectangle(cr, x, y, cw, ch);
    cairo_stroke(cr);
    double arm = std::fmin(cw, ch) * 0.22;
    cairo_set_line_width(cr, line * 3);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    const double corners[4][4] = { { x, y, 1, 1 }, { x + cw, y, -1, 1 }, { x, y + ch, 1, -1 }, { x + cw, y + ch, -1, -1 } };
    for (const auto& c : corners) {
        cairo_move_to(cr, c[0] + c[2] * arm, c[1]);
        cairo_line_to(cr, c[0], c[1]);
        cairo_line_to(cr, c[0], c[1] + c[3] * arm);
        cairo_stroke(cr);
    }
}

void recordDot(cairo_t* cr, double cx, double cy, double r)
{
    cairo_arc(cr, cx, cy, r, 0, 2 * M_PI);
    cairo_set_source_rgb(cr, 1, 0.23, 0.19);
    cairo_fill(cr);
}

void paintHero(cairo_t* cr, double w, double h)
{
    background(cr, w, h);
    // Soft light spots, so the dimmed part still reads as a picture.
    for (int i = 0; i < 7; ++i) {
        double cx = w * (0.08 + 0.14 * i), cy = h * (0.3 + 0.4 * ((i * 37) % 10) / 10.0);
        cairo_pattern_t* glow = cairo_pattern_create_radial(cx, cy, 0, cx, cy, h * 0.35);
        cairo_pattern_add_color_stop_rgba(glow, 0, 1, 1, 1, 0.22);
        cairo_pattern_add_color_stop_rgba(glow, 1, 1, 1, 1, 0);
        cairo_set_source(cr, glow);
        cairo_paint(cr);
        cairo_pattern_destroy(glow);
    }
    cropFrame(cr, w, h, w * 0.30, h * 0.18, w * 0.40, h * 0.64, 4);
    recordDot(cr, w * 0.5, h * 0.5, h * 0.09);
}

void paintIcon(cairo_t* cr, double size)
{
    roundedRectangle(cr, 0, 0, size, size, size * 0.225);
    cairo_clip(cr);
    background(cr, size, size);
    cropFrame(cr, size, size, size * 0.2, size * 0.2, size * 0.6, size * 0.6, size * 0.02);
    recordDot(cr, size * 0.5, size * 0.5, size * 0.11);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 3 || (std::strcmp(argv[1], "hero") != 0 && std::strcmp(argv[1], "icon") != 0)) {
        std::fprintf(stderr, "usage: %s hero|icon OUTPUT.png\n", argv[0]);
        return 2;
    }
    bool hero = std::strcmp(argv[1], "hero") == 0;
    // At the phone's @3x: a 375 x 190 point header, an 84 point icon.
    int width = hero ? 1125 : 252, height = hero ? 570 : 252;
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
    cairo_t* cr = cairo_create(surface);
    if (hero)
        paintHero(cr, width, height);
    else
        paintIcon(cr, width);
    cairo_destroy(cr);
    cairo_status_t status = cairo_surface_write_to_png(surface, argv[2]);
    cairo_surface_destroy(surface);
    if (status != CAIRO_STATUS_SUCCESS) {
        std::fprintf(stderr, "cannot write %s: %s\n", argv[2], cairo_status_to_string(status));
        return 1;
    }
    return 0;
}
