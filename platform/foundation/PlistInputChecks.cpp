#include "platform/foundation/PlistInputChecks.h"

#include "platform/foundation/PropertyList.h"

#include <cctype>
#include <charconv>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace plist::detail {

foundation::Error tooDeep()
{
    return foundation::Error { foundation::ErrorCode::UnreadableInput,
        "nested deeper than " + std::to_string(maxNestingDepth) + " arrays and dictionaries" };
}

namespace {

// Whether an integer's text names a value of 64 signed bits. Anything that is
// not plain decimal is left for libplist to judge.
bool integerFitsOrIsNotDecimal(std::string_view text)
{
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front())))
        text.remove_prefix(1);
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())))
        text.remove_suffix(1);
    bool negative = !text.empty() && (text.front() == '-' || text.front() == '+');
    std::string_view digits = negative ? text.substr(1) : text;
    if (digits.empty() || digits.find_first_not_of("0123456789") != std::string_view::npos || (digits.size() > 1 && digits[0] == '0'))
        return true;
    std::int64_t value = 0;
    auto [end, error] = std::from_chars(text.data() + (text.front() == '+' ? 1 : 0), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size();
}

}  // namespace

// One pass over XML before libplist sees it: refuses nesting past the bound
// (libplist's own free recurses) and turns integers beyond 64 bits, which
// libplist would silently wrap to -1 or worse, into reals.
foundation::Result<std::string> prepareXML(const std::string& bytes)
{
    static constexpr std::string_view openInteger = "<integer>", closeInteger = "</integer>";
    std::string out;
    bool rewritten = false;
    std::size_t copied = 0;
    int depth = 0;
    for (std::size_t i = bytes.find('<'); i != std::string::npos; i = bytes.find('<', i + 1)) {
        std::string_view rest(bytes.data() + i, bytes.size() - i);
        if (rest.starts_with("<!--")) {
            i = bytes.find("-->", i);
            if (i == std::string::npos)
                break;
            continue;
        }
        if (rest.starts_with("<![CDATA[")) {
            i = bytes.find("]]>", i);
            if (i == std::string::npos)
                break;
            continue;
        }
        auto isTag = [&](std::string_view name) {
            return rest.size() > name.size() && rest.substr(0, name.size()) == name
                && (rest[name.size()] == '>' || std::isspace(static_cast<unsigned char>(rest[name.size()])));
        };
        if (isTag("<array") || isTag("<dict")) {
            std::size_t close = bytes.find('>', i);
            if (close != std::string::npos && bytes[close - 1] != '/' && ++depth > maxNestingDepth)
                return tooDeep();
        } else if (isTag("</array") || isTag("</dict")) {
            --depth;
        } else if (rest.starts_with(openInteger)) {
            std::size_t start = i + openInteger.size();
            std::size_t end = bytes.find(closeInteger, start);
            if (end == std::string::npos)
                break;
            if (!integerFitsOrIsNotDecimal(std::string_view(bytes.data() + start, end - start))) {
                out.append(bytes, copied, i - copied);
                out += "<real>";
                out.append(bytes, start, end - start);
                out += "</real>";
                copied = end + closeInteger.size();
                rewritten = true;
            }
            i = end;
        }
    }
    if (!rewritten)
        return bytes;
    out.append(bytes, copied, std::string::npos);
    return out;
}

namespace {

// A binary property list's object table as its trailer describes it, read
// without trusting it: the two checks below walk it before libplist does.
struct BinaryTable {
    const std::string& bytes;
    std::uint64_t trailer = 0, count = 0, top = 0, table = 0;
    unsigned offsetSize = 0, refSize = 0;

    // Nothing when the trailer is too malformed to walk; libplist refuses
    // such a file itself.
    static std::optional<BinaryTable> read(const std::string& bytes)
    {
        if (bytes.size() < 8 + 32)
            return std::nullopt;
        BinaryTable t { bytes };
        t.trailer = bytes.size() - 32;
        t.offsetSize = t.byteAt(t.trailer + 6);
        t.refSize = t.byteAt(t.trailer + 7);
        t.count = t.number(t.trailer + 8, 8);
        t.top = t.number(t.trailer + 16, 8);
        t.table = t.number(t.trailer + 24, 8);
        if (t.offsetSize < 1 || t.offsetSize > 8 || t.count > bytes.size() || t.table >= t.trailer
            || (t.trailer - t.table) / t.offsetSize < t.count)
            return std::nullopt;
        return t;
    }
    std::uint8_t byteAt(std::uint64_t at) const { return static_cast<std::uint8_t>(bytes[at]); }
    std::uint64_t number(std::uint64_t at, unsigned size) const
    {
        std::uint64_t v = 0;
        for (unsigned k = 0; k < size; ++k)
            v = (v << 8) | byteAt(at + k);
        return v;
    }
    std::uint64_t offsetOf(std::uint64_t object) const { return number(table + object * offsetSize, offsetSize); }
    // The length in the marker at `at` (its low nibble, or the integer after
    // it when that is 0xF); `at` moves on to the contents. False when the
    // length runs past the table.
    bool length(std::uint64_t& at, std::uint64_t& length) const
    {
        length = byteAt(at) & 0xF;
        at += 1;
        if (length != 0xF)
            return true;
        if (at >= trailer || (byteAt(at) >> 4) != 0x1)
            return false;
        const unsigned size = 1u << (byteAt(at) & 0xF);
        if (size > 8 || at + 1 + size > trailer)
            return false;
        length = number(at + 1, size);
        at += 1 + size;
        return true;
    }
};

}  // namespace

// Strings and dictionary keys holding a NUL: libplist's getters assert on
// them (its copy stops at the NUL, its length does not), which would take
// the process down, and no XML file could hold one anyway.
foundation::Status checkBinaryStrings(const std::string& bytes)
{
    const auto table = BinaryTable::read(bytes);
    if (!table)
        return {};
    const BinaryTable& t = *table;
    for (std::uint64_t object = 0; object < t.count; ++object) {
        std::uint64_t at = t.offsetOf(object);
        if (at >= t.trailer)
            continue;
        const unsigned kind = t.byteAt(at) >> 4;
        std::uint64_t length = 0;
        if ((kind != 0x5 && kind != 0x6) || !t.length(at, length))
            continue;
        const unsigned unit = kind == 0x6 ? 2 : 1;
        if (length > (t.trailer - at) / unit)
            continue;
        for (std::uint64_t i = 0; i < length; ++i) {
            if (t.byteAt(at + i * unit) == 0 && (unit == 1 || t.byteAt(at + i * unit + 1) == 0))
                return foundation::Error { foundation::ErrorCode::UnreadableInput, "a string holds a NUL byte" };
        }
    }
    return {};
}

// The nesting depth of a binary property list, from its object table,
// without recursion: each object's depth once (shared objects are not walked
// twice), a cycle counting as too deep. Malformed tables are left for
// libplist to refuse.
foundation::Status checkBinaryDepth(const std::string& bytes)
{
    const auto table = BinaryTable::read(bytes);
    if (!table || table->refSize < 1 || table->refSize > 8 || table->top >= table->count)
        return {};
    const BinaryTable& t = *table;
    const std::uint64_t trailer = t.trailer, count = t.count, top = t.top;
    const unsigned refSize = t.refSize;
    // The references an array or dictionary holds: where they start, how many.
    auto children = [&](std::uint64_t object, std::uint64_t& first, std::uint64_t& n) {
        std::uint64_t at = t.offsetOf(object);
        if (at >= trailer)
            return false;
        std::uint8_t marker = t.byteAt(at);
        unsigned kind = marker >> 4;
        if (kind != 0xA && kind != 0xC && kind != 0xD)
            return false;
        if (!t.length(at, n))
            return false;
        if (kind == 0xD)
            n *= 2;
        if (n > (trailer - at) / refSize)
            return false;
        first = at;
        return true;
    };
    enum : std::uint8_t { Unseen,
        Open,
        Done };
    std::vector<std::uint8_t> state(count, Unseen);
    struct Frame {
        std::uint64_t first, n, next;
    };
    std::vector<Frame> stack;
    auto enter = [&](std::uint64_t object) -> foundation::Status {
        if (object >= count)
            return {};
        if (state[object] == Open)
            return tooDeep();
        if (state[object] == Done)
            return {};
        std::uint64_t first = 0, n = 0;
        if (!children(object, first, n)) {
            state[object] = Done;
            return {};
        }
        if (stack.size() >= static_cast<std::size_t>(maxNestingDepth))
            return tooDeep();
        state[object] = Open;
        stack.push_back({ first, n, 0 });
        return {};
    };
    // The object each open frame belongs to, to close it when its children are done.
    std::vector<std::uint64_t> owners;
    TRY(enter(top));
    if (!stack.empty())
        owners.push_back(top);
    while (!stack.empty()) {
        Frame& frame = stack.back();
        if (frame.next == frame.n) {
            state[owners.back()] = Done;
            owners.pop_back();
            stack.pop_back();
            continue;
        }
        std::uint64_t child = t.number(frame.first + frame.next * refSize, refSize);
        ++frame.next;
        std::size_t before = stack.size();
        TRY(enter(child));
        if (stack.size() > before)
            owners.push_back(child);
    }
    return {};
}

}  // namespace plist::detail
