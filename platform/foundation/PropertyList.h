#pragma once

// Property-list values with libplist underneath: XML and binary are read,
// XML is written, dictionaries keep their order.
//
// Input larger than plist::maxInputBytes is refused (UnreadableInput):
// reading takes time and memory in step with the input (a few seconds and
// several times its size at 64 MB), and no file the phone keeps comes near
// the limit. A reader whose file may grow with use (the saved areas)
// passes its own, larger limit. Input nested deeper than
// plist::maxNestingDepth arrays and dictionaries is refused (UnreadableInput),
// so nothing read from disk drives an unbounded recursion; XML is judged
// as libplist's reader takes it apart, so nesting cannot hide behind
// closing tags in a comment, a processing instruction, a DOCTYPE, CDATA or
// an attribute value, and libplist is handed only the elements judged. An integer that
// does not fit in 64 signed bits reads as a real number, which every
// integer reader then treats as the wrong type.

#include "platform/foundation/Forward.h"
#include "platform/foundation/Result.h"

#include <cstdint>
#include <string>
#include <unordered_map>
#include <utility>
#include <variant>
#include <vector>

using PlistArray = std::vector<PlistValue>;

class PlistDict {
public:
    const PlistValue* find(const std::string& key) const;
    PlistValue* find(const std::string& key);
    // Replaces a key in place, or appends it.
    void set(const std::string& key, PlistValue value);
    bool remove(const std::string& key);
    bool contains(const std::string& key) const { return find(key) != nullptr; }
    // Defined below PlistValue: clang instantiates the entry type when the
    // bodies sit here, before PlistValue is complete.
    std::size_t size() const;
    bool empty() const;
    auto begin() const { return m_entries.begin(); }
    auto end() const { return m_entries.end(); }
    bool operator==(const PlistDict&) const;

private:
    std::vector<std::pair<std::string, PlistValue>> m_entries;
    // Key to position in m_entries, so that building a dictionary of n keys
    // costs n look-ups, not n squared.
    std::unordered_map<std::string, std::size_t> m_index;
};

struct PlistDate {
    double secondsSince1970 = 0;
    bool operator==(const PlistDate&) const = default;
};
struct PlistData {
    std::vector<std::uint8_t> bytes;
    bool operator==(const PlistData&) const = default;
};

class PlistValue {
public:
    using Storage = std::variant<std::monostate, bool, std::int64_t, double, std::string, PlistDate, PlistData, PlistArray, PlistDict>;
    PlistValue() = default;
    PlistValue(bool v)
        : m_value(v)
    {
    }
    PlistValue(int v)
        : m_value(static_cast<std::int64_t>(v))
    {
    }
    PlistValue(std::int64_t v)
        : m_value(v)
    {
    }
    PlistValue(double v)
        : m_value(v)
    {
    }
    PlistValue(const char* v)
        : m_value(std::string(v))
    {
    }
    PlistValue(std::string v)
        : m_value(std::move(v))
    {
    }
    PlistValue(PlistDate v)
        : m_value(v)
    {
    }
    PlistValue(PlistData v)
        : m_value(std::move(v))
    {
    }
    PlistValue(PlistArray v)
        : m_value(std::move(v))
    {
    }
    PlistValue(PlistDict v)
        : m_value(std::move(v))
    {
    }

    template <class T>
    bool is() const { return std::holds_alternative<T>(m_value); }
    template <class T>
    const T* get() const { return std::get_if<T>(&m_value); }
    template <class T>
    T* get() { return std::get_if<T>(&m_value); }
    bool isNull() const { return is<std::monostate>(); }
    bool operator==(const PlistValue& other) const { return m_value == other.m_value; }

private:
    Storage m_value;
};

inline std::size_t PlistDict::size() const { return m_entries.size(); }
inline bool PlistDict::empty() const { return m_entries.empty(); }

namespace plist {
constexpr int maxNestingDepth = 512;
constexpr std::size_t maxInputBytes = 4 * 1024 * 1024;
// Fails with NotFound for a missing file, PermissionDenied for one we may
// not read, FileSystem for one unreadable otherwise (a folder, a FIFO or
// anything else that is not a regular file, refused without blocking: see
// foundation::RegularFile) and UnreadableInput for bytes that are not a
// property list or larger than `limit`.
foundation::Result<PlistValue> readFile(const std::string& hostPath, std::size_t limit = maxInputBytes);
foundation::Result<PlistValue> parse(const std::string& bytes, std::size_t limit = maxInputBytes);
std::string toXML(const PlistValue& value);
// Writes the XML through foundation::AtomicFile (creating the folders on the
// way), so a reader sees the old or the new file, never a torn one.
foundation::Status writeFileAtomically(const PlistValue& value, const std::string& hostPath);
}  // namespace plist
