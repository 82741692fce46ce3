#include "platform/display/DisplayClient.h"

#include <cmath>
#include <cstring>
#include <sys/socket.h>
#include <sys/un.h>

namespace display {

using foundation::Error;
using foundation::ErrorCode;

foundation::Result<std::unique_ptr<DisplayClient>> DisplayClient::connect(const std::string& path, const Hello& hello)
{
    sockaddr_un address {};
    address.sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof address.sun_path)
        return Error { ErrorCode::InvalidArgument, "the display's socket path is empty or too long: " + path };
    std::memcpy(address.sun_path, path.c_str(), path.size());
    foundation::FileDescriptor socket(::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0));
    if (!socket.isValid())
        return Error::fromErrno("create a socket for", path);
    if (::connect(socket.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        Error error = Error::fromErrno("connect to the display at", path);
        error.message += " (is the display running?)";
        return error;
    }
    return adopt(std::move(socket), hello);
}

foundation::Result<std::unique_ptr<DisplayClient>> DisplayClient::adopt(foundation::FileDescriptor socket, const Hello& hello)
{
    std::unique_ptr<DisplayClient> client(new DisplayClient(std::move(socket)));
    TRY(client->m_connection.send(hello));
    return client;
}

bool DisplayClient::canPublish(std::uint32_t windowId) const
{
    auto it = m_windows.find(windowId);
    return it == m_windows.end() || it->second.shown;
}

foundation::Status DisplayClient::publish(std::uint32_t windowId, const WindowState& state, const render::Surface& picture)
{
    if (!canPublish(windowId))
        return Error { ErrorCode::Busy,
            "window " + std::to_string(windowId) + " waits for the display to show its last picture: pump() and try again" };
    SurfaceReady ready { windowId, state.level, state.frame, state.scale, 0, 0 };
    if (state.hidden)
        ready.flags |= Hidden;
    if (state.keyWindow)
        ready.flags |= KeyWindow;
    if (state.lightContent)
        ready.flags |= LightContent;
    Window& window = m_windows[windowId];
    bool fresh = window.surface.pixelWidth() != ready.pixelWidth() || window.surface.pixelHeight() != ready.pixelHeight()
        || window.scale != state.scale;
    if (fresh) {
        window.surface = TRY(SharedSurface::create(state.frame.size, state.scale));
        window.scale = state.scale;
        window.published = -1;
        ready.flags |= CarriesSurface;
    }
    ready.bufferIndex = static_cast<std::uint8_t>(window.published == 0 ? 1 : 0);
    TRY(window.surface.fill(ready.bufferIndex, picture));
    TRY(m_connection.send(ready, fresh ? window.surface.fd() : -1));
    window.published = ready.bufferIndex;
    window.shown = false;
    return {};
}

foundation::Status DisplayClient::removeWindow(std::uint32_t windowId)
{
    if (m_windows.erase(windowId) == 0)
        return {};
    return m_connection.send(WindowGone { windowId });
}

foundation::Status DisplayClient::request(const Lifecycle& lifecycle) { return m_connection.send(lifecycle); }

foundation::Status DisplayClient::send(Payload payload)
{
    if (std::holds_alternative<Hello>(payload) || std::holds_alternative<SurfaceReady>(payload))
        return foundation::Error { foundation::ErrorCode::InvalidArgument, "hello and surfaces have calls of their own" };
    return m_connection.send(std::move(payload));
}

foundation::Status DisplayClient::shareScreen(bool on)
{
    m_wantsScreen = on;
    if (!on) {
        m_screen.reset();
        m_frame.reset();
        m_spare.reset();
    }
    return m_connection.send(Capture { static_cast<std::uint8_t>(on ? 1 : 0) });
}

std::shared_ptr<const ScreenFrame> DisplayClient::screen()
{
    if (!m_screen)
        return nullptr;
    std::shared_ptr<ScreenFrame> reuse;
    if (m_spare && m_spare.use_count() == 1)
        reuse = std::move(m_spare);
    auto frame = m_screen->latest(std::move(reuse));
    if (!frame)
        return m_frame;
    m_spare = std::move(m_frame);
    m_frame = std::move(frame);
    return m_frame;
}

foundation::Result<std::size_t> DisplayClient::pump()
{
    TRY(m_connection.flush());
    std::size_t handled = 0;
    for (;;) {
        auto received = TRY(m_connection.receive());
        if (!received)
            break;
        ++handled;
        auto& payload = received->message.payload;
        if (auto* shared = std::get_if<ScreenShared>(&payload)) {
            if (!received->fd.isValid())
                return refusal("screen-shared came without the screen's descriptor");
            // An answer that crossed the recording's stop is not kept: the
            // display no longer fills it.
            if (m_wantsScreen)
                m_screen.emplace(TRY(ScreenShare::adopt(std::move(received->fd), shared->pixelWidth, shared->pixelHeight)));
            continue;
        }
        if (received->fd.isValid())
            return refusal(std::string("a descriptor came with a ") + nameOf(typeOf(payload)) + " message");
        if (auto* shown = std::get_if<FrameShown>(&payload)) {
            auto it = m_windows.find(shown->windowId);
            if (it != m_windows.end() && it->second.published == shown->bufferIndex)
                it->second.shown = true;
        } else if (auto* touch = std::get_if<Touch>(&payload)) {
            if (m_handlers.touch)
                m_handlers.touch(*touch);
        } else if (auto* key = std::get_if<Key>(&payload)) {
            if (m_handlers.key)
                m_handlers.key(*key);
        } else if (auto* text = std::get_if<Text>(&payload)) {
            if (m_handlers.text)
                m_handlers.text(*text);
        } else if (auto* lifecycle = std::get_if<Lifecycle>(&payload)) {
            if (m_handlers.lifecycle)
                m_handlers.lifecycle(*lifecycle);
        } else if (auto* advance = std::get_if<Advance>(&payload)) {
            if (m_handlers.advance)
                m_handlers.advance(*advance);
        } else if (auto* step = std::get_if<Step>(&payload)) {
            if (m_handlers.step)
                m_handlers.step(*step);
        } else if (auto* style = std::get_if<StatusBarStyle>(&payload)) {
            if (m_handlers.statusBarStyle)
                m_handlers.statusBarStyle(*style);
        } else {
            return refusal(std::string("a ") + nameOf(typeOf(payload)) + " message goes to the display, not from it");
        }
    }
    return handled;
}

}  // namespace display
