#pragma once

// What a photo library must be after any crash: a sound database whose rows
// and files match, no half-written file left once the next process has
// started, and every original recording either in the library or in
// Recently Deleted beside the cropped movie that replaced it.

#include "bench/reliability/CaseOutcome.h"
#include "platform/photos/Forward.h"

#include <set>
#include <string>

namespace reliability {

class LibraryCheck {
public:
    // The device root's media folder; checks open their own store.
    explicit LibraryCheck(std::string root);

    // The database alone, before any process has opened it since the crash.
    void checkDatabase(CaseOutcome&) const;
    // Rows, files and originals; remembers the originals it has seen, so a
    // later check notices one that went away.
    void checkContents(CaseOutcome&);
    // Temporaries anywhere the product writes them.
    int temporaries() const;
    // A movie the user imported: neither a recording nor the crop of one.
    void noteImported(const std::string& identifier) { m_imported.insert(identifier); }
    // The system recorder records the whole screen; anything smaller is a crop.
    static bool isOriginal(const photos::AssetRecord&);

private:
    std::string m_root;
    std::set<std::string> m_originals;
    std::set<std::string> m_imported;
};

}  // namespace reliability
