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

#include <cmath>
#include <map>
#include <vector>

namespace render {

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

    std::shared_ptr<ScreenFrame> frame;
    std::uint64_t frameGeneration = ~0ull;
    std::shared_ptr<ScreenFrame> spare;
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

void Compositor::drawLayerTree(cairo_t* cr, const CALayer& root)
{
    m_state->painter.paint(cr, root);
}

const Surface& Compositor::renderSurface()
{
    State& s = *m_state;
    auto screen = UIScreen::mainScreen();
    const double scale = screen->scale();
    const CGSize size = screen->bounds().size;
    const int width = static_cast<int>(std::lround(size.width * scale));
    const int height = static_cast<int>(std::lround(size.height * scale));

    std::vector<std::shared_ptr<UIWindow>> shown;
    for (auto& window : UIApplication::sharedApplication()->windows()) {
        if (window->isHidden())
            continue;
        // Layout is a pass of its own that runs before drawing, as before a
        // commit on the phone.
        window->layoutIfNeeded();
        if (!window->isHidden() && window->presentationAlpha() >= invisibleOpacity)
            shown.push_back(std::move(window));
    }

    TreeSignature screenSignature;
    screenSignature.addWord(static_cast<std::uint64_t>(width));
    screenSignature.addWord(static_cast<std::uint64_t>(height));
    screenSignature.addNumber(scale);
    screenSignature.addWord(static_cast<std::uint64_t>(UITraitCollection::systemUserInterfaceStyle()));
    std::vector<TreeSignature> signatures(shown.size());
    for (std::size_t i = 0; i < shown.size(); ++i) {
        screenSignature.addWord(shown[i]->creationOrder());
        signatures[i].addLayer(*shown[i]->layer());
    }

    bool unchanged = s.hasPicture && s.screen.isValid() && screenSignature == s.screenSignature;
    for (std::size_t i = 0; unchanged && i < shown.size(); ++i) {
        auto it = s.windows.find(shown[i]->creationOrder());
        unchanged = it != s.windows.end() && it->second.signature == signatures[i];
    }
    if (unchanged) {
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
    for (std::size_t i = 0; i < shown.size(); ++i) {
        const UIWindow& window = *shown[i];
        State::WindowRecord record;
        auto previous = s.windows.find(window.creationOrder());
        bool same = previous != s.windows.end() && previous->second.signature == signatures[i];
        if (same && s.windowCaching && !previous->second.picture.isValid()) {
            // Still for a second picture in a row: keep it as a picture.
            Surface picture(width, height);
            if (picture.isValid()) {
                cairo_t* pc = cairo_create(picture.cairoSurface());
                cairo_scale(pc, scale, scale);
                s.painter.paint(pc, *window.layer());
                cairo_destroy(pc);
                ++m_statistics.windowsDrawn;
                record.picture = std::move(picture);
            }
        } else if (same && s.windowCaching) {
            record.picture = std::move(previous->second.picture);
            ++m_statistics.windowsFromCache;
        }
        if (record.picture.isValid()) {
            cairo_save(cr);
            cairo_identity_matrix(cr);
            cairo_set_source_surface(cr, record.picture.cairoSurface(), 0, 0);
            cairo_paint(cr);
            cairo_restore(cr);
        } else {
            s.painter.paint(cr, *window.layer());
            ++m_statistics.windowsDrawn;
        }
        record.signature = std::move(signatures[i]);
        records[window.creationOrder()] = std::move(record);
    }
    cairo_destroy(cr);
    s.windows = std::move(records);
    s.screenSignature = std::move(screenSignature);
    s.hasPicture = true;
    ++s.screenGeneration;
    ++m_statistics.framesDrawn;
    return s.screen;
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
