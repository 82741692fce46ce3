#include "platform/foundation/PropertyList.h"

#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <plist/plist.h>
#include <sys/stat.h>
#include <unistd.h>

const PlistValue* PlistDict::find(const std::string& key) const
{
    for (const auto& [k, v] : m_entries)
        if (k == key)
            return &v;
    return nullptr;
}

PlistValue* PlistDict::find(const std::string& key)
{
    for (auto& [k, v] : m_entries)
        if (k == key)
            return &v;
    return nullptr;
}

void PlistDict::set(const std::string& key, PlistValue value)
{
    if (auto* existing = find(key))
        *existing = std::move(value);
    else
        m_entries.emplace_back(key, std::move(value));
}

bool PlistDict::remove(const std::string& key)
{
    return std::erase_if(m_entries, [&](const auto& entry) { return entry.first == key; }) > 0;
}

bool PlistDict::operator==(const PlistDict& other) const { return m_entries == other.m_entries; }

namespace plist {
namespace {

// libplist dates count from 2001-01-01.
constexpr double appleEpochOffset = 978307200.0;

PlistValue fromNode(plist_t node)
{
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
        char* v = nullptr;
        plist_get_string_val(node, &v);
        std::string s = v ? v : "";
        free(v);
        return PlistValue(std::move(s));
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
        for (uint32_t i = 0; i < plist_array_get_size(node); ++i)
            array.push_back(fromNode(plist_array_get_item(node, i)));
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
            dict.set(key, fromNode(value));
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
        double t = v->secondsSince1970 - appleEpochOffset;
        auto sec = static_cast<int32_t>(t);
        return plist_new_date(sec, static_cast<int32_t>((t - sec) * 1e6));
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

foundation::Result<PlistValue> parse(const std::string& bytes)
{
    using foundation::Error;
    using foundation::ErrorCode;
    if (bytes.empty())
        return Error { ErrorCode::UnreadableInput, "an empty file is not a property list" };
    if (bytes.size() > UINT32_MAX)
        return Error { ErrorCode::UnreadableInput, "too large for a property list" };
    plist_t root = nullptr;
    plist_from_memory(bytes.data(), static_cast<uint32_t>(bytes.size()), &root);
    if (!root)
        return Error { ErrorCode::UnreadableInput, "not a property list" };
    PlistValue value = fromNode(root);
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
    std::string temp = (target.parent_path() / ("." + target.filename().string() + ".XXXXXX")).string();
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
