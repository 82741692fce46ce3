#pragma once

// One end of a display socket (AF_UNIX, SOCK_SEQPACKET, non-blocking): a
// record a message, descriptors passed beside it with SCM_RIGHTS.
//
// Outgoing messages wait in a bounded queue. When the peer stops reading
// and the queue is full, the oldest waiting message is dropped (and
// counted) to make room: a stalled peer loses old input and frame notices,
// and the sender's loop never waits for it. The sequence number is given
// when a message is queued, so the peer sees each drop as a gap.

#include "platform/display/DisplayProtocol.h"
#include "platform/foundation/FileDescriptor.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <utility>

namespace display {

// What arrived: a message and the descriptor that came with it, if any.
struct Received {
    Message message;
    foundation::FileDescriptor fd;
};

class Connection {
public:
    // Takes `fd` (a connected SOCK_SEQPACKET socket) and makes it
    // non-blocking.
    explicit Connection(foundation::FileDescriptor fd, std::size_t queueLimit = 64);
    // Two connected ends of a display socket in this process (a display
    // and its clients in one program: tests, benchmarks).
    static foundation::Result<std::pair<foundation::FileDescriptor, foundation::FileDescriptor>> pair();

    int fd() const { return m_fd.get(); }

    // Queues `payload` (with a copy of `passFd` if it is not -1) and sends
    // what the socket takes now. Fails only when the payload cannot be
    // encoded or the peer is gone.
    foundation::Status send(Payload payload, int passFd = -1);
    // Sends what waits, as far as the socket takes it without blocking.
    foundation::Status flush();
    bool hasQueued() const { return !m_queue.empty(); }
    std::size_t queuedCount() const { return m_queue.size(); }

    // The next message if one has arrived; nothing when none waits; an
    // error when the peer closed or sent something the protocol refuses.
    // Sequence numbers must rise; a gap is counted in missedCount().
    foundation::Result<std::optional<Received>> receive();

    std::uint64_t droppedCount() const { return m_dropped; }
    std::uint64_t missedCount() const { return m_missed; }

private:
    struct Outgoing {
        std::vector<std::uint8_t> bytes;
        foundation::FileDescriptor fd;
    };
    foundation::FileDescriptor m_fd;
    std::size_t m_queueLimit;
    std::deque<Outgoing> m_queue;
    std::uint32_t m_nextSequence = 1;
    std::uint32_t m_lastReceived = 0;
    std::uint64_t m_dropped = 0;
    std::uint64_t m_missed = 0;
};

}  // namespace display
