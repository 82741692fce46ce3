#include "platform/foundation/NSObjects.h"

#include "platform/foundation/DevicePath.h"
#include "platform/foundation/RunLoop.h"

#include <cstring>
#include <ctime>
#include <filesystem>

MARQEL_DEFINE_CLASS(NSDate)
MARQEL_DEFINE_CLASS(NSURL, method<&NSURL::path>("path"))
MARQEL_DEFINE_CLASS(NSError,
    method<&NSError::localizedDescription>("localizedDescription"))
MARQEL_DEFINE_CLASS(NSFileManager)
MARQEL_DEFINE_CLASS(NSSortDescriptor)

std::shared_ptr<NSDate> NSDate::date() { return alloc<NSDate>(RunLoop::main().clock().epochSeconds()); }

std::string NSDate::description() const
{
    std::time_t t = static_cast<std::time_t>(m_seconds);
    std::tm tm {};
    gmtime_r(&t, &tm);
    char buffer[64];
    std::strftime(buffer, sizeof buffer, "%Y-%m-%d %H:%M:%S +0000", &tm);
    return buffer;
}

std::shared_ptr<NSURL> NSURL::fileURLWithPath(const std::string& devicePath) { return alloc<NSURL>(devicePath); }
foundation::Result<std::string> NSURL::hostPath() const { return DevicePath::toHost(m_path); }

std::shared_ptr<NSFileManager> NSFileManager::defaultManager()
{
    static auto* instance = new std::shared_ptr<NSFileManager>(alloc<NSFileManager>());
    return *instance;
}

bool NSFileManager::fileExistsAtPath(const std::string& devicePath) const
{
    auto host = DevicePath::toHost(devicePath);
    std::error_code ec;
    return host && std::filesystem::exists(std::filesystem::symlink_status(host.value(), ec));
}

bool NSFileManager::removeItemAtPath(const std::string& devicePath, std::shared_ptr<NSError>* error) const
{
    auto host = DevicePath::toHost(devicePath);
    std::error_code ec;
    if (!host) {
        if (error)
            *error = NSError::make("NSCocoaErrorDomain", 4, "The path " + devicePath + " is outside the device.");
        return false;
    }
    // filesystem::remove does not follow a symbolic link; it removes the link.
    if (!std::filesystem::remove(host.value(), ec)) {
        if (error)
            *error = NSError::make("NSCocoaErrorDomain", 4,
                ec ? "Could not remove " + devicePath + ": " + ec.message() : "No file at " + devicePath + ".");
        return false;
    }
    return true;
}

bool NSFileManager::createDirectoryAtPath(const std::string& devicePath) const
{
    auto host = DevicePath::toHost(devicePath);
    std::error_code ec;
    return host && (std::filesystem::create_directories(host.value(), ec) || std::filesystem::is_directory(host.value(), ec));
}
