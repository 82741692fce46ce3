#pragma once

// The kit's preference manager. One property-list file per domain at
// "/var/mobile/Library/Preferences/<domain>.plist". Nothing is cached: every
// read opens the file, so a write by any process is seen by the next read.
// Writes lock the domain for the whole read-modify-write and replace the file
// atomically, so two processes writing different keys lose neither write.
// A file that is there but not a readable dictionary reads as all defaults;
// the next write keeps it beside the new one as "<name>.unreadable-<time>"
// (and says so in the system log) instead of writing over it.

#include "platform/foundation/Forward.h"
#include "platform/foundation/Result.h"
#include "platform/runtime/ClassBuilder.h"
#include "platform/uikit/Forward.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class ZRPrefsManager : public Object {
    MARQEL_OBJECT(ZRPrefsManager, Object)
public:
    static std::shared_ptr<ZRPrefsManager> sharedInstance();
    static std::string devicePathForDomain(const std::string& domain);

    bool boolForKey(const std::string& key, bool defaultValue, const std::string& ID) const;
    std::int64_t integerForKey(const std::string& key, std::int64_t defaultValue, const std::string& ID) const;
    // Rectangle numbers cross as whole numbers; a fractional stored value is
    // truncated toward zero.
    std::int64_t floatForKey(const std::string& key, std::int64_t defaultValue, const std::string& ID) const;
    std::shared_ptr<UIColor> colourForKey(const std::string& key, const std::string& defaultColour, const std::string& ID) const;
    // The kit's published setters answer only whether the write took, as
    // their selectors always have; code of ours writes through writeValue.
    bool setBool(bool value, const std::string& key, const std::string& ID) const;
    bool setFloat(std::int64_t value, const std::string& key, const std::string& ID) const;

    // The raw stored value, for tools; nullopt when the key is not set.
    std::optional<PlistValue> valueForKey(const std::string& key, const std::string& ID) const;
    // Stores one value, saying why when it cannot.
    foundation::Status writeValue(const PlistValue& value, const std::string& key, const std::string& ID) const;
    // Stores every entry of `values` in one write of the domain, so a reader
    // of the file sees all of them or none, and a writer of the same keys in
    // another process lands wholly before or after.
    foundation::Status writeValues(const PlistDict& values, const std::string& ID) const;
    // Fails, saying why, when the domain file is there and cannot be read
    // as a dictionary; a missing file is readable (all defaults).
    foundation::Status readable(const std::string& ID) const;
    // The unreadable domain files set aside by earlier writes, oldest first.
    std::vector<std::string> keptUnreadableFiles(const std::string& ID) const;
    // The stored colour in its kept form (see zr::colourText), else the
    // default as given.
    std::string colourHexForKey(const std::string& key, const std::string& defaultColour, const std::string& ID) const;
};
