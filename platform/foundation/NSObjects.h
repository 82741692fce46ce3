#pragma once

// Small Foundation value objects: dates, file URLs, errors, the file manager.

#include "platform/foundation/Result.h"
#include "platform/runtime/ClassBuilder.h"

#include <string>

class NSDate : public Object {
    MARQEL_OBJECT(NSDate, Object)
public:
    NSDate() = default;
    explicit NSDate(double secondsSince1970)
        : m_seconds(secondsSince1970)
    {
    }
    // Now on the main run loop's clock.
    static std::shared_ptr<NSDate> date();
    double timeIntervalSince1970() const { return m_seconds; }
    std::string description() const override;

private:
    double m_seconds = 0;
};

class NSURL : public Object {
    MARQEL_OBJECT(NSURL, Object)
public:
    NSURL() = default;
    explicit NSURL(std::string devicePath)
        : m_path(std::move(devicePath))
    {
    }
    static std::shared_ptr<NSURL> fileURLWithPath(const std::string& devicePath);
    // The device path.
    const std::string& path() const { return m_path; }
    // Where the file is on this machine; fails for a path the device root
    // refuses (one that would lead out of it).
    foundation::Result<std::string> hostPath() const;
    std::string description() const override { return "file://" + m_path; }

private:
    std::string m_path;
};

class NSError : public Object {
    MARQEL_OBJECT(NSError, Object)
public:
    NSError() = default;
    NSError(std::string domain, long code, std::string description)
        : m_domain(std::move(domain))
        , m_code(code)
        , m_description(std::move(description))
    {
    }
    static std::shared_ptr<NSError> make(std::string domain, long code, std::string description)
    {
        return alloc<NSError>(std::move(domain), code, std::move(description));
    }
    const std::string& domain() const { return m_domain; }
    long code() const { return m_code; }
    const std::string& localizedDescription() const { return m_description; }
    std::string description() const override { return m_description; }

private:
    std::string m_domain;
    long m_code = 0;
    std::string m_description;
};

class NSFileManager : public Object {
    MARQEL_OBJECT(NSFileManager, Object)
public:
    static std::shared_ptr<NSFileManager> defaultManager();
    bool fileExistsAtPath(const std::string& devicePath) const;
    // Removes a file or a symbolic link itself, never what a link points to.
    bool removeItemAtPath(const std::string& devicePath, std::shared_ptr<NSError>* error = nullptr) const;
    bool createDirectoryAtPath(const std::string& devicePath) const;
};

class NSSortDescriptor : public Object {
    MARQEL_OBJECT(NSSortDescriptor, Object)
public:
    NSSortDescriptor() = default;
    NSSortDescriptor(std::string key, bool ascending)
        : m_key(std::move(key))
        , m_ascending(ascending)
    {
    }
    static std::shared_ptr<NSSortDescriptor> sortDescriptorWithKey(const std::string& key, bool ascending)
    {
        return alloc<NSSortDescriptor>(key, ascending);
    }
    const std::string& key() const { return m_key; }
    bool ascending() const { return m_ascending; }

private:
    std::string m_key;
    bool m_ascending = true;
};
