#include "common/SavedAreaFormat.h"

#include <algorithm>
#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <unicode/ustring.h>
#include <unicode/utf8.h>

namespace SavedAreaFormat {

namespace {

// The largest doubles that still convert to a signed 64-bit integer.
constexpr double wholeLimit = 9.0e18;

std::int64_t truncatedToWhole(double value)
{
    if (std::isnan(value))
        return 0;
    return static_cast<std::int64_t>(std::clamp(std::trunc(value), -wholeLimit, wholeLimit));
}

// What floatValue gives for a stored number; other kinds read as 0.
double numberEntry(const PlistDict& record, const char* key)
{
    const PlistValue* value = record.find(key);
    if (!value)
        return 0;
    if (auto* real = value->get<double>())
        return narrowed(*real);
    if (auto* whole = value->get<std::int64_t>())
        return narrowed(static_cast<double>(*whole));
    if (auto* flag = value->get<bool>())
        return *flag ? 1 : 0;
    return 0;
}

std::string stringEntry(const PlistDict& record, const char* key)
{
    const PlistValue* value = record.find(key);
    if (!value)
        return {};
    if (auto* text = value->get<std::string>())
        return *text;
    return {};
}

}  // namespace

std::string identifierFor(double secondsSince1970)
{
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%" PRId64, truncatedToWhole(secondsSince1970 * 1000.0));
    return buffer;
}

double narrowed(double value) { return static_cast<double>(static_cast<float>(value)); }

PlistDict makeRecord(const std::string& identifier, const std::string& name, CGRect frame)
{
    PlistDict record;
    record.set(idKey, identifier);
    record.set(nameKey, name);
    record.set(xKey, narrowed(frame.origin.x));
    record.set(yKey, narrowed(frame.origin.y));
    record.set(widthKey, narrowed(frame.size.width));
    record.set(heightKey, narrowed(frame.size.height));
    return record;
}

SavedArea readRecord(const std::string& key, const PlistValue& value)
{
    SavedArea area;
    area.key = key;
    const auto* record = value.get<PlistDict>();
    if (!record)
        return area;
    area.identifier = stringEntry(*record, idKey);
    area.name = stringEntry(*record, nameKey);
    area.x = numberEntry(*record, xKey);
    area.y = numberEntry(*record, yKey);
    area.width = numberEntry(*record, widthKey);
    area.height = numberEntry(*record, heightKey);
    return area;
}

std::vector<SavedArea> listRecords(const PlistDict& dictionary)
{
    std::vector<SavedArea> list;
    list.reserve(dictionary.size());
    for (const auto& [key, value] : dictionary)
        list.push_back(readRecord(key, value));
    return list;
}

CGRect rectangle(const SavedArea& area) { return CGRectMake(area.x, area.y, area.width, area.height); }

std::string frameText(const SavedArea& area)
{
    char buffer[256];
    std::snprintf(buffer, sizeof buffer, "X:%.f, Y:%.f, W:%.f, H:%.f", area.x, area.y, area.width, area.height);
    return buffer;
}

std::string iconLetter(const std::string& name)
{
    // The icon is named after the name's first UTF-16 unit made lower case,
    // by Unicode's rules: "Élan" gives "é", a KELVIN SIGN gives "k".
    int32_t offset = 0;
    UChar32 first = 0;
    U8_NEXT(reinterpret_cast<const uint8_t*>(name.data()), offset, static_cast<int32_t>(name.size()), first);
    // Nothing, a broken sequence, or a character outside the basic plane,
    // whose first unit is half a surrogate pair and names no symbol.
    if (first <= 0 || first > 0xFFFF)
        return {};
    UChar unit = static_cast<UChar>(first);
    UChar lower[8];
    UErrorCode status = U_ZERO_ERROR;
    int32_t lowerLength = u_strToLower(lower, 8, &unit, 1, "", &status);
    if (U_FAILURE(status))
        return {};
    char utf8[32];
    int32_t utf8Length = 0;
    u_strToUTF8(utf8, sizeof utf8, &utf8Length, lower, lowerLength, &status);
    if (U_FAILURE(status))
        return {};
    return std::string(utf8, static_cast<std::size_t>(utf8Length));
}

namespace {

// The length of the character starting at `at` when it is one isPlainText
// keeps; 0 otherwise.
std::size_t plainCharacterAt(std::string_view text, std::size_t at)
{
    auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    unsigned char lead = byte(at);
    if (lead < 0x80)
        return lead >= 0x20 && lead != 0x7F ? 1 : 0;
    std::size_t length = 0;
    char32_t scalar = 0;
    if (lead >= 0xC2 && lead <= 0xDF)
        length = 2, scalar = lead & 0x1F;
    else if (lead >= 0xE0 && lead <= 0xEF)
        length = 3, scalar = lead & 0x0F;
    else if (lead >= 0xF0 && lead <= 0xF4)
        length = 4, scalar = lead & 0x07;
    else
        return 0;  // a continuation byte, an overlong lead (C0, C1) or beyond U+10FFFF (F5 up)
    if (at + length > text.size())
        return 0;
    for (std::size_t k = 1; k < length; ++k) {
        if ((byte(at + k) & 0xC0) != 0x80)
            return 0;
        scalar = (scalar << 6) | (byte(at + k) & 0x3F);
    }
    constexpr char32_t smallest[] = { 0, 0, 0x80, 0x800, 0x10000 };
    if (scalar < smallest[length] || scalar > 0x10FFFF)
        return 0;  // overlong, or beyond Unicode
    if ((scalar >= 0xD800 && scalar <= 0xDFFF) || scalar == 0xFFFE || scalar == 0xFFFF)
        return 0;  // a surrogate, or a noncharacter XML refuses
    if (scalar >= 0x80 && scalar <= 0x9F)
        return 0;  // C1 controls
    return length;
}

}  // namespace

bool isPlainText(std::string_view text)
{
    for (std::size_t at = 0; at < text.size();) {
        std::size_t length = plainCharacterAt(text, at);
        if (length == 0)
            return false;
        at += length;
    }
    return true;
}

std::string listedText(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t at = 0; at < text.size();) {
        if (text[at] == '\\') {
            out += "\\\\";
            ++at;
        } else if (std::size_t length = plainCharacterAt(text, at)) {
            out.append(text, at, length);
            at += length;
        } else {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02x", static_cast<unsigned char>(text[at]));
            out += escaped;
            ++at;
        }
    }
    return out;
}

}  // namespace SavedAreaFormat
