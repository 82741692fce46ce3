#pragma once

#include "platform/foundation/PropertyList.h"
#include "platform/foundation/Result.h"
#include "platform/runtime/ClassBuilder.h"

#include <functional>
#include <map>
#include <mutex>
#include <string>

// Bundles at device paths. Loading a bundle runs the loader its framework
// registered (a private framework making its classes known), or dlopens the
// bundle's executable from the device root.
class NSBundle : public Object {
    MARQEL_OBJECT(NSBundle, Object)
public:
    NSBundle() = default;
    explicit NSBundle(std::string path)
        : m_path(std::move(path))
    {
    }

    static std::shared_ptr<NSBundle> mainBundle();
    // The bundle at a device path; null when nothing is there.
    static std::shared_ptr<NSBundle> bundleWithPath(const std::string& devicePath);
    static void registerLoader(const std::string& devicePath, std::function<bool()> loader);
    // Forgets every bundle's loaded state (a new simulated process).
    static void resetAll();

    const std::string& bundlePath() const { return m_path; }
    std::string bundleIdentifier() const;
    void setBundleIdentifier(std::string identifier);
    bool isLoaded() const;
    // As on the phone, a bare yes or no; a failure is logged.
    bool load();
    // Says why a bundle did not load.
    foundation::Status loadAndReturnError();

    // ---- Resources, and the bundle a class comes from.
    // The loaded bundle whose executable defines the class (found from the
    // code its registration holds); the main bundle for every other class,
    // including one of a library outside any bundle, or none.
    static std::shared_ptr<NSBundle> bundleForClass(Class cls);
    // The device path "<bundle>/<name>.<type>" (just "<name>" with an empty
    // type) when a file is there, "" otherwise.
    std::string pathForResource(const std::string& name, const std::string& type) const;
    // The host path of the executable that load() opened; "" when none was.
    std::string loadedExecutablePath() const;

    // The bundle's description, its Info.plist. Read once; a bundle without
    // one (or with one that cannot be read) has an empty dictionary, and
    // readInfoDictionary() says why.
    std::shared_ptr<NSDictionary> infoDictionary();
    foundation::Result<PlistDict> readInfoDictionary() const;
    // A null value when the key is missing.
    PlistValue objectForInfoDictionaryKey(const std::string& key);
    // Loads the bundle, then looks up the class its NSPrincipalClass names;
    // null, with a log line saying why, when there is none.
    Class principalClass();

private:
    std::string m_path;
    std::string m_identifier;
    bool m_loaded = false;
    void* m_handle = nullptr;
    std::shared_ptr<NSDictionary> m_infoDictionary;
    mutable std::mutex m_mutex;
};
