#pragma once

// Preference values as people type them, typed by the domain's key table.

#include "common/MarqelPreferences.h"
#include "platform/foundation/PropertyList.h"

#include <string>

namespace tools {

// Throws CommandError (status 2) naming the known keys.
const MarqelPreferences::KeyInfo& findKey(const std::string& name);
const char* kindName(MarqelPreferences::Kind kind);
// Throws CommandError (status 2) saying what the key takes.
PlistValue parseValue(const MarqelPreferences::KeyInfo& info, const std::string& text);

}  // namespace tools
