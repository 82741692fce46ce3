#include "platform/foundation/AtomicFile.h"
#include "platform/foundation/PropertyList.h"

#include "platform/foundation/RegularFile.h"

#include <cstdint>
#include <filesystem>

namespace plist {

namespace {

foundation::Error tooLarge(const std::string& hostPath, std::uint64_t size, std::size_t limit)
{
    return foundation::Error { foundation::ErrorCode::UnreadableInput,
        hostPath + ": larger than the " + std::to_string(limit / (1024 * 1024)) + " MB a property list may be ("
            + std::to_string(size) + " bytes)" };
}

}  // namespace

foundation::Result<PlistValue> readFile(const std::string& hostPath, std::size_t limit)
{
    auto file = TRY(foundation::RegularFile::open(hostPath));
    if (file.size() > limit)
        return tooLarge(hostPath, file.size(), limit);
    std::string bytes = TRY(file.readRest());
    return parse(bytes, limit).withContext(hostPath);
}

foundation::Status writeFileAtomically(const PlistValue& value, const std::string& hostPath)
{
    std::error_code ec;
    std::filesystem::create_directories(std::filesystem::path(hostPath).parent_path(), ec);
    return foundation::writeFileAtomically(hostPath, toXML(value), 0644);
}

}  // namespace plist
