#include "platform/render/Compositor.h"

#include "platform/foundation/RunLoop.h"
#include "platform/render/ImageCache.h"
#include "platform/render/LayerPainter.h"
#include "platform/render/TextPainter.h"
#include "platform/render/TreeSignature.h"
#include "platform/uikit/UIApplication.h"
#include "platform/uikit/UIScreen.h"
#include "platform/uikit/UITraitCollection.h"
#include "platform/uikit/UIWindow.h"

#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <vector>

namespace render {

namespace {

// What the screen shows now: its windows, bottom to top, and what each of
// them and the screen as a whole look like.
struct ShownWindows {
    std::vector<std::shared_ptr<UIWindow>> windows;
    std::vector<TreeSignature> signatures;  // one per window
    TreeSignature screen;  // screen size, scale, appearance, window order
};

ShownWindows windowsShown(int width, int height, double scale)
{
    ShownWindows shown;
    for (auto& window : UIApplication::sharedApplication()->windows()) {
        if (window->isHidden())
            continue;
        // Layout is a pass of its own that runs before drawing, as before a
        // commit on the phone.
        window->layoutIfNeeded();
        if (!window->isHidden() && window->presentationAlpha() >= invisibleOpacity)
            shown.windows.push_back(std::move(window));
    }
    shown.screen.addWord(static_cast<std::uint64_t>(width));
    shown.screen.addWord(static_cast<std::uint64_t>(height));
    shown.screen.addNumber(scale);
    shown.screen.addWord(static_cast<std::uint64_t>(UITraitCollection::systemUserInterfaceStyle()));
    shown.signatures.resize(shown.windows.size());
    for (std::size_t i = 0; i < shown.windows.size(); ++i) {
        shown.screen.addWord(shown.windows[i]->creationOrder());
        shown.signatures[i].addLayer(*shown.windows[i]->layer());
    }
    return shown;
}

}  // namespace

struct Compositor::State {
    ImageCache images;
    TextPainter text;
    LayerPainter painter { images, text };

    Surface screen;
    std::uint64_t screenGeneration = 0;
    TreeSignature screenSignature;  // screen size, scale, appearance, window order
    bool hasPicture = false;

    struct WindowRecord {
        TreeSignature signature;  // as last drawn
        Surface picture;  // kept once the window stayed the same
    };
    std::map<std::uint64_t, WindowRecord> windows;  // by creation order
    bool windowCaching = true;
    // renderEachWindow's pictures, by creation order.
    struct SeparateWindow {
        TreeSignature signature;
        CGRect frame {};
        Surface picture;
    };
    std::map<std::uint64_t, SeparateWindow> separate;

    std::shared_ptr<ScreenFrame> frame;
    std::uint64_t frameGeneration = ~0ull;
    std::shared_ptr<ScreenFrame> spare;

    // The last picture still shows exactly this.
    bool showsAlready(const ShownWindows& shown) const
    {
        if (!hasPicture || !screen.isValid() || !(shown.screen == screenSignature))
            return false;
        for (std::size_t i = 0; i < shown.windows.size(); ++i) {
            auto it = windows.find(shown.windows[i]->creationOrder());
            if (it == windows.end() || !(it->second.signature == shown.signatures[i]))
                return false;
        }
        return true;
    }

    // Draws one window over the screen in `cr`: from its kept picture when
    // it has not changed, otherwise afresh.
    WindowRecord drawWindow(cairo_t* cr, const UIWindow& window, TreeSignature signature, double scale, Statistics& statistics)
    {
        WindowRecord record;
        auto previous = windows.find(window.creationOrder());
        bool same = previous != windows.end() && previous->second.signature == signature;
        if (same && windowCaching && !previous->second.picture.isValid()) {
            // Still for a second picture in a row: keep it as a picture.
            Surface picture(screen.width(), screen.height());
            if (picture.isValid()) {
                cairo_t* pc = cairo_create(picture.cairoSurface());
                cairo_scale(pc, scale, scale);
                painter.paint(pc, *window.layer());
                cairo_destroy(pc);
                ++statistics.windowsDrawn;
                record.picture = std::move(picture);
            }
        } else if (same && windowCaching) {
            record.picture = std::move(previous->second.picture);
            ++statistics.windowsFromCache;
        }
        if (record.picture.isValid()) {
            cairo_save(cr);
            cairo_identity_matrix(cr);
            cairo_set_source_surface(cr, record.picture.cairoSurface(), 0, 0);
            cairo_paint(cr);
            cairo_restore(cr);
        } else {
            painter.paint(cr, *window.layer());
            ++statistics.windowsDrawn;
        }
        record.signature = std::move(signature);
        return record;
    }
};

Compositor& Compositor::shared()
{
    // Never destroyed: windows may be drawn during static destruction.
    static auto* compositor = new Compositor;
    return *compositor;
}

Compositor::Compositor()
    : m_state(std::make_unique<State>())
{
}
Compositor::~Compositor() = default;

void Compositor::invalidate()
{
    m_state->hasPicture = false;
    m_state->windows.clear();
    m_state->images.clear();
}

void Compositor::setWindowCaching(bool enabled)
{
    m_state->windowCaching = enabled;
    if (!enabled)
        m_state->windows.clear();
}

void Compositor::drawLayerTree(cairo_t* cr, const CALayer& root, Text text)
{
    m_state->painter.setDrawsText(text == Text::Drawn);
    m_state->painter.paint(cr, root);
    m_state->painter.setDrawsText(true);
}

std::vector<std::shared_ptr<UIWindow>> Compositor::shownWindows()
{
    auto screen = UIScreen::mainScreen();
    const double scale = screen->scale();
    const CGSize size = screen->bounds().size;
    return windowsShown(static_cast<int>(std::lround(size.width * scale)), static_cast<int>(std::lround(size.height * scale)), scale)
        .windows;
}

Surface Compositor::renderWithoutText()
{
    std::vector<const CALayer*> roots;
    auto windows = shownWindows();
    for (const auto& window : windows)
        roots.push_back(window->layer().get());
    return renderTrees(roots, Text::LeftOut);
}

Surface Compositor::renderTrees(const std::vector<const CALayer*>& roots, Text text)
{
    auto screen = UIScreen::mainScreen();
    const double scale = screen->scale();
    const CGSize size = screen->bounds().size;
    Surface picture(static_cast<int>(std::lround(size.width * scale)), static_cast<int>(std::lround(size.height * scale)));
    if (!picture.isValid())
        return picture;
    cairo_t* cr = cairo_create(picture.cairoSurface());
    // As renderSurface draws it: a dark display under the windows.
    cairo_set_source_rgb(cr, 0, 0, 0);
    cairo_paint(cr);
    cairo_scale(cr, scale, scale);
    for (const CALayer* root : roots)
        drawLayerTree(cr, *root, text);
    cairo_destroy(cr);
    return picture;
}

const Surface& Compositor::renderSurface()
{
    State& s = *m_state;
    auto screen = UIScreen::mainScreen();
    const double scale = screen->scale();
    const CGSize size = screen->bounds().size;
    const int width = static_cast<int>(std::lround(size.width * scale));
    const int height = static_cast<int>(std::lround(size.height * scale));

    ShownWindows shown = windowsShown(width, height, scale);
    if (s.showsAlready(shown)) {
        ++m_statistics.framesReused;
        return s.screen;
    }

    if (!s.screen.isValid() || s.screen.width() != width || s.screen.height() != height) {
        s.screen = Surface(width, height);
        s.windows.clear();
    }
    s.hasPicture = false;
    if (!s.screen.isValid())
        return s.screen;
    cairo_t* cr = cairo_create(s.screen.cairoSurface());
    // Where no window covers the screen, the display is dark.
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    cairo_set_source_rgb(cr, 0, 0, 0);
    cairo_paint(cr);
    cairo_set_operator(cr, CAIRO_OPERATOR_OVER);
    cairo_scale(cr, scale, scale);

    std::map<std::uint64_t, State::WindowRecord> records;
    for (std::size_t i = 0; i < shown.windows.size(); ++i) {
        const UIWindow& window = *shown.windows[i];
        records[window.creationOrder()] = s.drawWindow(cr, window, std::move(shown.signatures[i]), scale, m_statistics);
    }
    cairo_destroy(cr);
    s.windows = std::move(records);
    s.screenSignature = std::move(shown.screen);
    s.hasPicture = true;
    ++s.screenGeneration;
    ++m_statistics.framesDrawn;
    return s.screen;
}

std::vector<Compositor::WindowPicture> Compositor::renderEachWindow()
{
    State& s = *m_state;
    auto screen = UIScreen::mainScreen();
    const double scale = screen->scale();
    const CGSize size = screen->bounds().size;
    ShownWindows shown = windowsShown(static_cast<int>(std::lround(size.width * scale)),
        static_cast<int>(std::lround(size.height * scale)), scale);
    std::vector<WindowPicture> pictures;
    std::map<std::uint64_t, State::SeparateWindow> kept;
    for (std::size_t i = 0; i < shown.windows.size(); ++i) {
        const auto& window = shown.windows[i];
        CGRect frame = window->frame();
        TreeSignature signature = std::move(shown.signatures[i]);
        // The window's place and the screen's look are part of its picture.
        signature.addNumber(frame.origin.x);
        signature.addNumber(frame.origin.y);
        signature.addNumber(frame.size.width);
        signature.addNumber(frame.size.height);
        signature.addNumber(scale);
        signature.addWord(static_cast<std::uint64_t>(UITraitCollection::systemUserInterfaceStyle()));
        auto previous = s.separate.find(window->creationOrder());
        State::SeparateWindow record;
        bool changed = true;
        if (previous != s.separate.end() && previous->second.signature == signature && previous->second.picture.isValid()) {
            record = std::move(previous->second);
            changed = false;
            ++m_statistics.windowsFromCache;
        } else {
            int width = std::max(1, static_cast<int>(std::lround(frame.size.width * scale)));
            int height = std::max(1, static_cast<int>(std::lround(frame.size.height * scale)));
            record.picture = Surface(width, height);
            if (record.picture.isValid()) {
                cairo_t* cr = cairo_create(record.picture.cairoSurface());
                cairo_scale(cr, scale, scale);
                cairo_translate(cr, -frame.origin.x, -frame.origin.y);
                s.painter.paint(cr, *window->layer());
                cairo_destroy(cr);
                record.picture.markDirty();
            }
            record.signature = std::move(signature);
            record.frame = frame;
            ++m_statistics.windowsDrawn;
        }
        auto& placed = kept[window->creationOrder()] = std::move(record);
        pictures.push_back({ window, placed.frame, &placed.picture, changed });
    }
    // Moving the map hands over its nodes: the pictures' addresses hold.
    s.separate = std::move(kept);
    return pictures;
}

std::shared_ptr<const ScreenFrame> Compositor::renderScreen()
{
    State& s = *m_state;
    const Surface& surface = renderSurface();
    if (s.frame && s.frameGeneration == s.screenGeneration && s.hasPicture)
        return s.frame;
    // A frame is immutable once handed out; a buffer is only recycled when
    // nobody (the recorder's encoder, say) holds that frame any more.
    std::shared_ptr<ScreenFrame> reuse;
    if (s.spare && s.spare.use_count() == 1)
        reuse = std::move(s.spare);
    s.spare = std::move(s.frame);
    s.frame = surface.toScreenFrame(std::move(reuse));
    s.frameGeneration = s.screenGeneration;
    return s.frame;
}

ScreenSource Compositor::screenSource()
{
    return [this]() -> std::shared_ptr<const ScreenFrame> {
        if (!RunLoop::main().isMainThread())
            return nullptr;
        return renderScreen();
    };
}

foundation::Status Compositor::writeScreenPNG(const std::string& hostPath)
{
    const Surface& surface = renderSurface();
    if (!surface.isValid())
        return foundation::Error { foundation::ErrorCode::InvalidState, "the screen has no picture (its size is not drawable)" };
    return surface.writePNG(hostPath);
}

foundation::Status writeScreenPNG(const std::string& hostPath)
{
    return Compositor::shared().writeScreenPNG(hostPath);
}

}  // namespace render
