#include "common/SavedAreaStore.h"

#include "common/MarqelPreferences.h"
#include "platform/foundation/DevicePath.h"
#include "platform/foundation/NSLog.h"
#include "platform/foundation/NSObjects.h"
#include "platform/foundation/UnreadableFile.h"

#include <cmath>
#include <filesystem>
#include <limits>

namespace SavedAreaStore {

namespace {

using foundation::Error;
using foundation::ErrorCode;

std::string currentIdentifier() { return SavedAreaFormat::identifierFor(NSDate::date()->timeIntervalSince1970()); }

Error logged(ErrorCode code, const std::string& reason)
{
    NSLog("marqel: could not save the areas: %s", reason);
    return Error { code, reason };
}

bool isUTF8WithoutControls(const std::string& text)
{
    for (std::size_t i = 0; i < text.size();) {
        auto c = static_cast<unsigned char>(text[i]);
        if (c < 0x20 || c == 0x7F)
            return false;
        std::size_t length = c < 0x80 ? 1 : (c & 0xE0) == 0xC0 ? 2
            : (c & 0xF0) == 0xE0                               ? 3
            : (c & 0xF8) == 0xF0                               ? 4
                                                               : 0;
        if (length == 0 || i + length > text.size())
            return false;
        for (std::size_t k = 1; k < length; ++k)
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80)
                return false;
        i += length;
    }
    return true;
}

bool storableNumber(double value) { return std::isfinite(value) && std::fabs(value) <= std::numeric_limits<float>::max(); }

}  // namespace

foundation::Status checkName(const std::string& name)
{
    if (name.empty())
        return Error { ErrorCode::InvalidArgument, "an area needs a name" };
    if (!isUTF8WithoutControls(name))
        return Error { ErrorCode::InvalidArgument, "an area name must be UTF-8 text without control characters" };
    return {};
}

foundation::Status checkFrame(CGRect frame)
{
    for (double value : { frame.origin.x, frame.origin.y, frame.size.width, frame.size.height })
        if (!storableNumber(value))
            return Error { ErrorCode::InvalidArgument, "the rectangle's numbers must be finite and small enough to store as single precision" };
    if (frame.size.width <= 0 || frame.size.height <= 0)
        return Error { ErrorCode::InvalidArgument, "the width and height must be above 0" };
    return {};
}

Contents load()
{
    Contents contents;
    if (auto read = NSDictionary::dictionaryWithContentsOfFile(devicePath)) {
        contents.dictionary = alloc<NSMutableDictionary>(std::move(read->contents()));
        return contents;
    }
    contents.dictionary = alloc<NSMutableDictionary>();
    contents.unreadable = NSFileManager::defaultManager()->fileExistsAtPath(devicePath);
    return contents;
}

std::vector<SavedArea> list(const NSDictionary& dictionary) { return SavedAreaFormat::listRecords(dictionary.contents()); }

foundation::Result<SavedArea> add(Contents& contents, const std::string& name, CGRect frame)
{
    TRY(checkName(name));
    TRY(checkFrame(frame));
    std::string identifier = currentIdentifier();
    // A second add in the same millisecond replaces the first record.
    PlistValue record = SavedAreaFormat::makeRecord(identifier, name, frame);
    SavedArea area = SavedAreaFormat::readRecord(identifier, record);
    contents.dictionary->setObject(std::move(record), identifier);
    TRY(save(contents, identifier));
    return area;
}

foundation::Status remove(Contents& contents, const std::string& key)
{
    if (contents.unreadable)
        return Error { ErrorCode::UnreadableInput, std::string(devicePath) + " is not a saved-area file" };
    // By the key it is listed under, not by its "id" field: a hand-edited
    // record may lack one, or carry another record's.
    if (!contents.dictionary->objectForKey(key))
        return Error { ErrorCode::NotFound, "no saved area has the id " + key };
    contents.dictionary->removeObjectForKey(key);
    return save(contents, currentIdentifier());
}

foundation::Status setAsDefault(const SavedArea& area)
{
    auto whole = SavedAreaFormat::defaultRectangle(area);
    return MarqelPreferences::writeDefaultRectangle(CGRectMake(static_cast<double>(whole.x), static_cast<double>(whole.y),
        static_cast<double>(whole.width), static_cast<double>(whole.height)));
}

foundation::Status save(Contents& contents, const std::string& /*stamp*/)
{
    if (contents.unreadable && NSFileManager::defaultManager()->fileExistsAtPath(devicePath)) {
        auto host = DevicePath::toHost(devicePath);
        if (!host)
            return logged(host.code(), host.message());
        if (auto kept = foundation::keepUnreadableAside(host.value(), "not a saved-area file"); !kept)
            return logged(kept.code(), kept.message());
    }
    contents.unreadable = false;
    // The writer's own failure says what went wrong; errno after it may
    // belong to any later call.
    if (auto written = contents.dictionary->write(devicePath); !written)
        return logged(ErrorCode::WriteFailed, written.message());
    return {};
}

}  // namespace SavedAreaStore
