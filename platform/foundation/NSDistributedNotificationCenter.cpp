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
    ensureListening();
    m_local->addObserver(observer, selector, name, object);
}

void NSDistributedNotificationCenter::removeObserver(const id& observer) { m_local->removeObserver(observer); }

bool NSDistributedNotificationCenter::ensureListening()
{
    std::lock_guard lock(m_mutex);
    if (m_socket >= 0)
        return true;
    std::string folder = DevicePath::host(runFolder);
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    std::string path = folder + "/" + std::to_string(getpid()) + "-" + NSProcessInfo::processInfo()->globallyUniqueString().substr(0, 8) + ".sock";
    sockaddr_un address;
    if (!fillAddress(address, path)) {
        NSLog("NSDistributedNotificationCenter: socket path too long, not listening: %s", path);
        return false;
    }
    int fd = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        NSLog("NSDistributedNotificationCenter: cannot listen at %s: %s", path, std::strerror(errno));
        if (fd >= 0)
            ::close(fd);
        return false;
    }
    m_socket = fd;
    m_socketPath = path;
    m_stopping = false;
    m_receiver = std::thread([this] { receive(); });
    return true;
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

void NSDistributedNotificationCenter::postNotificationName(const std::string& name, const id& object)
{
    (void)object;
    std::string ownSocket;
    {
        std::lock_guard lock(m_mutex);
        ownSocket = m_socketPath;
    }
    std::string payload = name + std::string(1, '\0') + std::to_string(getpid());
    std::string folder = DevicePath::host(runFolder);
    std::error_code ec;
    int fd = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) {
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
        if (sent < 0 && (errno == ECONNREFUSED || errno == ENOENT)) {
            std::error_code ignored;
            std::filesystem::remove(entry.path(), ignored);  // its process is gone
        } else if (sent < 0) {
            NSLog("NSDistributedNotificationCenter: %s dropped for %s: %s", name, entry.path().filename().string(), std::strerror(errno));
        }
    }
    ::close(fd);
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
