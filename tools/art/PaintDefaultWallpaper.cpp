// Paints the sample wallpaper that the settings bundle's default-area
// editor shows behind its crop box: the home screen's own gradient, at the
// phone's pixel size, so the user places the rectangle over the picture the
// overlay will cover. Run by the build; the one argument is the PNG to write.

#include "platform/render/GradientWallpaper.h"
#include "platform/render/ScreenFrame.h"
#include "platform/render/Surface.h"
#include "platform/uikit/UIScreen.h"

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT.png\n", argv[0]);
        return 2;
    }
    auto frame = render::GradientWallpaper::paint(UIScreen::defaultSize, UIScreen::defaultScale);
    if (!frame) {
        std::fprintf(stderr, "the wallpaper could not be painted\n");
        return 1;
    }
    auto written = render::Surface::fromScreenFrame(*frame).writePNG(argv[1]);
    if (!written) {
        std::fprintf(stderr, "%s\n", written.error().message.c_str());
        return 1;
    }
    return 0;
}
