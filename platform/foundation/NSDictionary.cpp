#include "platform/foundation/NSDictionary.h"

#include "platform/foundation/DevicePath.h"

MARQEL_DEFINE_CLASS(NSDictionary)
MARQEL_DEFINE_CLASS(NSMutableDictionary)

std::shared_ptr<NSDictionary> NSDictionary::dictionaryWithContentsOfFile(const std::string& devicePath)
{
    auto host = DevicePath::toHost(devicePath);
    if (!host)
        return nullptr;
    auto value = plist::readFile(host.value());
    if (!value || !value.value().is<PlistDict>())
        return nullptr;
    return alloc<NSMutableDictionary>(*value.value().get<PlistDict>());
}

bool NSDictionary::writeToFile(const std::string& devicePath, bool) const { return write(devicePath).ok(); }

foundation::Status NSDictionary::write(const std::string& devicePath) const
{
    // A plain write could leave a torn file; every write here is atomic.
    return plist::writeFileAtomically(PlistValue(m_contents), TRY(DevicePath::toHost(devicePath)));
}
