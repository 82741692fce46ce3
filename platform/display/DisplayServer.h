#pragma once

// The display's core: the processes that draw (clients) connect over a Unix
// socket, publish their windows as shared surfaces, and receive the touches
// and keys meant for them. The display composites every shown window of
// every client by window level into one picture of the screen, hit-tests a
// touch against those windows and sends it to the owner of the topmost one
// under the finger; keys and text go to the client with the key window.
//
// Nothing here waits on a client: sockets are non-blocking, every client's
// outgoing queue is bounded (a client that stops reading loses its oldest
// messages), and a client that closes, dies or breaks the protocol is
// disconnected and its windows vanish with it. The owner drives the loop
// with serveOnce(), so tests step it without real time. No SDL here.

#include "platform/display/Connection.h"
#include "platform/display/DisplayProtocol.h"
#include "platform/display/ScreenShare.h"
#include "platform/display/SharedSurface.h"
#include "platform/foundation/CGGeometry.h"
#include "platform/foundation/Result.h"
#include "platform/render/Surface.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace display {

using ClientId = std::uint64_t;

class DisplayServer {
public:
    struct Options {
        CGSize screen { 390, 844 };  // points
        double scale = 3;  // pixels a point
        std::size_t queueLimit = 64;  // messages waiting for each client
    };
    // What a client asked for that the display cannot do by itself yet
    // (starting a process): the owner acts on it.
    using LifecycleHandler = std::function<void(ClientId from, const Lifecycle&)>;

    explicit DisplayServer(Options options);
    DisplayServer();
    ~DisplayServer();
    DisplayServer(const DisplayServer&) = delete;
    DisplayServer& operator=(const DisplayServer&) = delete;

    // Listens on a Unix socket at `path` (a stale socket file there is
    // replaced; anything else is refused).
    foundation::Status listen(const std::string& path);
    // A client already connected (one end of a socketpair, in tests).
    ClientId addClient(foundation::FileDescriptor socket);

    // One pass without waiting longer than `timeoutMilliseconds` (0: not at
    // all): accepts new clients, reads and handles what every client sent,
    // sends what waits. Returns the number of messages handled.
    std::size_t serveOnce(int timeoutMilliseconds = 0);

    // The screen as the display shows it now: black, then every shown
    // window of every client, lowest level first (in order of first
    // publication within a level). Acknowledges each newly shown buffer to
    // its client, and copies the picture into the screen share while
    // SpringBoard takes it (a recording, an app in front).
    const render::Surface& composite();

    // A finger: a touch that begins goes to the topmost shown window under
    // the point; its moves and end go to the same window (a touch stays with
    // the view it began in). Returns whether a client was sent it.
    bool sendTouch(TouchPhase phase, CGPoint point, std::uint64_t timestamp);
    // To the client owning the key window (SpringBoard when no shown window
    // is key); false when there is none (or the text is not something a
    // text field takes).
    bool sendKey(const Key& key);
    bool sendText(const std::string& text);
    // Sends a life-cycle message to the client of `bundleIdentifier`.
    bool sendLifecycle(const std::string& bundleIdentifier, const Lifecycle& message);
    void setLifecycleHandler(LifecycleHandler handler) { m_lifecycleHandler = std::move(handler); }
    // What else a client tells the display's owner: a key its application
    // did not take, and a scripted run's answers (reached, step-done).
    using MessageHandler = std::function<void(ClientId from, const Payload&)>;
    void setMessageHandler(MessageHandler handler) { m_messageHandler = std::move(handler); }
    // Queues any display-to-client message for one client.
    bool sendTo(ClientId id, Payload payload);

    // An app sent to the background keeps its process and windows, but
    // they are neither drawn nor touched; a finger on them is cancelled.
    void setShown(ClientId id, bool shown);
    bool isShown(ClientId id) const;
    std::optional<ClientId> clientOf(const std::string& bundleIdentifier) const;
    std::optional<ClientId> springBoard() const;
    // Its windows the screen would show (none while it is not shown).
    std::size_t shownWindowCount(ClientId id) const;

    struct ClientInfo {
        ClientId id = 0;
        bool introduced = false;  // hello received
        Hello hello;
        std::size_t windowCount = 0;
        std::size_t queuedCount = 0;
        std::uint64_t droppedCount = 0;  // messages for it dropped from its full queue
    };
    std::vector<ClientInfo> clients() const;
    std::optional<ClientInfo> client(ClientId id) const;
    // The client owning the topmost shown window under `point`, if any.
    std::optional<ClientId> clientAt(CGPoint point) const;
    // Why the last client that was disconnected for an error was, for logs
    // and tests.
    const std::string& lastDisconnectReason() const { return m_lastDisconnectReason; }
    std::uint64_t disconnectedCount() const { return m_disconnected; }
    // Pictures of the screen copied for SpringBoard so far.
    std::uint64_t screenPicturesShared() const { return m_share ? m_share->publishedCount() : 0; }

private:
    struct Window;
    struct Client;
    struct Found {
        ClientId client;
        std::uint32_t windowId;
    };

    foundation::Status handle(Client& client, Received received);
    foundation::Status publish(Client& client, const SurfaceReady& ready, foundation::FileDescriptor fd);
    foundation::Status capture(Client& client, bool on);
    void disconnect(ClientId id, const std::string& reason);
    std::optional<Found> windowAt(CGPoint point) const;
    // Every shown window, bottom to top.
    std::vector<std::pair<const Client*, const Window*>> stack() const;
    bool queue(Client& client, Payload payload, int passFd = -1);
    // Tells SpringBoard when what the app in front asks of the status bar
    // changed.
    void tellStatusBarStyle();
    // Who the keyboard types into: the key window's owner while that
    // window is shown, otherwise SpringBoard.
    Client* keyClient();

    Options m_options;
    foundation::FileDescriptor m_listener;
    std::string m_socketPath;
    std::map<ClientId, std::unique_ptr<Client>> m_clients;
    ClientId m_nextClient = 1;
    std::uint64_t m_nextPublication = 1;
    render::Surface m_screen;
    // Made when SpringBoard first asks, then kept for its next asking.
    std::optional<ScreenShare> m_share;
    std::optional<Found> m_touchTarget;
    std::optional<Found> m_keyWindow;
    LifecycleHandler m_lifecycleHandler;
    MessageHandler m_messageHandler;
    std::string m_lastDisconnectReason;
    std::uint64_t m_disconnected = 0;
};

}  // namespace display
