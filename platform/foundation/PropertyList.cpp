#include "platform/foundation/PropertyList.h"

#include <cctype>
#include <cerrno>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <optional>
#include <plist/plist.h>
#include <signal.h>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

const PlistValue* PlistDict::find(const std::string& key) const
{
    auto it = m_index.find(key);
    return it == m_index.end() ? nullptr : &m_entries[it->second].second;
}

PlistValue* PlistDict::find(const std::string& key)
{
    auto it = m_index.find(key);
    return it == m_index.end() ? nullptr : &m_entries[it->second].second;
}

void PlistDict::set(const std::string& key, PlistValue value)
{
    auto [it, inserted] = m_index.try_emplace(key, m_entries.size());
    if (inserted)
        m_entries.emplace_back(key, std::move(value));
    else
        m_entries[it->second].second = std::move(value);
}

bool PlistDict::remove(const std::string& key)
{
    auto it = m_index.find(key);
    if (it == m_index.end())
        return false;
    std::size_t position = it->second;
    m_entries.erase(m_entries.begin() + static_cast<std::ptrdiff_t>(position));
    m_index.erase(it);
    for (auto& [k, p] : m_index)
        if (p > position)
            --p;
    return true;
}

bool PlistDict::operator==(const PlistDict& other) const { return m_entries == other.m_entries; }

namespace plist {
namespace {

// libplist dates count from 2001-01-01.
constexpr double appleEpochOffset = 978307200.0;

foundation::Error tooDeep()
{
    return foundation::Error { foundation::ErrorCode::UnreadableInput,
        "nested deeper than " + std::to_string(maxNestingDepth) + " arrays and dictionaries" };
}

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

}  // namespace

foundation::Result<PlistValue> parse(const std::string& bytes)
{
    using foundation::Error;
    using foundation::ErrorCode;
    if (bytes.empty())
        return Error { ErrorCode::UnreadableInput, "an empty file is not a property list" };
    if (bytes.size() > maxInputBytes)
        return Error { ErrorCode::UnreadableInput,
            "larger than the " + std::to_string(maxInputBytes / (1024 * 1024)) + " MB a property list may be (" + std::to_string(bytes.size()) + " bytes)" };
    plist_t root = nullptr;
    if (bytes.starts_with("bplist00")) {
        TRY(checkBinaryDepth(bytes));
        TRY(checkBinaryStrings(bytes));
        plist_from_memory(bytes.data(), static_cast<uint32_t>(bytes.size()), &root);
    } else {
        std::string xml = TRY(prepareXML(bytes));
        plist_from_memory(xml.data(), static_cast<uint32_t>(xml.size()), &root);
    }
    if (!root)
        return Error { ErrorCode::UnreadableInput, "not a property list" };
    auto value = fromNode(root, 0);
    plist_free(root);
    return value;
}

foundation::Result<PlistValue> readFile(const std::string& hostPath)
{
    using foundation::Error;
    using foundation::ErrorCode;
    // Read with the system calls: a stream reading a folder throws.
    auto failure = [&](int error) {
        return Error { error == ENOENT ? ErrorCode::NotFound : ErrorCode::FileSystem,
            "cannot read " + hostPath + ": " + std::strerror(error) };
    };
    int fd = ::open(hostPath.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return failure(errno);
    struct stat info { };
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        int error = info.st_mode == 0 ? errno : (S_ISDIR(info.st_mode) ? EISDIR : EINVAL);
        ::close(fd);
        return failure(error);
    }
    if (static_cast<std::uint64_t>(info.st_size) > maxInputBytes) {
        ::close(fd);
        return Error { ErrorCode::UnreadableInput,
            hostPath + ": larger than the " + std::to_string(maxInputBytes / (1024 * 1024)) + " MB a property list may be ("
                + std::to_string(info.st_size) + " bytes)" };
    }
    std::string bytes;
    char buffer[65536];
    for (;;) {
        ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            int error = errno;
            ::close(fd);
            return failure(error);
        }
        if (n == 0)
            break;
        bytes.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);
    auto value = parse(bytes);
    if (!value)
        return Error { value.code(), hostPath + ": " + value.message() };
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

std::string temporaryPrefix(const std::string& hostPath, int pid)
{
    return "." + std::filesystem::path(hostPath).filename().string() + "." + std::to_string(pid) + ".";
}

std::vector<std::string> removeAbandonedTemporaries(const std::string& hostPath)
{
    namespace fs = std::filesystem;
    std::vector<std::string> removed;
    fs::path target(hostPath);
    std::string stem = "." + target.filename().string() + ".";
    std::error_code ec;
    for (fs::directory_iterator it(target.parent_path(), ec), end; !ec && it != end; it.increment(ec)) {
        std::string name = it->path().filename().string();
        if (!name.starts_with(stem) || name.size() <= stem.size() + 7)
            continue;
        // ".<name>.<pid>.<six random characters>"
        std::string_view owner(name);
        owner = owner.substr(stem.size(), owner.size() - stem.size() - 7);
        if (name[name.size() - 7] != '.' || owner.empty() || owner.size() > 9
            || owner.find_first_not_of("0123456789") != std::string_view::npos)
            continue;
        int pid = 0;
        std::from_chars(owner.data(), owner.data() + owner.size(), pid);
        // Only a writer that is gone; EPERM is a live process of another user.
        if (pid <= 0 || ::kill(pid, 0) == 0 || errno != ESRCH)
            continue;
        struct stat st;
        if (::lstat(it->path().c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::unlink(it->path().c_str()) == 0)
            removed.push_back(it->path().string());
    }
    return removed;
}

foundation::Status writeFileAtomically(const PlistValue& value, const std::string& hostPath)
{
    namespace fs = std::filesystem;
    auto failure = [&](const std::string& what, int error) {
        return foundation::Error { foundation::ErrorCode::WriteFailed, what + " " + hostPath + ": " + std::strerror(error) };
    };
    std::string xml = toXML(value);
    fs::path target(hostPath);
    std::error_code ec;
    fs::create_directories(target.parent_path(), ec);
    removeAbandonedTemporaries(hostPath);
    std::string temp = (target.parent_path() / temporaryPrefix(hostPath, ::getpid())).string() + "XXXXXX";
    int fd = mkstemp(temp.data());
    if (fd < 0)
        return failure("cannot create a temporary file for", errno);
    int error = 0;
    std::size_t done = 0;
    while (!error && done < xml.size()) {
        ssize_t n = ::write(fd, xml.data() + done, xml.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            error = n < 0 ? errno : EIO;
        else
            done += static_cast<std::size_t>(n);
    }
    if (!error && (::fchmod(fd, 0644) != 0 || ::fsync(fd) != 0))
        error = errno;
    if (::close(fd) != 0 && !error)
        error = errno;
    if (!error && ::rename(temp.c_str(), hostPath.c_str()) != 0)
        error = errno;
    if (error) {
        ::unlink(temp.c_str());
        return failure("cannot write", error);
    }
    int dir = ::open(target.parent_path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return {};
}

}  // namespace plist
