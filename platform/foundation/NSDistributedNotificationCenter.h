#pragma once

// Notifications that cross the processes sharing one device root. Each
// process that observes binds a datagram socket in the root's run folder; a
// post sends one datagram to every socket there. There is no daemon: a socket
// whose process is gone refuses the datagram and is removed by the poster,
// and a full receiver drops the post rather than blocking the poster.

#include "platform/foundation/NSNotificationCenter.h"
#include "platform/foundation/Result.h"

#include <atomic>
#include <thread>

class NSDistributedNotificationCenter : public Object {
    MARQEL_OBJECT(NSDistributedNotificationCenter, Object)
public:
    static constexpr const char* runFolder = "/var/run/distnoted";
    static std::shared_ptr<NSDistributedNotificationCenter> defaultCenter();

    NSDistributedNotificationCenter();
    ~NSDistributedNotificationCenter() override;

    // Observers receive their selector on the main queue.
    void addObserver(const id& observer, SEL selector, const std::string& name, const id& object);
    void removeObserver(const id& observer);
    // The object of a distributed notification is a string, or nothing.
    // A post that cannot be sent is logged.
    void postNotificationName(const std::string& name, const id& object);
    // Fails when the post could reach no one; a receiver that drops it
    // (full, or gone) is not a failure of the post. Gives how many other
    // processes the post was delivered to.
    foundation::Result<std::size_t> post(const std::string& name);
    // Stops listening and removes this process's socket.
    void shutdown();

private:
    foundation::Status ensureListening();
    void receive();

    std::shared_ptr<NSNotificationCenter> m_local;
    std::mutex m_mutex;
    int m_socket = -1;
    std::string m_socketPath;
    std::thread m_receiver;
    std::atomic<bool> m_stopping { false };
};
