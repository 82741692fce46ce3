#pragma once

// The saved-area file. There is no store object: each operation loads the
// whole file, changes the loaded copy and writes the whole file back,
// atomically. The editor adds; the browser lists, removes, restores and
// makes a record the default; the `marqel areas` command does all of it
// through the same calls, so the rules on what may be stored hold for both.

#include "common/SavedAreaFormat.h"
#include "platform/foundation/NSDictionary.h"
#include "platform/foundation/Result.h"

#include <memory>
#include <string>
#include <vector>

namespace SavedAreaStore {

using SavedAreaFormat::SavedArea;

inline constexpr const char* devicePath = "/var/jb/vmo/Library/Preferences/MarqelSavedArea.plist";

// The file as a load found it.
struct Contents {
    // Never null: empty when there is no file or it cannot be read.
    std::shared_ptr<NSMutableDictionary> dictionary;
    // A file is there that is not a property list with a dictionary at the
    // top. The next write keeps it aside instead of replacing it.
    bool unreadable = false;
};

Contents load();
// The records in the dictionary's own order: the indexes the browser shows.
std::vector<SavedArea> list(const NSDictionary& dictionary);

// Why `name` cannot name an area, if it cannot: it is empty, or it holds
// text the file cannot keep for every reader (a control character, which
// an XML property list cannot hold, or bytes that are not UTF-8). Any other
// name is stored as typed, spaces and all.
foundation::Status checkName(const std::string& name);
// Why `frame` cannot be stored, if it cannot: a number that is not finite
// or too large for single precision, or a width or height that is not
// above 0. The origin may be negative (a box partly off screen).
foundation::Status checkFrame(CGRect frame);

// Adds a record named `name` with `frame` to loaded contents, under an
// identifier from the run loop's clock, and writes the whole file. A name or
// frame the checks above refuse adds and writes nothing (InvalidArgument).
foundation::Result<SavedArea> add(Contents& contents, const std::string& name, CGRect frame);
// Removes the record listed under `key` and writes the whole file. An
// unknown key, or a file that cannot be read, writes nothing.
foundation::Status remove(Contents& contents, const std::string& key);
// Writes the record's rectangle, in whole points truncated toward zero, to
// the four default-rectangle preferences. The file is not touched. Every
// write is tried; the failure names each key that was not written and why.
foundation::Status setAsDefault(const SavedArea& area);

// Writes the whole dictionary, keeping an unreadable file aside first. A
// failure is logged and leaves the old file whole. FIXME: `stamp` is unused.
foundation::Status save(Contents& contents, const std::string& stamp);

}  // namespace SavedAreaStore
