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

namespace {

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

foundation::Error notAPropertyList(const std::string& why)
{
    return foundation::Error { foundation::ErrorCode::UnreadableInput, "not a property list (" + why + ")" };
}

// The XML as libplist's own reader takes it apart: markup it skips
// (declarations, processing instructions, comments, a DOCTYPE with its
// internal subset, quoted attribute values) is skipped here by the same
// rules, so whatever those hide never counts as nesting. What comes out is
// the same document with only elements and their text, so libplist is
// handed exactly what was judged here and nothing it could read otherwise.
class XMLScan {
public:
    explicit XMLScan(const std::string& in)
        : m_in(in)
    {
        m_out.reserve(in.size());
    }

    foundation::Result<std::string> run()
    {
        int depth = 0;
        // A byte-order mark some editors put first says only "UTF-8".
        if (at("\xEF\xBB\xBF"))
            m_pos = 3;
        for (;;) {
            while (m_pos < m_in.size() && isSpace(m_in[m_pos]))
                ++m_pos;
            if (m_pos >= m_in.size())
                break;
            if (m_in[m_pos] != '<')
                return notAPropertyList("text where an element was expected");
            ++m_pos;
            if (at("?")) {
                TRY(skipPast("?>", true, "a processing instruction is not closed"));
                continue;
            }
            if (at("!--")) {
                TRY(skipPast("-->", false, "a comment is not closed"));
                continue;
            }
            if (at("!DOCTYPE")) {
                TRY(skipDoctype());
                continue;
            }
            if (at("!"))
                return notAPropertyList("a declaration other than a comment or DOCTYPE");
            auto [name, empty] = TRY(readTag());
            if (name == "plist" || name == "/plist") {
                m_out += '<' + name + (empty ? "/>" : ">");
            } else if (name == "array" || name == "dict") {
                if (!empty && ++depth > maxNestingDepth)
                    return tooDeep();
                m_out += '<' + name + (empty ? "/>" : ">");
            } else if (name == "/array" || name == "/dict") {
                --depth;
                m_out += '<' + name + '>';
            } else if (name == "key" || name == "string" || name == "integer" || name == "real" || name == "date"
                || name == "data" || name == "true" || name == "false") {
                if (empty) {
                    m_out += '<' + name + "/>";
                    continue;
                }
                std::string text = TRY(readText(name));
                if (name == "integer" && !integerFitsOrIsNotDecimal(text))
                    name = "real";
                m_out += '<' + name + '>' + text + "</" + name + '>';
            } else {
                return notAPropertyList("an element <" + name.substr(0, 40) + "> no property list has");
            }
        }
        return std::move(m_out);
    }

private:
    bool at(std::string_view text) const { return std::string_view(m_in).substr(m_pos).starts_with(text); }

    // Past the next `marker`; with `quotes`, a double-quoted stretch may hide it.
    foundation::Status skipPast(std::string_view marker, bool quotes, const char* unclosed)
    {
        while (m_pos < m_in.size()) {
            if (at(marker)) {
                m_pos += marker.size();
                return {};
            }
            if (quotes && m_in[m_pos] == '"')
                TRY(skipQuoted(unclosed));
            else
                ++m_pos;
        }
        return notAPropertyList(unclosed);
    }

    // From an opening double quote to just past its partner.
    foundation::Status skipQuoted(const char* unclosed)
    {
        std::size_t close = m_in.find('"', m_pos + 1);
        if (close == std::string::npos)
            return notAPropertyList(unclosed);
        m_pos = close + 1;
        return {};
    }

    foundation::Status skipDoctype()
    {
        m_pos += std::string_view("!DOCTYPE").size();
        while (m_pos < m_in.size()) {
            char c = m_in[m_pos];
            if (c == '"') {
                TRY(skipQuoted("a DOCTYPE is not closed"));
            } else if (c == '>') {
                ++m_pos;
                return {};
            } else if (c == '[') {
                return skipPast("]>", true, "a DOCTYPE is not closed");
            } else {
                ++m_pos;
            }
        }
        return notAPropertyList("a DOCTYPE is not closed");
    }

    struct Tag {
        std::string name;
        bool empty = false;
    };
    // A start, end or empty-element tag, from just past its '<' to just past
    // its '>'; attributes are passed over, quoted values whole.
    foundation::Result<Tag> readTag()
    {
        const std::size_t start = m_pos;
        while (m_pos < m_in.size() && !isSpace(m_in[m_pos]) && m_in[m_pos] != '<' && m_in[m_pos] != '>')
            ++m_pos;
        Tag tag { m_in.substr(start, m_pos - start) };
        while (m_pos < m_in.size() && m_in[m_pos] != '>') {
            if (m_in[m_pos] == '<')
                return notAPropertyList("a tag is not closed");
            if (m_in[m_pos] == '"')
                TRY(skipQuoted("an attribute value is not closed"));
            else
                ++m_pos;
        }
        if (m_pos >= m_in.size())
            return notAPropertyList("a tag is not closed");
        tag.empty = m_in[m_pos - 1] == '/';
        if (tag.empty && !tag.name.empty() && tag.name.back() == '/')
            tag.name.pop_back();
        ++m_pos;
        return tag;
    }

    // The text of an element up to its end tag, comments dropped and CDATA
    // escaped, as libplist would have joined its parts.
    foundation::Result<std::string> readText(const std::string& name)
    {
        std::string text;
        for (;;) {
            std::size_t open = m_in.find('<', m_pos);
            if (open == std::string::npos)
                return notAPropertyList("<" + name + "> is not closed");
            text.append(m_in, m_pos, open - m_pos);
            m_pos = open + 1;
            if (at("!--")) {
                TRY(skipPast("-->", false, "a comment is not closed"));
            } else if (at("![CDATA[")) {
                m_pos += std::string_view("![CDATA[").size();
                std::size_t end = m_in.find("]]>", m_pos);
                if (end == std::string::npos)
                    return notAPropertyList("a CDATA section is not closed");
                for (std::size_t i = m_pos; i < end; ++i) {
                    switch (m_in[i]) {
                    case '&': text += "&amp;"; break;
                    case '<': text += "&lt;"; break;
                    case '>': text += "&gt;"; break;
                    default: text += m_in[i];
                    }
                }
                m_pos = end + 3;
            } else if (at("/" + name)) {
                m_pos += name.size() + 1;
                while (m_pos < m_in.size() && isSpace(m_in[m_pos]))
                    ++m_pos;
                if (m_pos >= m_in.size() || m_in[m_pos] != '>')
                    return notAPropertyList("<" + name + "> is not closed by its own end tag");
                ++m_pos;
                return text;
            } else {
                return notAPropertyList("markup inside <" + name + ">");
            }
        }
    }

    const std::string& m_in;
    std::string m_out;
    std::size_t m_pos = 0;
};

}  // namespace

// Refuses nesting past the bound (libplist's own free recurses) and turns
// integers beyond 64 bits, which libplist would silently wrap to -1 or
// worse, into reals.
foundation::Result<std::string> prepareXML(const std::string& bytes) { return XMLScan(bytes).run(); }

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
