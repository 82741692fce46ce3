#include "kit/ZRPrefsManager.h"

#include "kit/ZRColourText.h"
#include "kit/ZRFileLock.h"
#include "platform/foundation/DevicePath.h"
#include "platform/foundation/PropertyList.h"
#include "platform/foundation/SystemLog.h"
#include "platform/foundation/UnreadableFile.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <unistd.h>

MARQEL_DEFINE_CLASS(ZRPrefsManager,
    method<&ZRPrefsManager::boolForKey>("boolForKey:defaultValue:ID:"),
    method<&ZRPrefsManager::integerForKey>("integerForKey:defaultValue:ID:"),
    method<&ZRPrefsManager::floatForKey>("floatForKey:defaultValue:ID:"),
    method<&ZRPrefsManager::setBool>("setBool:forKey:ID:"),
    method<&ZRPrefsManager::setFloat>("setFloat:forKey:ID:"))

namespace {

std::optional<PlistValue> read(const std::string& key, const std::string& domain)
{
    auto host = DevicePath::toHost(ZRPrefsManager::devicePathForDomain(domain));
    if (!host)
        return std::nullopt;
    auto root = plist::readFile(host.value());
    if (!root || !root.value().is<PlistDict>())
        return std::nullopt;
    if (const auto* value = root.value().get<PlistDict>()->find(key))
        return *value;
    return std::nullopt;
}

}  // namespace

std::shared_ptr<ZRPrefsManager> ZRPrefsManager::sharedInstance()
{
    static auto* instance = new std::shared_ptr<ZRPrefsManager>(alloc<ZRPrefsManager>());
    return *instance;
}

std::string ZRPrefsManager::devicePathForDomain(const std::string& domain)
{
    return "/var/mobile/Library/Preferences/" + domain + ".plist";
}

std::optional<PlistValue> ZRPrefsManager::valueForKey(const std::string& key, const std::string& ID) const { return read(key, ID); }

bool ZRPrefsManager::boolForKey(const std::string& key, bool defaultValue, const std::string& ID) const
{
    auto value = read(key, ID);
    if (value && value->is<bool>())
        return *value->get<bool>();
    return defaultValue;
}

std::int64_t ZRPrefsManager::integerForKey(const std::string& key, std::int64_t defaultValue, const std::string& ID) const
{
    auto value = read(key, ID);
    if (value && value->is<std::int64_t>())
        return *value->get<std::int64_t>();
    return defaultValue;
}

std::int64_t ZRPrefsManager::floatForKey(const std::string& key, std::int64_t defaultValue, const std::string& ID) const
{
    auto value = read(key, ID);
    if (value && value->is<std::int64_t>())
        return *value->get<std::int64_t>();
    if (value && value->is<double>() && std::isfinite(*value->get<double>()) && std::fabs(*value->get<double>()) < 9e18)
        return static_cast<std::int64_t>(std::trunc(*value->get<double>()));
    return defaultValue;
}

std::string ZRPrefsManager::colourHexForKey(const std::string& key, const std::string& defaultColour, const std::string& ID) const
{
    auto value = read(key, ID);
    if (value && value->is<std::string>()) {
        if (auto text = zr::colourText(*value->get<std::string>()))
            return text.release();
    }
    return defaultColour;
}

foundation::Status ZRPrefsManager::writeValue(const PlistValue& value, const std::string& key, const std::string& ID) const
{
    PlistDict one;
    one.set(key, value);
    return writeValues(one, ID);
}

foundation::Status ZRPrefsManager::writeValues(const PlistDict& values, const std::string& ID) const
{
    using foundation::Error;
    using foundation::ErrorCode;
    std::string devicePath = devicePathForDomain(ID);
    auto host = TRY(DevicePath::toHost(devicePath));
    TRY(DevicePath::makeParents(devicePath));
    auto lock = TRY(ZRFileLock::acquire(host));
    PlistDict contents;
    auto root = plist::readFile(host);
    if (root && root.value().is<PlistDict>())
        contents = *root.value().get<PlistDict>();
    else if (root || root.code() == ErrorCode::UnreadableInput) {
        // Damaged content: keep it aside rather than write one key over it.
        TRY(foundation::keepUnreadableAside(host, root ? "the top is not a dictionary" : root.message()));
    } else if (root.code() != ErrorCode::NotFound)
        return root.error();  // a folder or a file we may not read: never write over it
    for (const auto& [key, value] : values)
        contents.set(key, value);
    return plist::writeFileAtomically(PlistValue(std::move(contents)), host);
}

foundation::Status ZRPrefsManager::readable(const std::string& ID) const
{
    using foundation::Error;
    using foundation::ErrorCode;
    auto host = DevicePath::toHost(devicePathForDomain(ID));
    if (!host)
        return {};
    auto root = plist::readFile(host.value());
    if (root && !root.value().is<PlistDict>())
        return Error { ErrorCode::UnreadableInput, "the top is not a dictionary" };
    if (!root && root.code() != ErrorCode::NotFound)
        return root.error();
    return {};
}

std::vector<std::string> ZRPrefsManager::keptUnreadableFiles(const std::string& ID) const
{
    auto host = DevicePath::toHost(devicePathForDomain(ID));
    if (!host)
        return {};
    return foundation::unreadableCopiesOf(host.value());
}

bool ZRPrefsManager::setBool(bool value, const std::string& key, const std::string& ID) const
{
    return writeValue(PlistValue(value), key, ID).ok();
}

bool ZRPrefsManager::setFloat(std::int64_t value, const std::string& key, const std::string& ID) const
{
    return writeValue(PlistValue(value), key, ID).ok();
}
