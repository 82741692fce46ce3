#include "platform/render/Window.h"

#include "platform/foundation/RunLoop.h"
#include "platform/render/Compositor.h"
#include "platform/uikit/UIApplication.h"
#include "platform/uikit/UIKey.h"
#include "platform/uikit/UIScreen.h"
#include "platform/uikit/UITouch.h"
#include "platform/uikit/UIView.h"

#include <SDL.h>

#include <cmath>

namespace render {

foundation::Result<std::unique_ptr<Window>> Window::open(const Options& options)
{
    auto fail = [](std::string why) { return foundation::Error::failed(std::move(why)); };
    if (!std::isfinite(options.zoom) || options.zoom <= 0 || options.zoom > 8)
        return foundation::Error { foundation::ErrorCode::InvalidArgument, "the zoom must be a number above 0 and at most 8" };
    auto screen = UIScreen::mainScreen();
    CGRect pixels = screen->nativeBounds();
    int width = static_cast<int>(std::lround(pixels.size.width * options.zoom));
    int height = static_cast<int>(std::lround(pixels.size.height * options.zoom));
    if (width < 1 || height < 1)
        return foundation::Error { foundation::ErrorCode::InvalidArgument, "the window would have no pixels at this zoom" };
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0)
        return fail(std::string("cannot open a window: ") + SDL_GetError());
    std::unique_ptr<Window> window(new Window);
    window->m_zoom = options.zoom;
    window->m_width = width;
    window->m_height = height;
    window->m_window = SDL_CreateWindow(options.title.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, width,
        height, 0);
    if (!window->m_window)
        return fail(std::string("cannot open a window: ") + SDL_GetError());
    window->m_renderer = SDL_CreateRenderer(window->m_window, -1, 0);
    if (!window->m_renderer)
        return fail(std::string("cannot draw in the window: ") + SDL_GetError());
    // Smooth scaling when the zoom is not a whole number.
    SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "1");
    // Text arrives for the whole life of the window, not only while a field
    // is edited: keys typed right after the tap that starts editing are
    // often read from the display in the same batch as the tap, before the
    // application has seen it.
    SDL_StartTextInput();
    window->m_input = applicationInput();
    window->m_picture = [] {
        auto& compositor = Compositor::shared();
        const Surface& screen = compositor.renderSurface();
        return Picture { &screen, compositor.statistics().framesDrawn };
    };
    window->m_tick = [](double seconds) { RunLoop::main().runFor(seconds); };
    return window;
}

Window::Input Window::applicationInput()
{
    Input input;
    input.touch = [](std::int64_t phase, CGPoint point) {
        UIApplication::sharedApplication()->sendTouch(static_cast<UITouchPhase>(phase), point);
    };
    input.key = [](const KeyEvent& key) { return UIApplication::sharedApplication()->sendKeyPress(uiKey(key)); };
    input.text = [](const std::string& text) { UIApplication::sharedApplication()->insertText(text); };
    input.editingArea = []() -> std::optional<CGRect> {
        auto editing = std::dynamic_pointer_cast<UIView>(UIApplication::sharedApplication()->textInputResponder());
        if (!editing)
            return std::nullopt;
        return editing->convertRectToScreen(editing->bounds());
    };
    return input;
}

Window::~Window()
{
    if (m_fingerDown && m_input.touch)
        m_input.touch(UITouchPhaseCancelled, CGPointZero);
    if (m_texture)
        SDL_DestroyTexture(m_texture);
    if (m_renderer)
        SDL_DestroyRenderer(m_renderer);
    if (m_window)
        SDL_DestroyWindow(m_window);
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

CGPoint Window::screenPointForWindowPosition(double x, double y) const
{
    double perPoint = m_zoom * UIScreen::mainScreen()->scale();
    return { x / perPoint, y / perPoint };
}

void Window::touch(std::int64_t phase, double x, double y)
{
    if (m_input.touch)
        m_input.touch(phase, screenPointForWindowPosition(x, y));
}

bool Window::processEvents()
{
    SDL_Event event;
    while (!m_closed && SDL_PollEvent(&event)) {
        switch (event.type) {
        case SDL_QUIT:
            m_closed = true;
            break;
        case SDL_WINDOWEVENT:
            if (event.window.event == SDL_WINDOWEVENT_CLOSE) {
                m_closed = true;
            } else if (event.window.event == SDL_WINDOWEVENT_FOCUS_LOST && m_fingerDown) {
                // The finger's release will never arrive here.
                m_fingerDown = false;
                touch(UITouchPhaseCancelled, 0, 0);
            }
            break;
        case SDL_MOUSEBUTTONDOWN:
            if (event.button.button == SDL_BUTTON_LEFT) {
                m_fingerDown = true;
                touch(UITouchPhaseBegan, event.button.x, event.button.y);
            }
            break;
        case SDL_MOUSEMOTION:
            if (m_fingerDown)
                touch(UITouchPhaseMoved, event.motion.x, event.motion.y);
            break;
        case SDL_MOUSEBUTTONUP:
            if (event.button.button == SDL_BUTTON_LEFT && m_fingerDown) {
                m_fingerDown = false;
                touch(UITouchPhaseEnded, event.button.x, event.button.y);
            }
            break;
        case SDL_KEYDOWN:
            key(&event.key);
            break;
        case SDL_TEXTINPUT:
            // Keys typed with no field being edited type nothing.
            if (m_input.text)
                m_input.text(event.text.text);
            break;
        default:
            break;
        }
    }
    if (m_closed && m_fingerDown) {
        m_fingerDown = false;
        touch(UITouchPhaseCancelled, 0, 0);
    }
    if (!m_closed)
        placeTextInput();
    return !m_closed;
}

std::shared_ptr<UIKey> Window::uiKey(const KeyEvent& keysym)
{
    std::string input;
    switch (keysym.keycode) {
    case SDLK_RETURN:
    case SDLK_KP_ENTER: input = "\r"; break;
    case SDLK_ESCAPE: input = UIKeyInputEscape; break;
    case SDLK_BACKSPACE: input = "\b"; break;
    case SDLK_TAB: input = "\t"; break;
    case SDLK_LEFT: input = UIKeyInputLeftArrow; break;
    case SDLK_RIGHT: input = UIKeyInputRightArrow; break;
    case SDLK_UP: input = UIKeyInputUpArrow; break;
    case SDLK_DOWN: input = UIKeyInputDownArrow; break;
    case SDLK_HOME: input = UIKeyInputHome; break;
    case SDLK_END: input = UIKeyInputEnd; break;
    default:
        // Printable keys are their own (lower-case) character in SDL.
        if (keysym.keycode >= 0x20 && keysym.keycode < 0x7F)
            input = std::string(1, static_cast<char>(keysym.keycode));
        else
            input = keysym.name;
    }
    UIKeyModifierFlags flags = 0;
    if (keysym.modifiers & KMOD_SHIFT)
        flags |= UIKeyModifierShift;
    if (keysym.modifiers & KMOD_CTRL)
        flags |= UIKeyModifierControl;
    if (keysym.modifiers & KMOD_ALT)
        flags |= UIKeyModifierAlternate;
    if (keysym.modifiers & KMOD_GUI)
        flags |= UIKeyModifierCommand;
    if (keysym.modifiers & KMOD_CAPS)
        flags |= UIKeyModifierAlphaShift;
    // SDL's scancodes are the keys' USB HID usages, which UIKit uses too.
    return UIKey::keyWithInput(static_cast<UIKeyboardHIDUsage>(keysym.scancode), input, flags);
}

void Window::key(const void* sdlKeyEvent)
{
    const auto& event = *static_cast<const SDL_KeyboardEvent*>(sdlKeyEvent);
    KeyEvent key { event.keysym.sym, static_cast<std::uint16_t>(event.keysym.scancode), event.keysym.mod, event.repeat != 0,
        SDL_GetKeyName(event.keysym.sym) };
    // A held key repeats for the application (Backspace deletes on), never
    // for a shortcut.
    if (m_input.key && m_input.key(key))
        return;
    if (!event.repeat && m_keyHandler)
        m_keyHandler({ key.name, key.keycode });
}

void Window::placeTextInput()
{
    // An input method shows what it composes beside the field being edited.
    std::optional<CGRect> editing = m_input.editingArea ? m_input.editingArea() : std::nullopt;
    if (editing == m_textInputPlacedAt)
        return;
    m_textInputPlacedAt = editing;
    if (!editing)
        return;
    CGRect frame = *editing;
    double perPoint = m_zoom * UIScreen::mainScreen()->scale();
    SDL_Rect area { static_cast<int>(std::lround(frame.origin.x * perPoint)), static_cast<int>(std::lround(frame.origin.y * perPoint)),
        static_cast<int>(std::lround(frame.size.width * perPoint)), static_cast<int>(std::lround(frame.size.height * perPoint)) };
    SDL_SetTextInputRect(&area);
}

bool Window::ensureTexture(int width, int height)
{
    if (m_texture && m_textureWidth == width && m_textureHeight == height)
        return true;
    if (m_texture)
        SDL_DestroyTexture(m_texture);
    // Cairo's ARGB32 is a native-endian 32-bit word, which is SDL's ARGB8888.
    m_texture = SDL_CreateTexture(m_renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STREAMING, width, height);
    m_textureWidth = m_texture ? width : 0;
    m_textureHeight = m_texture ? height : 0;
    m_uploadedFrame = ~0ull;
    return m_texture != nullptr;
}

void Window::present()
{
    Picture picture = m_picture();
    if (!picture.surface)
        return;
    const Surface& screen = *picture.surface;
    if (!screen.isValid() || !ensureTexture(screen.width(), screen.height()))
        return;
    std::uint64_t frame = picture.generation;
    if (frame != m_uploadedFrame) {
        SDL_UpdateTexture(m_texture, nullptr, screen.data(), screen.stride());
        m_uploadedFrame = frame;
    }
    SDL_RenderClear(m_renderer);
    SDL_RenderCopy(m_renderer, m_texture, nullptr, nullptr);
    SDL_RenderPresent(m_renderer);
    ++m_framesPresented;
}

void Window::run()
{
    constexpr double frameTime = 1.0 / 60;
    auto& loop = RunLoop::main();
    while (processEvents()) {
        if (loop.clock().kind() == ClockKind::Virtual) {
            // A virtual clock would race ahead of the person watching; keep
            // it at the wall's pace.
            SDL_Delay(static_cast<Uint32>(frameTime * 1000));
        }
        m_tick(frameTime);
        present();
    }
}

}  // namespace render
