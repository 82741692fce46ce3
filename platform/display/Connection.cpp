#include "platform/display/Connection.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace display {

using foundation::Error;
using foundation::ErrorCode;

namespace {

Error peerGone(const char* operation, int error)
{
    return Error { ErrorCode::Failed, std::string("the display connection is gone (") + operation + ": " + std::strerror(error) + ")" };
}

}  // namespace

Connection::Connection(foundation::FileDescriptor fd, std::size_t queueLimit)
    : m_fd(std::move(fd))
    , m_queueLimit(queueLimit ? queueLimit : 1)
{
    int flags = ::fcntl(m_fd.get(), F_GETFL);
    if (flags >= 0)
        ::fcntl(m_fd.get(), F_SETFL, flags | O_NONBLOCK);
}

foundation::Result<std::pair<foundation::FileDescriptor, foundation::FileDescriptor>> Connection::pair()
{
    int fds[2];
    if (::socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, fds) != 0)
        return Error::fromErrno("create", "a display socket pair");
    return std::pair { foundation::FileDescriptor(fds[0]), foundation::FileDescriptor(fds[1]) };
}

foundation::Status Connection::send(Payload payload, int passFd)
{
    Message message { m_nextSequence, std::move(payload) };
    Outgoing outgoing { TRY(encode(message)), foundation::FileDescriptor() };
    if (passFd >= 0) {
        outgoing.fd.reset(::fcntl(passFd, F_DUPFD_CLOEXEC, 0));
        if (!outgoing.fd.isValid())
            return Error::fromErrno("duplicate", "a window surface's descriptor");
    }
    ++m_nextSequence;
    if (m_queue.size() >= m_queueLimit) {
        // A surface's descriptor is kept: the messages after it rely on the
        // display having it.
        auto victim = m_queue.begin();
        while (victim != m_queue.end() && victim->fd.isValid())
            ++victim;
        m_queue.erase(victim == m_queue.end() ? m_queue.begin() : victim);
        ++m_dropped;
    }
    m_queue.push_back(std::move(outgoing));
    return flush();
}

foundation::Status Connection::flush()
{
    while (!m_queue.empty()) {
        Outgoing& next = m_queue.front();
        iovec vector { next.bytes.data(), next.bytes.size() };
        msghdr header {};
        header.msg_iov = &vector;
        header.msg_iovlen = 1;
        alignas(cmsghdr) char control[CMSG_SPACE(sizeof(int))] {};
        if (next.fd.isValid()) {
            header.msg_control = control;
            header.msg_controllen = sizeof control;
            cmsghdr* c = CMSG_FIRSTHDR(&header);
            c->cmsg_level = SOL_SOCKET;
            c->cmsg_type = SCM_RIGHTS;
            c->cmsg_len = CMSG_LEN(sizeof(int));
            int fd = next.fd.get();
            std::memcpy(CMSG_DATA(c), &fd, sizeof fd);
        }
        ssize_t sent = ::sendmsg(m_fd.get(), &header, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (sent < 0) {
            if (errno == EAGAIN || errno == EWOULDBLOCK)
                return {};
            if (errno == EINTR)
                continue;
            return peerGone("send", errno);
        }
        // A record goes whole or not at all.
        m_queue.pop_front();
    }
    return {};
}

foundation::Result<std::optional<Received>> Connection::receive()
{
    // One byte more than the largest message, so an oversized record shows
    // as truncated rather than as a message of exactly the largest size.
    std::uint8_t buffer[headerSize + maxPayloadSize + 1];
    iovec vector { buffer, sizeof buffer };
    // Room for a few descriptors: a peer that sends more than one with a
    // message is refused, and every one that came is closed.
    alignas(cmsghdr) char control[CMSG_SPACE(4 * sizeof(int))] {};
    msghdr header {};
    header.msg_iov = &vector;
    header.msg_iovlen = 1;
    header.msg_control = control;
    header.msg_controllen = sizeof control;
    ssize_t got;
    do
        got = ::recvmsg(m_fd.get(), &header, MSG_DONTWAIT | MSG_CMSG_CLOEXEC);
    while (got < 0 && errno == EINTR);
    if (got < 0) {
        if (errno == EAGAIN || errno == EWOULDBLOCK)
            return std::optional<Received>();
        return peerGone("receive", errno);
    }
    std::vector<foundation::FileDescriptor> fds;
    for (cmsghdr* c = CMSG_FIRSTHDR(&header); c; c = CMSG_NXTHDR(&header, c)) {
        if (c->cmsg_level != SOL_SOCKET || c->cmsg_type != SCM_RIGHTS)
            continue;
        std::size_t count = (c->cmsg_len - CMSG_LEN(0)) / sizeof(int);
        for (std::size_t i = 0; i < count; ++i) {
            int fd;
            std::memcpy(&fd, CMSG_DATA(c) + i * sizeof(int), sizeof fd);
            fds.emplace_back(fd);
        }
    }
    if (got == 0 && fds.empty())
        return Error { ErrorCode::Failed, "the other end closed the display connection" };
    if (header.msg_flags & (MSG_TRUNC | MSG_CTRUNC))
        return refusal("the record is longer than the largest message or carries too many descriptors");
    if (fds.size() > 1)
        return refusal("more than one descriptor came with a message");
    Received received { TRY(decode(std::span<const std::uint8_t>(buffer, static_cast<std::size_t>(got)))), foundation::FileDescriptor() };
    if (!fds.empty())
        received.fd = std::move(fds.front());
    if (received.message.sequence <= m_lastReceived)
        return refusal("sequence " + std::to_string(received.message.sequence) + " does not follow " + std::to_string(m_lastReceived));
    m_missed += received.message.sequence - m_lastReceived - 1;
    m_lastReceived = received.message.sequence;
    return std::optional<Received>(std::move(received));
}

}  // namespace display
