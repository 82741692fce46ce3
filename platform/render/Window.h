#pragma once

// A desktop window (SDL2) showing the phone's screen at a chosen zoom. The
// mouse is a finger: a left-button press, drag and release reach the
// input as one touch (began, moved, ended) at the matching screen point.
// The keyboard is the phone's hardware keyboard: key presses and the text
// they type (after any input method) go to the input, and only a key it
// does not take reaches the key callback. By default the input is this
// process's application and the picture its compositor's; the display
// process hands both to the processes it serves instead. Main thread only.

#include "platform/foundation/CGGeometry.h"
#include "platform/foundation/Result.h"
#include "platform/render/Surface.h"
#include "platform/uikit/Forward.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

struct SDL_Window;
struct SDL_Renderer;
struct SDL_Texture;

namespace render {

class Window {
public:
    struct Options {
        // Window pixels per screen pixel: a third shows a 3x phone at its
        // size in points.
        double zoom = 1.0 / 3;
        std::string title = "Marqel";
    };
    struct KeyPress {
        std::string name;  // SDL's name of the key: "A", "Space", "Escape"
        std::int32_t keycode = 0;  // SDL_Keycode
    };
    using KeyHandler = std::function<void(const KeyPress&)>;
    // A key as the keyboard gives it, before anyone took it.
    struct KeyEvent {
        std::int32_t keycode = 0;  // SDL_Keycode
        std::uint16_t scancode = 0;  // the USB HID usage
        std::uint16_t modifiers = 0;  // SDL_Keymod
        bool repeat = false;
        std::string name;  // SDL's name of the key
    };
    // UIKit's view of a key: the key command's input and held modifiers.
    static std::shared_ptr<UIKey> uiKey(const KeyEvent& key);

    // Where the window's input goes. Phases are UITouchPhase values.
    struct Input {
        std::function<void(std::int64_t phase, CGPoint point)> touch;
        // True when taken; a key not taken goes to the key handler.
        std::function<bool(const KeyEvent&)> key;
        std::function<void(const std::string& text)> text;
        // Where a field is being edited (an input method shows its
        // composition there), in screen points.
        std::function<std::optional<CGRect>()> editingArea;
    };
    // This process's UIApplication.
    static Input applicationInput();
    void setInput(Input input) { m_input = std::move(input); }

    // What the window shows; the generation changes when the picture does.
    struct Picture {
        const Surface* surface = nullptr;
        std::uint64_t generation = 0;
    };
    // Default: this process's compositor.
    void setPicture(std::function<Picture()> picture) { m_picture = std::move(picture); }
    // What run() does between pictures; default: the main run loop for a
    // frame's time.
    void setTick(std::function<void(double seconds)> tick) { m_tick = std::move(tick); }

    // Fails when no window can be opened (no display, a zoom that is not a
    // positive size).
    static foundation::Result<std::unique_ptr<Window>> open(const Options& options);
    ~Window();
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    void setKeyHandler(KeyHandler handler) { m_keyHandler = std::move(handler); }

    // Handles the events waiting: mouse to touches, keys and text to the
    // application (a key it leaves to the handler), a close request closes. Returns whether the window is still open.
    bool processEvents();
    // Shows the screen as the compositor draws it now.
    void present();
    // Until the window is closed: events, the main run loop on its clock,
    // and a picture about 60 times a second.
    void run();
    void close() { m_closed = true; }
    bool isClosed() const { return m_closed; }

    double zoom() const { return m_zoom; }
    int width() const { return m_width; }
    int height() const { return m_height; }
    // Where a position in the window (SDL's coordinates) is on the screen,
    // in points.
    CGPoint screenPointForWindowPosition(double x, double y) const;
    bool isFingerDown() const { return m_fingerDown; }
    std::uint64_t framesPresented() const { return m_framesPresented; }

private:
    Window() = default;
    bool ensureTexture(int width, int height);
    void touch(std::int64_t phase, double x, double y);
    void key(const void* sdlKeyEvent);
    void placeTextInput();

    Input m_input;
    std::function<Picture()> m_picture;
    std::function<void(double)> m_tick;
    std::optional<CGRect> m_textInputPlacedAt;

    SDL_Window* m_window = nullptr;
    SDL_Renderer* m_renderer = nullptr;
    SDL_Texture* m_texture = nullptr;
    int m_textureWidth = 0, m_textureHeight = 0;
    std::uint64_t m_uploadedFrame = ~0ull;
    double m_zoom = 1.0 / 3;
    int m_width = 0, m_height = 0;
    bool m_closed = false;
    bool m_fingerDown = false;
    std::uint64_t m_framesPresented = 0;
    KeyHandler m_keyHandler;
};

}  // namespace render
