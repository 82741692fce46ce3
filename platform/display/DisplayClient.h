#pragma once

// A process that draws on the display (SpringBoard, an app): it says who it
// is, publishes each of its windows as a shared surface, and receives the
// touches, keys, text and life-cycle requests the display sends it.
//
// Publishing is double-buffered: a picture is copied into the buffer the
// display is not reading, and the display answers frame-shown once it has
// switched to it. Until then the window cannot publish again
// (canPublish() is false): both buffers may be in use. Drive it with pump().

#include "platform/display/Connection.h"
#include "platform/display/DisplayProtocol.h"
#include "platform/display/ScreenShare.h"
#include "platform/display/SharedSurface.h"
#include "platform/foundation/Result.h"
#include "platform/render/Surface.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>

namespace display {

class DisplayClient {
public:
    struct Handlers {
        std::function<void(const Touch&)> touch;
        std::function<void(const Key&)> key;
        std::function<void(const Text&)> text;
        std::function<void(const Lifecycle&)> lifecycle;
        // A scripted run's clock and steps; each must be answered (send
        // Reached, StepDone).
        std::function<void(const Advance&)> advance;
        std::function<void(const Step&)> step;
        // SpringBoard: what the app in front asks of the status bar.
        std::function<void(const StatusBarStyle&)> statusBarStyle;
    };
    // How a window is published.
    struct WindowState {
        double level = 0;  // UIWindowLevel
        CGRect frame;  // points
        double scale = 3;
        bool hidden = false;
        bool keyWindow = false;
        bool lightContent = false;  // the status bar over it draws light content
    };

    // Connects to the display's socket at `path` and says hello.
    static foundation::Result<std::unique_ptr<DisplayClient>> connect(const std::string& path, const Hello& hello);
    // Over a socket already connected (one end of a socketpair).
    static foundation::Result<std::unique_ptr<DisplayClient>> adopt(foundation::FileDescriptor socket, const Hello& hello);

    void setHandlers(Handlers handlers) { m_handlers = std::move(handlers); }

    // False while the display may still read both of the window's buffers.
    bool canPublish(std::uint32_t windowId) const;
    // Shows `picture` (the window's frame × scale in pixels, premultiplied
    // ARGB32) as window `windowId`. A new size or scale makes a new surface,
    // whose descriptor goes with the message.
    foundation::Status publish(std::uint32_t windowId, const WindowState& state, const render::Surface& picture);
    foundation::Status removeWindow(std::uint32_t windowId);
    // SpringBoard's requests (launch, front app, home, terminate).
    foundation::Status request(const Lifecycle& lifecycle);
    // A key not taken, reached, step-done.
    foundation::Status send(Payload payload);
    // SpringBoard's recorder and Control Center: asks the display for its
    // pictures of the whole screen (every process's windows), or gives
    // them up.
    foundation::Status shareScreen(bool on);
    // The display's latest whole picture of the screen; null until the
    // display has shared one (and after shareScreen(false)).
    std::shared_ptr<const ScreenFrame> screen();
    // For poll(): readable when the display sent something.
    int fd() const { return m_connection.fd(); }

    // Reads what arrived and hands it to the handlers, sends what waits.
    // Fails when the display has gone or sent something the protocol
    // refuses. Returns the number of messages handled.
    foundation::Result<std::size_t> pump();

    // Messages the display dropped for this client while it did not read.
    std::uint64_t missedCount() const { return m_connection.missedCount(); }

private:
    explicit DisplayClient(foundation::FileDescriptor socket)
        : m_connection(std::move(socket))
    {
    }
    struct Window {
        SharedSurface surface;
        double scale = 0;
        int published = -1;  // the buffer last published, -1 before the first
        bool shown = true;  // the display has acknowledged `published`
    };

    Connection m_connection;
    Handlers m_handlers;
    std::map<std::uint32_t, Window> m_windows;
    bool m_wantsScreen = false;
    std::optional<ScreenShare> m_screen;
    // A frame is immutable once handed out; the older one's buffer is
    // recycled once nobody (the recorder's encoder) holds it any more.
    std::shared_ptr<ScreenFrame> m_frame, m_spare;
};

}  // namespace display
