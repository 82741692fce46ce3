#include "platform/foundation/PlistInputChecks.h"
#include "platform/foundation/PropertyList.h"

#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <plist/plist.h>

namespace plist {
namespace {

using detail::tooDeep;

// libplist dates count from 2001-01-01.
constexpr double appleEpochOffset = 978307200.0;

// libplist's own tree is bounded by the scan before parsing; this bound
// keeps the conversion safe whatever that scan missed.
foundation::Result<PlistValue> fromNode(plist_t node, int depth)
{
    if (depth > maxNestingDepth)
        return tooDeep();
    switch (plist_get_node_type(node)) {
    case PLIST_BOOLEAN: {
        uint8_t v = 0;
        plist_get_bool_val(node, &v);
        return PlistValue(v != 0);
    }
    case PLIST_UINT: {
        uint64_t v = 0;
        plist_get_uint_val(node, &v);
        return PlistValue(static_cast<std::int64_t>(v));
    }
    case PLIST_REAL: {
        double v = 0;
        plist_get_real_val(node, &v);
        return PlistValue(v);
    }
    case PLIST_STRING: {
        // A binary list may store a NUL inside a string: libplist's copying
        // getter asserts on it, and no XML file could hold it anyway.
        uint64_t length = 0;
        const char* v = plist_get_string_ptr(node, &length);
        if (!v)
            return PlistValue(std::string());
        if (std::memchr(v, '\0', length))
            return foundation::Error { foundation::ErrorCode::UnreadableInput, "a string holds a NUL byte" };
        return PlistValue(std::string(v, length));
    }
    case PLIST_DATE: {
        int32_t sec = 0, usec = 0;
        plist_get_date_val(node, &sec, &usec);
        return PlistValue(PlistDate { sec + usec / 1e6 + appleEpochOffset });
    }
    case PLIST_DATA: {
        char* v = nullptr;
        uint64_t length = 0;
        plist_get_data_val(node, &v, &length);
        PlistData data;
        data.bytes.assign(v, v + length);
        free(v);
        return PlistValue(std::move(data));
    }
    case PLIST_ARRAY: {
        PlistArray array;
        const uint32_t size = plist_array_get_size(node);
        array.reserve(size);
        for (uint32_t i = 0; i < size; ++i)
            array.push_back(TRY(fromNode(plist_array_get_item(node, i), depth + 1)));
        return PlistValue(std::move(array));
    }
    case PLIST_DICT: {
        PlistDict dict;
        plist_dict_iter iter = nullptr;
        plist_dict_new_iter(node, &iter);
        for (;;) {
            char* key = nullptr;
            plist_t value = nullptr;
            plist_dict_next_item(node, iter, &key, &value);
            if (!key)
                break;
            auto item = fromNode(value, depth + 1);
            if (!item) {
                free(key);
                free(iter);
                return item.error();
            }
            dict.set(key, item.release());
            free(key);
        }
        free(iter);
        return PlistValue(std::move(dict));
    }
    default:
        return PlistValue();
    }
}

plist_t toNode(const PlistValue& value)
{
    if (auto* v = value.get<bool>())
        return plist_new_bool(*v);
    if (auto* v = value.get<std::int64_t>())
        return plist_new_uint(static_cast<uint64_t>(*v));  // libplist keeps the bits; negatives round-trip
    if (auto* v = value.get<double>())
        return plist_new_real(*v);
    if (auto* v = value.get<std::string>())
        return plist_new_string(v->c_str());
    if (auto* v = value.get<PlistDate>()) {
        // libplist holds whole seconds since 2001 in 32 bits: a date past
        // that (a corrupt file's, read back and saved) is written as the
        // nearest one it can hold, not converted out of range.
        double t = v->secondsSince1970 - appleEpochOffset;
        if (!(t >= INT32_MIN))
            t = INT32_MIN;
        if (t > INT32_MAX)
            t = INT32_MAX;
        const double whole = std::floor(t);
        return plist_new_date(static_cast<int32_t>(whole), static_cast<int32_t>((t - whole) * 1e6));
    }
    if (auto* v = value.get<PlistData>())
        return plist_new_data(reinterpret_cast<const char*>(v->bytes.data()), v->bytes.size());
    if (auto* v = value.get<PlistArray>()) {
        plist_t array = plist_new_array();
        for (const auto& item : *v)
            plist_array_append_item(array, toNode(item));
        return array;
    }
    if (auto* v = value.get<PlistDict>()) {
        plist_t dict = plist_new_dict();
        for (const auto& [key, item] : *v)
            plist_dict_set_item(dict, key.c_str(), toNode(item));
        return dict;
    }
    return plist_new_string("");
}

}  // namespace

foundation::Result<PlistValue> parse(const std::string& bytes, std::size_t limit)
{
    using foundation::Error;
    using foundation::ErrorCode;
    if (bytes.empty())
        return Error { ErrorCode::UnreadableInput, "an empty file is not a property list" };
    if (bytes.size() > limit)
        return Error { ErrorCode::UnreadableInput,
            "larger than the " + std::to_string(limit / (1024 * 1024)) + " MB a property list may be (" + std::to_string(bytes.size()) + " bytes)" };
    plist_t root = nullptr;
    if (bytes.starts_with("bplist00")) {
        TRY(detail::checkBinaryDepth(bytes));
        TRY(detail::checkBinaryStrings(bytes));
        plist_from_memory(bytes.data(), static_cast<uint32_t>(bytes.size()), &root);
    } else {
        std::string xml = TRY(detail::prepareXML(bytes));
        plist_from_memory(xml.data(), static_cast<uint32_t>(xml.size()), &root);
    }
    if (!root)
        return Error { ErrorCode::UnreadableInput, "not a property list" };
    auto value = fromNode(root, 0);
    plist_free(root);
    return value;
}

std::string toXML(const PlistValue& value)
{
    plist_t node = toNode(value);
    char* xml = nullptr;
    uint32_t length = 0;
    plist_to_xml(node, &xml, &length);
    std::string out(xml ? xml : "", length);
    plist_to_xml_free(xml);
    plist_free(node);
    return out;
}

}  // namespace plist
