#pragma once

// The saved-area file. There is no store object: each operation loads the
// whole file, changes the loaded copy and writes the whole file back,
// atomically. The editor adds; the browser lists, removes, restores and
// makes a record the default; the `marqel areas` command does all of it
// through the same calls, so the rules on what may be stored hold for both.
// Every change holds the file's lock (the kit's ZRFileLock) from its load
// to its write, so the overlay and any number of commands may change the
// file at once and none loses another's change.

#include "common/MarqelPreferences.h"
#include "common/SavedAreaFormat.h"
#include "platform/foundation/NSDictionary.h"
#include "platform/foundation/Result.h"

#include <memory>
#include <string>
#include <vector>

namespace SavedAreaStore {

using SavedAreaFormat::SavedArea;

inline constexpr const char* devicePath = "/var/jb/vmo/Library/Preferences/MarqelSavedArea.plist";
// The largest file read or written. Far above any real use (14,000 ordinary
// records take about 4.4 MB), so no count of records or length of name is
// refused short of it; an add or save that would pass it writes nothing and
// says so, so the store never writes a file it would then refuse to read.
inline constexpr std::size_t maxFileBytes = std::size_t(64) << 20;

// The file as a load found it.
struct Contents {
    // Never null: empty when there is no file or it cannot be read.
    std::shared_ptr<NSMutableDictionary> dictionary;
    // A file is there that is not a property list with a dictionary at the
    // top. The next write keeps it aside instead of replacing it.
    bool unreadable = false;
    // Something is there that is not a file to read at all (a FIFO, a
    // folder) or that we may not read: no write goes near it.
    bool blocked = false;
    // Why the file cannot be read, when it cannot.
    std::string problem;
};

Contents load();
// The records in the dictionary's own order: the indexes the browser shows.
std::vector<SavedArea> list(const NSDictionary& dictionary);

// Why `name` cannot name an area, if it cannot: it is empty, or it is not
// text the file can keep for every reader (see SavedAreaFormat::isPlainText:
// strict UTF-8 without control characters or the noncharacters an XML
// property list cannot hold). Any other name is stored as typed, spaces
// and all.
foundation::Status checkName(const std::string& name);
// Why `frame` cannot be stored, if it cannot: a number that is not finite
// or too large for single precision, or a width or height that is not
// above 0 once kept to single precision. The origin may be negative (a box
// partly off screen).
foundation::Status checkFrame(CGRect frame);

// Adds a record named `name` with `frame` and writes the whole file. Under
// the lock, `contents` is loaded afresh (into the same dictionary object)
// and ends holding what was written. The identifier is the run loop's
// clock in milliseconds, or the next millisecond no record holds, so an add
// never replaces a record. A name or frame the checks above refuse adds and
// writes nothing (InvalidArgument), as does a record that would take the
// file past maxFileBytes.
foundation::Result<SavedArea> add(Contents& contents, const std::string& name, CGRect frame);
// Removes the record listed under `key` and writes the whole file; under
// the lock, as add. An unknown key, or a file that cannot be read, writes
// nothing.
foundation::Status remove(Contents& contents, const std::string& key);
// Writes the record's rectangle, in whole points truncated toward zero, to
// the four default-rectangle preferences in one write of the domain
// (MarqelPreferences::writeDefaultRectangle, which also says what it
// refuses). The file is not touched.
foundation::Result<MarqelPreferences::WholeRectangle> setAsDefault(const SavedArea& area);

// Writes `contents` as the whole file, under the lock, replacing whatever
// another writer put there since it was loaded, and keeping an unreadable
// file aside first. A failure is logged and leaves the old file whole.
// FIXME: `stamp` is unused.
foundation::Status save(Contents& contents, const std::string& stamp);

}  // namespace SavedAreaStore
