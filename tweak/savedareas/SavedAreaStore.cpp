#include "tweak/savedareas/SavedAreaStore.h"

#include "platform/foundation/DevicePath.h"
#include "platform/foundation/NSLog.h"
#include "platform/foundation/NSObjects.h"
#include "platform/foundation/UnreadableFile.h"
#include "tweak/core/MarqelPreferences.h"

#include <cerrno>
#include <cstring>
#include <filesystem>

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

}  // namespace

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
    if (name.empty())
        return Error { ErrorCode::InvalidArgument, "an area needs a name" };
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
    namespace P = MarqelPreferences;
    auto whole = SavedAreaFormat::defaultRectangle(area);
    auto manager = P::manager();
    bool written = manager->setFloat(whole.x, P::defaultX.name, P::domain);
    written = manager->setFloat(whole.y, P::defaultY.name, P::domain) && written;
    written = manager->setFloat(whole.width, P::defaultWidth.name, P::domain) && written;
    written = manager->setFloat(whole.height, P::defaultHeight.name, P::domain) && written;
    if (!written)
        return Error { ErrorCode::WriteFailed, "could not write the default rectangle preferences" };
    return {};
}

foundation::Status save(Contents& contents, const std::string& /*stamp*/)
{
    if (contents.unreadable && NSFileManager::defaultManager()->fileExistsAtPath(devicePath)) {
        if (auto kept = foundation::keepUnreadableAside(DevicePath::host(devicePath), "not a saved-area file"); !kept)
            return logged(kept.code(), kept.message());
    }
    contents.unreadable = false;
    errno = 0;
    if (!contents.dictionary->writeToFile(devicePath, true)) {
        int cause = errno;
        return logged(ErrorCode::WriteFailed, cause ? std::strerror(cause) : "the file could not be written");
    }
    return {};
}

}  // namespace SavedAreaStore
