#include "tools/InstallRecord.h"

#include "platform/foundation/DevicePath.h"
#include "platform/foundation/PropertyList.h"

#include <filesystem>

namespace tools {

namespace {
const std::string* stringAt(const PlistDict& dict, const char* key)
{
    const auto* value = dict.find(key);
    return value ? value->get<std::string>() : nullptr;
}
bool isPlainDevicePath(const std::string& path)
{
    if (path.empty() || path.front() != '/')
        return false;
    for (const auto& part : std::filesystem::path(path))
        if (part == "..")
            return false;
    return true;
}
}  // namespace

foundation::Result<std::optional<InstallRecord>> InstallRecord::load()
{
    auto host = TRY(DevicePath::toHost(devicePath));
    auto read = plist::readFile(host);
    if (!read && read.error().code == foundation::ErrorCode::NotFound)
        return std::optional<InstallRecord>();
    if (!read)
        return read.error();
    auto damaged = foundation::Error { foundation::ErrorCode::UnreadableInput,
        std::string("the install record ") + host + " is damaged (not a dictionary of Package, Version, Source and Files inside the root); "
            + "run `marqel install --force` to lay the product again and write a new one" };
    const auto* dict = read.value().get<PlistDict>();
    if (!dict)
        return damaged;
    const auto* package = stringAt(*dict, "Package");
    const auto* version = stringAt(*dict, "Version");
    const auto* source = stringAt(*dict, "Source");
    const auto* filesValue = dict->find("Files");
    const auto* files = filesValue ? filesValue->get<PlistArray>() : nullptr;
    if (!package || !version || !source || !files)
        return damaged;
    InstallRecord record { *package, *version, *source, {} };
    for (const auto& file : *files) {
        const auto* path = file.get<std::string>();
        // A path that leaves the root by its own text is never ours to
        // remove. One that passes a link where a folder belongs is still a
        // path of the install: whoever acts on it says what is wrong there
        // (the record itself is sound).
        if (!path || !isPlainDevicePath(*path))
            return damaged;
        record.files.push_back(*path);
    }
    return std::optional<InstallRecord>(std::move(record));
}

foundation::Status InstallRecord::save() const
{
    TRY(DevicePath::makeParents(devicePath));
    PlistDict dict;
    dict.set("Package", PlistValue(package));
    dict.set("Version", PlistValue(version));
    dict.set("Source", PlistValue(source));
    PlistArray list;
    for (const auto& file : files)
        list.push_back(PlistValue(file));
    dict.set("Files", PlistValue(std::move(list)));
    return plist::writeFileAtomically(PlistValue(std::move(dict)), TRY(DevicePath::toHost(devicePath)));
}

foundation::Status InstallRecord::remove()
{
    std::error_code ec;
    std::filesystem::remove(TRY(DevicePath::toHost(devicePath)), ec);
    if (ec)
        return foundation::Error::fromErrno("remove", devicePath, ec);
    return {};
}

}  // namespace tools
