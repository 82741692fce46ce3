#pragma once

// The phone's screen as a picture: every visible window of the process
// (UIApplication's windows, lowest level first, in order of creation within
// a level), drawn at the run loop clock's time with the presentation values
// of running animations, at the main screen's size and scale (390 × 844
// points at 3x gives 1170 × 2532 pixels).
//
// Drawing is skipped when nothing on the screen changed since the last
// picture, and a window that stays the same from one picture to the next is
// kept as a picture of its own, so a busy overlay above a still home screen
// redraws only the overlay. Main thread only, like UIKit.

#include "platform/foundation/CGGeometry.h"
#include "platform/render/Forward.h"
#include "platform/render/ScreenFrame.h"
#include "platform/render/Surface.h"
#include "platform/uikit/Forward.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace render {

class Compositor {
public:
    static Compositor& shared();
    Compositor();
    ~Compositor();
    Compositor(const Compositor&) = delete;
    Compositor& operator=(const Compositor&) = delete;

    // The screen now, premultiplied ARGB32. Valid until the next render.
    const Surface& renderSurface();
    // The screen now in RGBA with straight alpha, as the recorder takes it.
    // While the screen does not change, the same frame is handed out again.
    std::shared_ptr<const ScreenFrame> renderScreen();
    // For RPScreenRecorder::setScreenSource: renders on the calling (main)
    // thread; called from another thread it gives null, and the recorder
    // keeps its own picture.
    ScreenSource screenSource();
    // The screen now as a PNG file (a host path).
    foundation::Status writeScreenPNG(const std::string& hostPath);

    // Draws one layer tree into `cr`, whose user space is the screen in
    // points; for tools and tests that draw a tree that is in no window.
    enum class Text { Drawn,
        LeftOut };
    void drawLayerTree(cairo_t* cr, const CALayer& root, Text text = Text::Drawn);

    // The windows the screen shows now, bottom to top, laid out.
    std::vector<std::shared_ptr<UIWindow>> shownWindows();
    // The screen now with every text left out: what lies behind each text.
    // Drawn afresh; the kept pictures are neither used nor changed.
    Surface renderWithoutText();
    // A screen-sized picture of these layer trees, bottom to top, on the
    // dark display; drawn afresh, as renderWithoutText is.
    Surface renderTrees(const std::vector<const CALayer*>& roots, Text text);

    // Each shown window in a picture of its own, the size of its frame
    // (points × the screen's scale), transparent where it draws nothing:
    // what a process hands the display. A window is drawn again only when
    // it changed; `changed` says so. Valid until the next call.
    struct WindowPicture {
        std::shared_ptr<UIWindow> window;
        CGRect frame;  // screen points
        const Surface* picture = nullptr;
        bool changed = false;
    };
    std::vector<WindowPicture> renderEachWindow();

    // Forgets every kept picture: the next render draws everything.
    void invalidate();
    // Keeping still windows as pictures can be turned off (benchmarks of a
    // full redraw).
    void setWindowCaching(bool enabled);

    struct Statistics {
        std::uint64_t framesDrawn = 0;  // renders that drew
        std::uint64_t framesReused = 0;  // renders that found nothing changed
        std::uint64_t windowsFromCache = 0;
        std::uint64_t windowsDrawn = 0;
    };
    const Statistics& statistics() const { return m_statistics; }

private:
    struct State;
    std::unique_ptr<State> m_state;
    Statistics m_statistics;
};

// Compositor::shared().writeScreenPNG(hostPath).
foundation::Status writeScreenPNG(const std::string& hostPath);

}  // namespace render
