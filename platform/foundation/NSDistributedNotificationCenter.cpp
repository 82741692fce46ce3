#include "platform/foundation/NSDistributedNotificationCenter.h"

#include "platform/foundation/DevicePath.h"
#include "platform/foundation/NSLog.h"
#include "platform/foundation/NSProcessInfo.h"
#include "platform/foundation/RunLoop.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

MARQEL_DEFINE_CLASS(NSDistributedNotificationCenter,
    method<&NSDistributedNotificationCenter::postNotificationName>("postNotificationName:object:"),
    method<&NSDistributedNotificationCenter::addObserver>("addObserver:selector:name:object:"))

namespace {
bool fillAddress(sockaddr_un& address, const std::string& path)
{
    std::memset(&address, 0, sizeof address);
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path)
        return false;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    return true;
}
}  // namespace

std::shared_ptr<NSDistributedNotificationCenter> NSDistributedNotificationCenter::defaultCenter()
{
    static auto* center = new std::shared_ptr<NSDistributedNotificationCenter>(alloc<NSDistributedNotificationCenter>());
    return *center;
}

NSDistributedNotificationCenter::NSDistributedNotificationCenter()
    : m_local(alloc<NSNotificationCenter>())
{
}

NSDistributedNotificationCenter::~NSDistributedNotificationCenter() { shutdown(); }

void NSDistributedNotificationCenter::addObserver(const id& observer, SEL selector, const std::string& name, const id& object)
{
    // Without a socket the observer still hears this process's own posts.
    if (auto listening = ensureListening(); !listening)
        NSLog("NSDistributedNotificationCenter: not listening: %@", listening.message());
    m_local->addObserver(observer, selector, name, object);
}

void NSDistributedNotificationCenter::removeObserver(const id& observer) { m_local->removeObserver(observer); }

foundation::Status NSDistributedNotificationCenter::ensureListening()
{
    using foundation::Error;
    using foundation::ErrorCode;
    std::lock_guard lock(m_mutex);
    if (m_socket >= 0)
        return {};
    std::string folder = TRY(DevicePath::toHost(runFolder));
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    std::string path = folder + "/" + std::to_string(getpid()) + "-" + NSProcessInfo::processInfo()->globallyUniqueString().substr(0, 8) + ".sock";
    sockaddr_un address;
    if (!fillAddress(address, path))
        return Error { ErrorCode::InvalidArgument, "socket path too long: " + path };
    int fd = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        Error failure = Error::fromErrno("listen at", path);
        if (fd >= 0)
            ::close(fd);
        return failure;
    }
    m_socket = fd;
    m_socketPath = path;
    m_stopping = false;
    m_receiver = std::thread([this] { receive(); });
    return {};
}

void NSDistributedNotificationCenter::receive()
{
    char buffer[4096];
    for (;;) {
        ssize_t n = ::recv(m_socket, buffer, sizeof buffer - 1, 0);
        if (m_stopping)
            return;
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return;
        }
        std::string payload(buffer, static_cast<std::size_t>(n));
        // "name NUL sender-pid": the object is not delivered, no observer here uses it.
        auto separator = payload.find('\0');
        std::string name = payload.substr(0, separator);
        bool fromThisProcess = separator != std::string::npos && payload.substr(separator + 1) == std::to_string(getpid());
        auto local = m_local;
        RunLoop::main().post([local, name] { local->postNotificationName(name, nullptr); });
        // A post to ourselves was in flight until it reached the main queue.
        if (fromThisProcess)
            RunLoop::main().endWork();
    }
}

void NSDistributedNotificationCenter::postNotificationName(const std::string& name, const id&)
{
    if (auto posted = post(name); !posted)
        NSLog("NSDistributedNotificationCenter: %s not posted: %s", name, posted.message());
}

foundation::Result<std::size_t> NSDistributedNotificationCenter::post(const std::string& name)
{
    std::size_t reached = 0;
    std::string ownSocket;
    {
        std::lock_guard lock(m_mutex);
        ownSocket = m_socketPath;
    }
    std::string payload = name + std::string(1, '\0') + std::to_string(getpid());
    std::string folder = TRY(DevicePath::toHost(runFolder));
    std::error_code ec;
    int fd = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return foundation::Error::fromErrno("open a socket to post", name, errno, foundation::ErrorCode::Failed);
    std::filesystem::directory_iterator entries(folder, ec);
    if (ec && ec != std::errc::no_such_file_or_directory) {
        ::close(fd);
        return foundation::Error::fromErrno("list", folder, ec);
    }
    // Incremented with an error code: a socket removed meanwhile must not
    // throw out of the post.
    for (; !ec && entries != std::filesystem::directory_iterator(); entries.increment(ec)) {
        const auto& entry = *entries;
        if (entry.path().extension() != ".sock")
            continue;
        sockaddr_un address;
        if (!fillAddress(address, entry.path().string()))
            continue;
        // Delivery to our own socket is work in flight, so the virtual clock
        // waits for it rather than racing past it.
        bool toSelf = !ownSocket.empty() && entry.path().string() == ownSocket;
        if (toSelf)
            RunLoop::main().beginWork();
        ssize_t sent = ::sendto(fd, payload.data(), payload.size(), MSG_DONTWAIT, reinterpret_cast<sockaddr*>(&address), sizeof address);
        if (toSelf && sent < 0)
            RunLoop::main().endWork();
        if (sent >= 0 && !toSelf)
            ++reached;
        if (sent < 0 && (errno == ECONNREFUSED || errno == ENOENT)) {
            std::error_code ignored;
            std::filesystem::remove(entry.path(), ignored);  // its process is gone
        } else if (sent < 0) {
            NSLog("NSDistributedNotificationCenter: %s dropped for %s: %s", name, entry.path().filename().string(), std::strerror(errno));
        }
    }
    ::close(fd);
    return reached;
}

void NSDistributedNotificationCenter::shutdown()
{
    std::lock_guard lock(m_mutex);
    if (m_socket < 0)
        return;
    m_stopping = true;
    ::shutdown(m_socket, SHUT_RDWR);
    // A datagram socket's recv is not woken by shutdown on every kernel;
    // a datagram to ourselves is.
    sockaddr_un address;
    if (fillAddress(address, m_socketPath)) {
        int fd = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        if (fd >= 0) {
            ::sendto(fd, "", 0, MSG_DONTWAIT, reinterpret_cast<sockaddr*>(&address), sizeof address);
            ::close(fd);
        }
    }
    if (m_receiver.joinable())
        m_receiver.join();
    ::close(m_socket);
    m_socket = -1;
    std::error_code ec;
    std::filesystem::remove(m_socketPath, ec);
}
