#pragma once

// The saved-area file. There is no store object: each operation loads the
// whole file, changes the loaded copy and writes the whole file back,
// atomically. The editor adds; the browser lists, removes, restores and
// makes a record the default; the `marqel areas` command does all of it
// through the same calls.

#include "platform/foundation/NSDictionary.h"
#include "platform/foundation/Result.h"
#include "tweak/savedareas/SavedAreaFormat.h"

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

// Adds a record named `name` with `frame` to loaded contents, under an
// identifier from the run loop's clock, and writes the whole file. An empty
// name adds and writes nothing.
foundation::Result<SavedArea> add(Contents& contents, const std::string& name, CGRect frame);
// Removes the record listed under `key` and writes the whole file. An
// unknown key, or a file that cannot be read, writes nothing.
foundation::Status remove(Contents& contents, const std::string& key);
// Writes the record's rectangle, in whole points truncated toward zero, to
// the four default-rectangle preferences. The file is not touched.
foundation::Status setAsDefault(const SavedArea& area);

// Writes the whole dictionary, keeping an unreadable file aside first. A
// failure is logged and leaves the old file whole. FIXME: `stamp` is unused.
foundation::Status save(Contents& contents, const std::string& stamp);

}  // namespace SavedAreaStore
