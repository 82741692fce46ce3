// Writes pictures of the home screen and of the overlay-like screen, to
// look at what the compositor draws: render_snapshot FOLDER. With
// "zoom IN.png X Y W H FACTOR OUT.png" it enlarges a part of a picture,
// pixel for pixel, to look at edges and corners.

#include "OverlayScene.h"

#include "platform/foundation/RunLoop.h"
#include "platform/render/Compositor.h"

#include <cairo.h>

#include <cstdio>
#include <cstdlib>
#include <string>

static int zoom(char** argv)
{
    auto read = render::Surface::readPNG(argv[2]);
    if (!read)
        return 1;
    render::Surface in = read.release();
    int x = std::atoi(argv[3]), y = std::atoi(argv[4]), w = std::atoi(argv[5]), h = std::atoi(argv[6]);
    int factor = std::atoi(argv[7]);
    render::Surface out(w * factor, h * factor);
    if (!in.isValid() || !out.isValid())
        return 1;
    cairo_t* cr = cairo_create(out.cairoSurface());
    cairo_scale(cr, factor, factor);
    cairo_set_source_surface(cr, in.cairoSurface(), -x, -y);
    cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_NEAREST);
    cairo_paint(cr);
    cairo_destroy(cr);
    return out.writePNG(argv[8]) ? 0 : 1;
}

int main(int argc, char** argv)
{
    if (argc == 9 && std::string(argv[1]) == "zoom")
        return zoom(argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: render_snapshot FOLDER\n");
        return 2;
    }
    std::string folder = argv[1];
    RunLoop::main().reset(ClockKind::Virtual);
    HomeScreen::shared().show();
    auto status = render::writeScreenPNG(folder + "/home.png");
    if (!status) {
        std::fprintf(stderr, "%s\n", status.message().c_str());
        return 1;
    }
    auto scene = OverlayScene::make();
    status = render::writeScreenPNG(folder + "/overlay.png");
    if (!status) {
        std::fprintf(stderr, "%s\n", status.message().c_str());
        return 1;
    }
    scene.window->setHidden(true);
    HomeScreen::shared().setWallpaper(HomeScreen::Wallpaper::TestPattern);
    status = render::writeScreenPNG(folder + "/test-pattern.png");
    if (!status) {
        std::fprintf(stderr, "%s\n", status.message().c_str());
        return 1;
    }
    return 0;
}
