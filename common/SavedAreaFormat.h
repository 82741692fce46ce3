#pragma once

// The saved-area file's record layout and its arithmetic, without files or
// views: how a record is built from a name and a rectangle, how a record is
// read back (whatever a hand edit left in it), and the texts shown for it.

#include "platform/foundation/CGGeometry.h"
#include "platform/foundation/PropertyList.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace SavedAreaFormat {

inline constexpr const char* idKey = "id";
inline constexpr const char* nameKey = "areaName";
inline constexpr const char* xKey = "areaX";
inline constexpr const char* yKey = "areaY";
inline constexpr const char* widthKey = "areaWidth";
inline constexpr const char* heightKey = "areaHeight";

// One record as every reader sees it: numbers already narrowed to single
// precision (and widened back), missing or mistyped parts read as empty or 0.
struct SavedArea {
    // The top-level key the record is stored under; removal goes by this.
    std::string key;
    // The record's own "id" field; empty when it is missing or not a string.
    std::string identifier;
    std::string name;
    double x = 0;
    double y = 0;
    double width = 0;
    double height = 0;
    bool operator==(const SavedArea&) const = default;
};

// Creation time in whole milliseconds since 1970, as "%lld". Times beyond
// what a signed 64-bit count of milliseconds holds are clamped, not wrapped.
std::string identifierFor(double secondsSince1970);
// A number as it is stored: narrowed to float.
double narrowed(double value);
// The six entries of a new record, in the order they are written.
PlistDict makeRecord(const std::string& identifier, const std::string& name, CGRect frame);

// Reads one top-level entry. Never fails: a value that is not a dictionary
// lists with an empty name and a zero rectangle.
SavedArea readRecord(const std::string& key, const PlistValue& value);
// Every record in the dictionary's own order.
std::vector<SavedArea> listRecords(const PlistDict& dictionary);

// What putting a record back into the editor sets the box to.
CGRect rectangle(const SavedArea& area);
// "X:%.f, Y:%.f, W:%.f, H:%.f": each number rounded to whole points.
std::string frameText(const SavedArea& area);
// The first UTF-16 unit of the name, lower-cased, as UTF-8; empty for an
// empty name or a first character outside the basic plane (no symbol has
// half a surrogate pair in its name). Only ASCII letters change case: no
// symbol name starts with any other letter.
std::string iconLetter(const std::string& name);

// Whether `text` is text every reader of an XML property list takes back:
// strict UTF-8 (no stray or missing continuation byte, no overlong form, no
// surrogate, nothing above U+10FFFF), without the noncharacters U+FFFE and
// U+FFFF that XML refuses, and without control characters (C0, DEL, C1),
// which no one types into a name and which a terminal would act on.
bool isPlainText(std::string_view text);
// `text` for a line of a listing: what isPlainText refuses is shown as
// "\xNN" per byte, a backslash as "\\"; everything else as it stands, so a
// hand-edited file can neither break a line's columns nor drive the
// terminal. Plain text without a backslash comes back unchanged.
std::string listedText(std::string_view text);

}  // namespace SavedAreaFormat
