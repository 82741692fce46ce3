#include "common/SavedAreaFormat.h"

#include <algorithm>
#include <cinttypes>
#include <cmath>
#include <cstdio>

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
    if (name.empty())
        return {};
    auto lead = static_cast<unsigned char>(name[0]);
    if (lead < 0x80)
        return std::string(1, static_cast<char>(lead >= 'A' && lead <= 'Z' ? lead - 'A' + 'a' : lead));
    // A UTF-8 sequence of two or three bytes is one unit of the basic plane;
    // four bytes would be a surrogate pair.
    std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3
        : lead >= 0xC0                                   ? 2
                                                         : 0;
    if (length == 0 || length == 4 || name.size() < length)
        return {};
    return name.substr(0, length);
}

DefaultRectangle defaultRectangle(const SavedArea& area)
{
    return { truncatedToWhole(area.x), truncatedToWhole(area.y), truncatedToWhole(area.width), truncatedToWhole(area.height) };
}

}  // namespace SavedAreaFormat
