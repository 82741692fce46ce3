#pragma once

#include "platform/foundation/PropertyList.h"
#include "platform/runtime/ClassBuilder.h"

// A property-list dictionary as an object, read from and written to device
// paths.
class NSDictionary : public Object {
    MARQEL_OBJECT(NSDictionary, Object)
public:
    NSDictionary() = default;
    explicit NSDictionary(PlistDict contents)
        : m_contents(std::move(contents))
    {
    }

    // Null for a missing or unreadable file, or one whose root is not a
    // dictionary.
    static std::shared_ptr<NSDictionary> dictionaryWithContentsOfFile(const std::string& devicePath);
    // As on the phone, a bare yes or no; write() says why.
    bool writeToFile(const std::string& devicePath, bool atomically) const;
    // Always atomic: a plain write could leave a torn file.
    foundation::Status write(const std::string& devicePath) const;

    const PlistDict& contents() const { return m_contents; }
    PlistDict& contents() { return m_contents; }
    const PlistValue* objectForKey(const std::string& key) const { return m_contents.find(key); }
    void setObject(PlistValue value, const std::string& key) { m_contents.set(key, std::move(value)); }
    void removeObjectForKey(const std::string& key) { m_contents.remove(key); }
    std::size_t count() const { return m_contents.size(); }

protected:
    PlistDict m_contents;
};

class NSMutableDictionary : public NSDictionary {
    MARQEL_OBJECT(NSMutableDictionary, NSDictionary)
public:
    using NSDictionary::NSDictionary;
};
