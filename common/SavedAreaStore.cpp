#include "common/SavedAreaStore.h"

#include "common/MarqelPreferences.h"
#include "kit/ZRFileLock.h"
#include "platform/foundation/AtomicFile.h"
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

// Every writer of the file holds its lock from its load to its write (the
// kit's lock, as the preference domain's writers take it).
foundation::Result<ZRFileLock> lockFile()
{
    auto host = DevicePath::toHost(devicePath);
    if (!host)
        return logged(ErrorCode::WriteFailed, host.message());
    if (auto made = DevicePath::makeParents(devicePath); !made)
        return logged(ErrorCode::WriteFailed, made.message());
    auto lock = ZRFileLock::acquire(host.value());
    if (!lock)
        return logged(ErrorCode::WriteFailed, lock.message());
    return lock;
}

// The file as it is now, under the lock, into the caller's own dictionary
// object (the editor keeps it as its mutableDict).
void reload(Contents& contents)
{
    Contents fresh = load();
    contents.unreadable = fresh.unreadable;
    contents.blocked = fresh.blocked;
    contents.problem = std::move(fresh.problem);
    if (contents.dictionary)
        contents.dictionary->contents() = std::move(fresh.dictionary->contents());
    else
        contents.dictionary = std::move(fresh.dictionary);
}

// Writes the whole dictionary, keeping an unreadable file aside first;
// the caller holds the lock.
foundation::Status write(Contents& contents)
{
    if (contents.blocked)
        return logged(ErrorCode::WriteFailed, contents.problem);
    auto host = DevicePath::toHost(devicePath);
    if (!host)
        return logged(host.code(), host.message());
    // Judged on the very bytes to be written, before anything is touched.
    const std::string xml = plist::toXML(PlistValue(contents.dictionary->contents()));
    if (xml.size() > maxFileBytes)
        return logged(ErrorCode::InvalidArgument,
            "the saved areas would take " + std::to_string(xml.size()) + " bytes, past the "
                + std::to_string(maxFileBytes >> 20) + " MB their file may hold; nothing was saved (remove areas you no longer need, or use a shorter name)");
    if (contents.unreadable && NSFileManager::defaultManager()->fileExistsAtPath(devicePath)) {
        if (auto kept = foundation::keepUnreadableAside(host.value(), "not a saved-area file"); !kept)
            return logged(kept.code(), kept.message());
    }
    contents.unreadable = false;
    contents.problem.clear();
    // The writer's own failure says what went wrong; errno after it may
    // belong to any later call.
    if (auto written = foundation::writeFileAtomically(host.value(), xml, 0644); !written)
        return logged(ErrorCode::WriteFailed, written.message());
    return {};
}

bool storableNumber(double value) { return std::isfinite(value) && std::fabs(value) <= std::numeric_limits<float>::max(); }

}  // namespace

foundation::Status checkName(const std::string& name)
{
    if (name.empty())
        return Error { ErrorCode::InvalidArgument, "an area needs a name" };
    if (!SavedAreaFormat::isPlainText(name))
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
    // 1e-50 is above 0, but single precision keeps it as 0: a box of nothing.
    if (SavedAreaFormat::narrowed(frame.size.width) <= 0 || SavedAreaFormat::narrowed(frame.size.height) <= 0)
        return Error { ErrorCode::InvalidArgument, "the width and height must stay above 0 in single precision (at least about 1.4e-45)" };
    return {};
}

Contents load()
{
    Contents contents;
    contents.dictionary = alloc<NSMutableDictionary>();
    auto host = DevicePath::toHost(devicePath);
    if (!host) {
        contents.unreadable = contents.blocked = true;
        contents.problem = host.message();
        return contents;
    }
    auto read = plist::readFile(host.value(), maxFileBytes);
    if (read && read.value().is<PlistDict>()) {
        contents.dictionary->contents() = std::move(*read.value().get<PlistDict>());
        return contents;
    }
    if (!read && read.code() == ErrorCode::NotFound)
        return contents;
    contents.unreadable = true;
    contents.problem = read ? host.value() + ": the top is not a dictionary" : read.message();
    // Damaged content is kept aside by the next write; anything else there
    // (a FIFO, a folder, a file we may not read) is never written over.
    contents.blocked = !read ? read.code() != ErrorCode::UnreadableInput : false;
    return contents;
}

std::vector<SavedArea> list(const NSDictionary& dictionary) { return SavedAreaFormat::listRecords(dictionary.contents()); }

foundation::Result<SavedArea> add(Contents& contents, const std::string& name, CGRect frame)
{
    TRY(checkName(name));
    TRY(checkFrame(frame));
    auto lock = TRY(lockFile());
    reload(contents);
    // The creation time, or the first millisecond after it that no record
    // holds: an add in the same millisecond as another (the other process
    // of two, say) would otherwise replace a record that was reported saved.
    std::string identifier = currentIdentifier();
    while (contents.dictionary->objectForKey(identifier))
        identifier = std::to_string(std::stoll(identifier) + 1);
    PlistValue record = SavedAreaFormat::makeRecord(identifier, name, frame);
    SavedArea area = SavedAreaFormat::readRecord(identifier, record);
    contents.dictionary->setObject(std::move(record), identifier);
    TRY(write(contents));
    return area;
}

foundation::Status remove(Contents& contents, const std::string& key)
{
    // No file, no record; and no lock file is made where there is no folder.
    if (!NSFileManager::defaultManager()->fileExistsAtPath(devicePath))
        return Error { ErrorCode::NotFound, "no saved area has the id " + key };
    auto lock = TRY(lockFile());
    reload(contents);
    if (contents.unreadable)
        return Error { ErrorCode::UnreadableInput, std::string(devicePath) + " is not a saved-area file" };
    // By the key it is listed under, not by its "id" field: a hand-edited
    // record may lack one, or carry another record's.
    if (!contents.dictionary->objectForKey(key))
        return Error { ErrorCode::NotFound, "no saved area has the id " + key };
    contents.dictionary->removeObjectForKey(key);
    return write(contents);
}

foundation::Result<MarqelPreferences::WholeRectangle> setAsDefault(const SavedArea& area)
{
    return MarqelPreferences::writeDefaultRectangle(SavedAreaFormat::rectangle(area));
}

foundation::Status save(Contents& contents, const std::string& /*stamp*/)
{
    auto lock = TRY(lockFile());
    return write(contents);
}

}  // namespace SavedAreaStore
