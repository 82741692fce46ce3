#include "platform/display/DisplayServer.h"

#include <cairo.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace display {

using foundation::Error;
using foundation::ErrorCode;

namespace {

// A client flooding the display with messages is read this far in one pass,
// then the others have their turn.
constexpr int messagesPerClientPerPass = 64;
// Each window maps two buffers; a client that asks for more windows than a
// screen could hold is refused before it exhausts the display's memory.
constexpr std::size_t maxWindowsPerClient = 32;

}  // namespace

struct DisplayServer::Window {
    SurfaceReady state;
    SharedSurface surface;
    std::uint64_t publication = 0;  // order of first publication, for windows of one level
    bool acknowledged = false;  // the display told the client it shows state.bufferIndex
};

struct DisplayServer::Client {
    Client(ClientId id, foundation::FileDescriptor socket, std::size_t queueLimit)
        : id(id)
        , connection(std::move(socket), queueLimit)
    {
    }
    ClientId id;
    Connection connection;
    bool introduced = false;
    bool shown = true;
    bool capturing = false;  // wants each picture of the screen
    std::optional<bool> toldLightContent;  // SpringBoard: the status bar style it was told last
    Hello hello;
    std::map<std::uint32_t, Window> windows;
};

DisplayServer::DisplayServer(Options options)
    : m_options(options)
{
}
DisplayServer::DisplayServer()
    : DisplayServer(Options {})
{
}

DisplayServer::~DisplayServer()
{
    if (m_listener.isValid() && !m_socketPath.empty())
        ::unlink(m_socketPath.c_str());
}

foundation::Status DisplayServer::listen(const std::string& path)
{
    sockaddr_un address {};
    address.sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof address.sun_path)
        return Error { ErrorCode::InvalidArgument,
            "the display's socket path is empty or longer than " + std::to_string(sizeof address.sun_path - 1)
                + " bytes: choose a shorter one" };
    std::memcpy(address.sun_path, path.c_str(), path.size());
    struct stat status { };
    if (::lstat(path.c_str(), &status) == 0) {
        if (!S_ISSOCK(status.st_mode))
            return Error { ErrorCode::InvalidArgument, "cannot listen at " + path + ": something other than a socket is there" };
        ::unlink(path.c_str());
    }
    foundation::FileDescriptor listener(::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
    if (!listener.isValid())
        return Error::fromErrno("create a socket for", path);
    if (::bind(listener.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0)
        return Error::fromErrno("bind", path);
    if (::listen(listener.get(), 16) != 0)
        return Error::fromErrno("listen at", path);
    m_listener = std::move(listener);
    m_socketPath = path;
    return {};
}

ClientId DisplayServer::addClient(foundation::FileDescriptor socket)
{
    ClientId id = m_nextClient++;
    m_clients.emplace(id, std::make_unique<Client>(id, std::move(socket), m_options.queueLimit));
    return id;
}

std::size_t DisplayServer::serveOnce(int timeoutMilliseconds)
{
    if (timeoutMilliseconds > 0) {
        std::vector<pollfd> fds;
        if (m_listener.isValid())
            fds.push_back({ m_listener.get(), POLLIN, 0 });
        for (auto& [id, client] : m_clients)
            fds.push_back({ client->connection.fd(),
                static_cast<short>(POLLIN | (client->connection.hasQueued() ? POLLOUT : 0)), 0 });
        ::poll(fds.data(), fds.size(), timeoutMilliseconds);
    }
    if (m_listener.isValid()) {
        for (;;) {
            int fd = ::accept4(m_listener.get(), nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
            if (fd < 0)
                break;
            addClient(foundation::FileDescriptor(fd));
        }
    }

    std::size_t handled = 0;
    std::vector<std::pair<ClientId, std::string>> failed;
    for (auto& [id, client] : m_clients) {
        for (int i = 0; i < messagesPerClientPerPass; ++i) {
            auto received = client->connection.receive();
            if (!received) {
                failed.emplace_back(id, received.message());
                break;
            }
            if (!received.value())
                break;
            ++handled;
            if (auto status = handle(*client, std::move(*received.value())); !status) {
                failed.emplace_back(id, status.message());
                break;
            }
        }
    }
    for (auto& [id, reason] : failed)
        disconnect(id, reason);
    failed.clear();
    tellStatusBarStyle();
    for (auto& [id, client] : m_clients)
        if (auto status = client->connection.flush(); !status)
            failed.emplace_back(id, status.message());
    for (auto& [id, reason] : failed)
        disconnect(id, reason);
    return handled;
}

foundation::Status DisplayServer::handle(Client& client, Received received)
{
    auto& payload = received.message.payload;
    if (received.fd.isValid() && !std::holds_alternative<SurfaceReady>(payload))
        return refusal(std::string("a descriptor came with a ") + nameOf(typeOf(payload)) + " message");
    if (!client.introduced && !std::holds_alternative<Hello>(payload))
        return refusal(std::string("the first message must be hello, not ") + nameOf(typeOf(payload)));
    if (auto* hello = std::get_if<Hello>(&payload)) {
        if (client.introduced)
            return refusal("hello came twice");
        client.introduced = true;
        client.hello = *hello;
        return {};
    }
    if (auto* ready = std::get_if<SurfaceReady>(&payload))
        return publish(client, *ready, std::move(received.fd));
    if (auto* gone = std::get_if<WindowGone>(&payload)) {
        client.windows.erase(gone->windowId);
        auto points = [&](const std::optional<Found>& f) { return f && f->client == client.id && f->windowId == gone->windowId; };
        if (points(m_touchTarget))
            m_touchTarget.reset();
        if (points(m_keyWindow))
            m_keyWindow.reset();
        return {};
    }
    if (auto* lifecycle = std::get_if<Lifecycle>(&payload)) {
        if (client.hello.role != ProcessRole::SpringBoard)
            return refusal("only SpringBoard asks for app launches, the front app, home and terminations");
        if (m_lifecycleHandler)
            m_lifecycleHandler(client.id, *lifecycle);
        return {};
    }
    if (auto* capturing = std::get_if<Capture>(&payload))
        return capture(client, capturing->on == 1);
    if (std::holds_alternative<KeyNotTaken>(payload) || std::holds_alternative<Reached>(payload)
        || std::holds_alternative<StepDone>(payload)) {
        if (m_messageHandler)
            m_messageHandler(client.id, payload);
        return {};
    }
    return refusal(std::string("a ") + nameOf(typeOf(payload)) + " message goes from the display to a client, not back");
}

foundation::Status DisplayServer::publish(Client& client, const SurfaceReady& ready, foundation::FileDescriptor fd)
{
    auto existing = client.windows.find(ready.windowId);
    if (existing == client.windows.end() && client.windows.size() >= maxWindowsPerClient)
        return refusal("a client may show at most " + std::to_string(maxWindowsPerClient) + " windows");
    if (ready.carriesSurface() != fd.isValid())
        return refusal(ready.carriesSurface() ? "surface-ready says a surface comes with it, but no descriptor came"
                                              : "a descriptor came with surface-ready without its flag");
    SharedSurface surface;
    if (fd.isValid()) {
        auto adopted = SharedSurface::adopt(std::move(fd), ready.pixelWidth(), ready.pixelHeight());
        if (!adopted)
            return refusal(adopted.message());
        surface = adopted.release();
    } else if (existing == client.windows.end() || existing->second.surface.pixelWidth() != ready.pixelWidth()
        || existing->second.surface.pixelHeight() != ready.pixelHeight()) {
        return refusal("surface-ready for window " + std::to_string(ready.windowId)
            + " sends no surface, and the display has none of its size");
    }
    Window& window = client.windows[ready.windowId];
    if (window.publication == 0)
        window.publication = m_nextPublication++;
    if (surface.pixelWidth() > 0)
        window.surface = std::move(surface);
    window.state = ready;
    window.acknowledged = false;
    Found here { client.id, ready.windowId };
    bool isKey = m_keyWindow && m_keyWindow->client == here.client && m_keyWindow->windowId == here.windowId;
    if (ready.keyWindow())
        m_keyWindow = here;
    else if (isKey)
        m_keyWindow.reset();
    return {};
}

foundation::Status DisplayServer::capture(Client& client, bool on)
{
    if (client.hello.role != ProcessRole::SpringBoard)
        return refusal("only SpringBoard records the screen; an app never sees another process's windows");
    client.capturing = on;
    if (!on)
        return {};
    if (!m_share) {
        auto made = ScreenShare::create(m_options.screen, m_options.scale);
        // Without memory to share, SpringBoard takes the picture it draws
        // itself; the display goes on.
        if (!made)
            return {};
        m_share.emplace(made.release());
    }
    queue(client, ScreenShared { m_share->pixelWidth(), m_share->pixelHeight() }, m_share->fd());
    return {};
}

void DisplayServer::disconnect(ClientId id, const std::string& reason)
{
    if (m_clients.erase(id) == 0)
        return;
    if (m_touchTarget && m_touchTarget->client == id)
        m_touchTarget.reset();
    if (m_keyWindow && m_keyWindow->client == id)
        m_keyWindow.reset();
    m_lastDisconnectReason = reason;
    ++m_disconnected;
}

std::vector<std::pair<const DisplayServer::Client*, const DisplayServer::Window*>> DisplayServer::stack() const
{
    std::vector<std::pair<const Client*, const Window*>> shown;
    for (auto& [id, client] : m_clients)
        if (client->shown)
            for (auto& [windowId, window] : client->windows)
                if (!window.state.hidden())
                    shown.emplace_back(client.get(), &window);
    std::stable_sort(shown.begin(), shown.end(), [](const auto& a, const auto& b) {
        if (a.second->state.level != b.second->state.level)
            return a.second->state.level < b.second->state.level;
        return a.second->publication < b.second->publication;
    });
    return shown;
}

const render::Surface& DisplayServer::composite()
{
    const int width = static_cast<int>(std::lround(m_options.screen.width * m_options.scale));
    const int height = static_cast<int>(std::lround(m_options.screen.height * m_options.scale));
    if (!m_screen.isValid() || m_screen.width() != width || m_screen.height() != height)
        m_screen = render::Surface(width, height);
    if (!m_screen.isValid())
        return m_screen;
    cairo_t* cr = cairo_create(m_screen.cairoSurface());
    // Where no window covers the screen, the display is dark, as the
    // compositor draws it in one process.
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    cairo_set_source_rgb(cr, 0, 0, 0);
    cairo_paint(cr);
    cairo_set_operator(cr, CAIRO_OPERATOR_OVER);
    for (auto [client, window] : stack()) {
        render::Surface picture = window->surface.buffer(window->state.bufferIndex);
        if (!picture.isValid())
            continue;
        cairo_save(cr);
        cairo_translate(cr, window->state.frame.origin.x * m_options.scale, window->state.frame.origin.y * m_options.scale);
        double zoom = m_options.scale / window->state.scale;
        cairo_scale(cr, zoom, zoom);
        cairo_set_source_surface(cr, picture.cairoSurface(), 0, 0);
        cairo_paint(cr);
        cairo_restore(cr);
    }
    cairo_destroy(cr);
    m_screen.markDirty();
    if (m_share && std::any_of(m_clients.begin(), m_clients.end(), [](const auto& c) { return c.second->capturing; }))
        (void)m_share->publish(m_screen);
    for (auto& [id, client] : m_clients) {
        for (auto& [windowId, window] : client->windows) {
            if (window.acknowledged)
                continue;
            window.acknowledged = true;
            queue(*client, FrameShown { windowId, window.state.bufferIndex });
        }
    }
    return m_screen;
}

std::optional<DisplayServer::Found> DisplayServer::windowAt(CGPoint point) const
{
    auto shown = stack();
    for (auto it = shown.rbegin(); it != shown.rend(); ++it)
        if (CGRectContainsPoint(it->second->state.frame, point))
            return Found { it->first->id, it->second->state.windowId };
    return std::nullopt;
}

std::optional<ClientId> DisplayServer::clientAt(CGPoint point) const
{
    if (auto found = windowAt(point))
        return found->client;
    return std::nullopt;
}

bool DisplayServer::queue(Client& client, Payload payload, int passFd)
{
    // A failure to send means the client is gone; serveOnce() finds that on
    // its next flush and disconnects it there, outside any walk of the
    // clients. Only a payload the protocol refuses is not sent at all.
    auto status = client.connection.send(std::move(payload), passFd);
    return status.ok() || status.code() != ErrorCode::UnreadableInput;
}

bool DisplayServer::sendTouch(TouchPhase phase, CGPoint point, std::uint64_t timestamp)
{
    if (phase == TouchPhase::Began)
        m_touchTarget = windowAt(point);
    if (!m_touchTarget)
        return false;
    Found target = *m_touchTarget;
    if (phase == TouchPhase::Ended || phase == TouchPhase::Cancelled)
        m_touchTarget.reset();
    auto client = m_clients.find(target.client);
    if (client == m_clients.end() || !client->second->windows.contains(target.windowId))
        return false;
    return queue(*client->second, Touch { target.windowId, phase, point, timestamp });
}

DisplayServer::Client* DisplayServer::keyClient()
{
    if (m_keyWindow) {
        auto client = m_clients.find(m_keyWindow->client);
        if (client != m_clients.end() && client->second->shown) {
            auto window = client->second->windows.find(m_keyWindow->windowId);
            if (window != client->second->windows.end() && !window->second.state.hidden())
                return client->second.get();
        }
    }
    // With no app's window key (home, or the app in front has none), the
    // keyboard is SpringBoard's, as the phone's hardware keyboard is.
    for (auto& [id, client] : m_clients)
        if (client->introduced && client->hello.role == ProcessRole::SpringBoard)
            return client.get();
    return nullptr;
}

bool DisplayServer::sendKey(const Key& key)
{
    Client* client = keyClient();
    return client && queue(*client, key);
}

bool DisplayServer::sendText(const std::string& text)
{
    Client* client = keyClient();
    return client && queue(*client, Text { text });
}

bool DisplayServer::sendTo(ClientId id, Payload payload)
{
    auto client = m_clients.find(id);
    return client != m_clients.end() && queue(*client->second, std::move(payload));
}

void DisplayServer::setShown(ClientId id, bool shown)
{
    auto client = m_clients.find(id);
    if (client == m_clients.end() || client->second->shown == shown)
        return;
    client->second->shown = shown;
    // A finger on an app sent home no longer reaches it.
    if (!shown && m_touchTarget && m_touchTarget->client == id) {
        queue(*client->second, Touch { m_touchTarget->windowId, TouchPhase::Cancelled, {}, 0 });
        m_touchTarget.reset();
    }
}

bool DisplayServer::isShown(ClientId id) const
{
    auto client = m_clients.find(id);
    return client != m_clients.end() && client->second->shown;
}

std::optional<ClientId> DisplayServer::clientOf(const std::string& bundleIdentifier) const
{
    for (auto& [id, client] : m_clients)
        if (client->introduced && client->hello.bundleIdentifier == bundleIdentifier)
            return id;
    return std::nullopt;
}

void DisplayServer::tellStatusBarStyle()
{
    auto board = springBoard();
    if (!board || !m_keyWindow)
        return;
    // Only an app in front has a say; over SpringBoard's own windows the
    // status bar follows SpringBoard.
    auto owner = m_clients.find(m_keyWindow->client);
    if (owner == m_clients.end() || !owner->second->shown || owner->second->hello.role != ProcessRole::Application)
        return;
    auto window = owner->second->windows.find(m_keyWindow->windowId);
    if (window == owner->second->windows.end() || window->second.state.hidden())
        return;
    Client& told = *m_clients.at(*board);
    const bool light = window->second.state.lightContent();
    if (told.toldLightContent == light)
        return;
    if (queue(told, StatusBarStyle { static_cast<std::uint8_t>(light ? 1 : 0) }))
        told.toldLightContent = light;
}

std::optional<ClientId> DisplayServer::springBoard() const
{
    for (auto& [id, client] : m_clients)
        if (client->introduced && client->hello.role == ProcessRole::SpringBoard)
            return id;
    return std::nullopt;
}

std::size_t DisplayServer::shownWindowCount(ClientId id) const
{
    auto client = m_clients.find(id);
    if (client == m_clients.end() || !client->second->shown)
        return 0;
    return static_cast<std::size_t>(std::count_if(client->second->windows.begin(), client->second->windows.end(),
        [](const auto& entry) { return !entry.second.state.hidden(); }));
}

bool DisplayServer::sendLifecycle(const std::string& bundleIdentifier, const Lifecycle& message)
{
    for (auto& [id, client] : m_clients) {
        if (client->introduced && client->hello.bundleIdentifier == bundleIdentifier)
            return queue(*client, message);
    }
    return false;
}

std::vector<DisplayServer::ClientInfo> DisplayServer::clients() const
{
    std::vector<ClientInfo> infos;
    for (auto& [id, client] : m_clients)
        infos.push_back(*this->client(id));
    return infos;
}

std::optional<DisplayServer::ClientInfo> DisplayServer::client(ClientId id) const
{
    auto it = m_clients.find(id);
    if (it == m_clients.end())
        return std::nullopt;
    const Client& c = *it->second;
    return ClientInfo { c.id, c.introduced, c.hello, c.windows.size(), c.connection.queuedCount(), c.connection.droppedCount() };
}

}  // namespace display
